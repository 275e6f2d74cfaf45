// The exit-code probe's fixed numbers. Its two entry points, ProbeCommandAfterProgramName and
// ProbeMain, are declared in os_entry.h, where the platform's start-ups find them.
#pragma once

#include <stdint.h>

#include "os_entry.h"

// How long the probe waits for its child before it gives up and leaves it running.
enum : uint32_t { PROBE_WAIT_MILLISECONDS = 20000 };

// The exit code when the child cannot be created or its exit code cannot be read.
enum : uint32_t { PROBE_NOT_RUN = 255 };
