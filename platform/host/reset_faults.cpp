// Host side: back to a registry without faults or protection, for tests. Kept apart from the fault
// table so that programs which only consult the table (the probe) do not pull in the registry emulation.
#include "host_faults.h"

void HostResetFaults(void) {
    for (int service = 0; service < HOST_SERVICE_COUNT; ++service) {
        HostFailNthCall(static_cast<HostService>(service), 0, 0);
    }
    HostRegistryDenyWritesBelow(nullptr);
}
