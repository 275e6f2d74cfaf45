// Choosing the VM type: the arguments, JDK_ALTERNATE_VM or the VM table's first row, with the
// table's aliases resolved and its kinds applied.
#include "vm_select.h"

#include "launch_shared.h"
#include "os_environment.h"
#include "vm_table.h"

#include <stdio.h>
#include <string.h>

static const char* const SELECTION_FAILED = "ERROR";

// A row's VM type is its name without the leading '-'. A row read from an empty line has an empty
// name and nothing to drop: its type is the empty string.
static const char* VmTypeOfRow(int32_t row) {
    const char* name = g_vmTable.rows[row].name;
    return name[0] != '\0' ? name + 1 : name;
}

// Follows the alias chain from `row` and applies the kind of the row where it ends. Returns the VM
// type to use or "ERROR"; reports and warns unless quiet.
static const char* ResolveSelectedRow(int32_t row, bool quiet) {
    int32_t hops = 0;
    while (g_vmTable.rows[row].kind == ALIASED_TO) {
        const char* alias = g_vmTable.rows[row].alias;
        int32_t target = FindVmEntry(alias);
        // Without cycles a chain never gets this long, so only a loop (a row aliased to itself
        // included) reaches the limit.
        if (hops > g_vmTable.count) {
            if (!quiet) {
                ReportMessage("Error: Corrupt jvm.cfg file; cycle in alias list.");
            }
            return SELECTION_FAILED;
        }
        if (target < 0) {
            if (!quiet) {
                ReportFormatted("Error: Unable to resolve VM alias %s", alias);
            }
            return SELECTION_FAILED;
        }
        row = target;
        ++hops;
    }
    switch (g_vmTable.rows[row].kind) {
        case WARN:
            if (!quiet) {
                fprintf(stderr, "Warning: %s VM not supported; %s VM will be used\n", VmTypeOfRow(row),
                        VmTypeOfRow(0));
            }
            return VmTypeOfRow(0);
        case ERROR:
            if (!quiet) {
                ReportFormatted("Error: %s VM not supported", VmTypeOfRow(row));
            }
            return SELECTION_FAILED;
        default:
            return VmTypeOfRow(row);
    }
}

// Scans the arguments after the program path for VM-selecting ones, which the new vector leaves out;
// "-classpath"/"-cp" and their value are kept unexamined, and the first argument not starting with
// '-' ends the scan. The last selection wins over earlier ones and over JDK_ALTERNATE_VM, whose value
// (like an altjvm directory) is used as it is. The table must hold at least one row. The new vector is
// null-terminated, shares the argument strings and lives until the process ends.
const char* SelectVmType(int* argumentCount, char*** arguments, bool quiet) {
    const char* selectedType = OsGetEnv("JDK_ALTERNATE_VM");
    int32_t selectedRow = -1;

    int count = *argumentCount;
    char** old = *arguments;
    char** kept = static_cast<char**>(AllocOrExit(static_cast<int32_t>((count + 1) * sizeof(char*))));
    int keptCount = 0;
    kept[keptCount++] = old[0];

    for (int i = 1; i < count; ++i) {
        char* argument = old[i];
        if (strcmp(argument, "-classpath") == 0 || strcmp(argument, "-cp") == 0) {
            kept[keptCount++] = argument;
            if (i + 1 < count) {
                kept[keptCount++] = old[++i];
            }
            continue;
        }
        if (argument[0] != '-') {
            while (i < count) {
                kept[keptCount++] = old[i++];
            }
            break;
        }
        int32_t row = FindVmEntry(argument);
        if (row >= 0) {
            selectedType = VmTypeOfRow(row);
            selectedRow = row;
        } else if (strncmp(argument, "-XXaltjvm=", 10) == 0) {
            selectedType = argument + 10;
            selectedRow = -1;
        } else if (strncmp(argument, "-J-XXaltjvm=", 12) == 0) {
            selectedType = argument + 12;
            selectedRow = -1;
        } else {
            kept[keptCount++] = argument;
        }
    }
    kept[keptCount] = nullptr;
    *argumentCount = keptCount;
    *arguments = kept;

    if (selectedType == nullptr) {
        return VmTypeOfRow(0);
    }
    if (selectedRow < 0) {
        return selectedType;
    }
    return ResolveSelectedRow(selectedRow, quiet);
}
