// Host side, internal: the fault table behind HostFailNthCall, for the emulated services to consult.
#pragma once

#include "host_control.h"

#include <stdint.h>

// Counts one call of `service`. True when this is the call HostFailNthCall armed: the failure is then
// used up, *error receives the armed code, and the caller must fail without changing anything.
bool HostTakeFault(HostService service, int32_t* error);
