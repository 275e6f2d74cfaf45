// Host side: the "fail the Nth call" switch over the emulated services.
#include "host_faults.h"

struct ArmedFault {
    int remaining;  // calls until the failure; 0 = nothing armed
    int32_t error;
};

static ArmedFault g_faults[HOST_SERVICE_COUNT];

void HostFailNthCall(HostService service, int n, int32_t error) {
    if (service < 0 || service >= HOST_SERVICE_COUNT) {
        return;
    }
    g_faults[service].remaining = n > 0 ? n : 0;
    g_faults[service].error = error;
}

bool HostTakeFault(HostService service, int32_t* error) {
    if (service < 0 || service >= HOST_SERVICE_COUNT || g_faults[service].remaining == 0) {
        return false;
    }
    if (--g_faults[service].remaining != 0) {
        return false;
    }
    if (error != nullptr) {
        *error = g_faults[service].error;
    }
    return true;
}
