// The VM types a Java runtime offers, read from its jvm.cfg into one process-wide table.
#pragma once

#include <stdint.h>

enum VmKind : int32_t {
    KNOWN = 0,       // a VM the runtime has
    ALIASED_TO = 1,  // another name for the VM named in alias
    WARN = 2,        // not supported: the default VM is used, with a warning
    ERROR = 3,       // not supported: selecting it fails
};

struct VmEntry {
    char* name;   // as jvm.cfg wrote it, leading '-' included
    VmKind kind;
    char* alias;  // ALIASED_TO rows only
};

struct VmTable {
    VmEntry* rows;  // row 0 names the default VM
    int32_t count;
    int32_t capacity;
};

extern VmTable g_vmTable;

// Reads "<home>\lib\<arch>\jvm.cfg", or "<home>\lib\jvm.cfg" when that does not exist, into the table.
// Returns the number of rows stored, or -1 when the file cannot be opened (reported unless quiet).
int32_t LoadVmTable(const char* runtimeHome, const char* architecture, bool quiet);
// Makes room for at least minimumRows rows (10, then doubling).
void GrowVmTable(int32_t minimumRows);
// Index of the first row named `name` ("-J" in front is dropped first), or -1.
int32_t FindVmEntry(const char* name);
// Frees the rows' names and the array; the table is not read again afterwards.
void ReleaseVmTable(void);
