// The launch sequence: working directory, launch vector, magnet decision, launcher core, result box.
#pragma once

#include "launch_shared.h"

int RunLaunch(int argc, char** argv);
