// Choosing the VM type: from the arguments, JDK_ALTERNATE_VM, or the table's first row.
#pragma once

// Picks the VM type and replaces *argumentCount/*arguments with a new null-terminated vector without
// the VM-selecting arguments. Returns a row's VM type, the environment's or an altjvm argument's
// value, or "ERROR". quiet suppresses every report and warning.
const char* SelectVmType(int* argumentCount, char*** arguments, bool quiet);
