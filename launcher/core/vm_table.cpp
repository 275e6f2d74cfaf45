// The process-wide VM table: reading a runtime's jvm.cfg into it, growing it, looking names up in it
// and releasing it.
#include "vm_table.h"

#include "launch_shared.h"
#include "os_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

VmTable g_vmTable = {nullptr, 0, 0};

// The size of the jvm.cfg path and of one chunk read from the file.
enum { VM_CONFIG_BUFFER_SIZE = 280 };

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A row's own copy of a name or alias, from the launcher's allocation.
static char* CopyText(const char* text) {
    size_t length = strlen(text);
    // A chunk is at most 279 characters, so the size always fits the allocation's 32-bit size.
    char* copy = static_cast<char*>(AllocOrExit(static_cast<int32_t>(length + 1)));
    memcpy(copy, text, length + 1);
    return copy;
}

// Forms the jvm.cfg path in `path`: "<home>\lib\<arch>\jvm.cfg" when that exists, else
// "<home>\lib\jvm.cfg". A path that does not fit is cut short and reported as not fitting, so the
// caller treats it like a file that cannot be opened; nothing is written past the buffer.
static bool FormVmConfigPath(char* path, size_t size, const char* runtimeHome, const char* architecture) {
    int length = snprintf(path, size, "%s\\lib\\%s\\jvm.cfg", runtimeHome, architecture);
    if (length >= 0 && static_cast<size_t>(length) < size && OsPathExists(path)) {
        return true;
    }
    length = snprintf(path, size, "%s\\lib\\jvm.cfg", runtimeHome);
    return length >= 0 && static_cast<size_t>(length) < size;
}

// Parses one chunk of jvm.cfg (its line feed already removed) and stores its row, if it has one, at
// index `row`. Returns whether a row was stored. Warnings name `lineNumber` and `path`.
static bool ParseVmConfigLine(char* line, int lineNumber, const char* path, int32_t row) {
    char* name = line;
    char* cursor = line;
    while (*cursor != '\0' && !IsBlank(*cursor)) {
        ++cursor;
    }
    VmKind kind = KNOWN;
    char* alias = nullptr;
    if (*cursor == '\0') {
        // A name alone still names a VM; it is taken as one the runtime has.
        fprintf(stderr, "Warning: missing VM type on line %d of `%s'\n", lineNumber, path);
    } else {
        *cursor++ = '\0';
        while (IsBlank(*cursor)) {
            ++cursor;
        }
        if (*cursor == '\0') {
            fprintf(stderr, "Warning: missing VM type on line %d of `%s'\n", lineNumber, path);
            return false;
        }
        if (strncmp(cursor, "KNOWN", 5) == 0) {
            kind = KNOWN;
        } else if (strncmp(cursor, "ALIASED_TO", 10) == 0) {
            kind = ALIASED_TO;
            while (*cursor != '\0' && !IsBlank(*cursor)) {
                ++cursor;
            }
            while (IsBlank(*cursor)) {
                ++cursor;
            }
            if (*cursor == '\0') {
                fprintf(stderr, "Warning: missing VM alias on line %d of `%s'\n", lineNumber, path);
                return false;
            }
            alias = cursor;
            while (*cursor != '\0' && !IsBlank(*cursor)) {
                ++cursor;
            }
            *cursor = '\0';
        } else if (strncmp(cursor, "WARN", 4) == 0) {
            kind = WARN;
        } else if (strncmp(cursor, "ERROR", 5) == 0) {
            kind = ERROR;
        } else {
            fprintf(stderr, "Warning: unknown VM type on line %d of `%s'\n", lineNumber, path);
            kind = KNOWN;
        }
    }
    VmEntry* entry = &g_vmTable.rows[row];
    entry->name = CopyText(name);
    entry->kind = kind;
    entry->alias = alias != nullptr ? CopyText(alias) : nullptr;
    return true;
}

// Reads the runtime's jvm.cfg into g_vmTable from row 0. Returns the number of rows stored, or -1
// (reported through ReportFormatted unless quiet) when the file cannot be opened. Malformed lines
// are warned about on standard error whatever `quiet` says.
int32_t LoadVmTable(const char* runtimeHome, const char* architecture, bool quiet) {
    char path[VM_CONFIG_BUFFER_SIZE];
    FILE* file = nullptr;
    if (FormVmConfigPath(path, sizeof path, runtimeHome, architecture)) {
        file = OsOpenFile(path, "r");
    }
    if (file == nullptr) {
        if (!quiet) {
            ReportFormatted("Error: could not open `%s'", path);
        }
        return -1;
    }

    char line[VM_CONFIG_BUFFER_SIZE];
    int lineNumber = 0;
    int32_t rowsStored = 0;
    while (fgets(line, sizeof line, file) != nullptr) {
        ++lineNumber;
        if (line[0] == '#') {
            continue;
        }
        if (line[0] != '-') {
            fprintf(stderr, "Warning: no leading - on line %d of `%s'\n", lineNumber, path);
        }
        if (rowsStored >= g_vmTable.capacity) {
            GrowVmTable(rowsStored);
        }
        size_t length = strlen(line);
        if (length > 0 && line[length - 1] == '\n') {
            line[length - 1] = '\0';
        }
        if (ParseVmConfigLine(line, lineNumber, path, rowsStored)) {
            ++rowsStored;
        }
    }
    fclose(file);
    g_vmTable.count = rowsStored;
    return rowsStored;
}

// Replaces the row array with one of at least minimumRows rows: 10 at first, then twice the old
// capacity. The old rows are kept in order.
void GrowVmTable(int32_t minimumRows) {
    int64_t capacity = g_vmTable.capacity == 0 ? 10 : 2 * static_cast<int64_t>(g_vmTable.capacity);
    if (capacity <= minimumRows) {
        capacity = minimumRows;
    }
    int64_t bytes = capacity * static_cast<int64_t>(sizeof(VmEntry));
    // A table too large to size in 32 bits is refused like an exhausted heap; a wrapped size would
    // give an array smaller than the rows written into it.
    VmEntry* rows = static_cast<VmEntry*>(AllocOrExit(bytes <= INT32_MAX ? static_cast<int32_t>(bytes) : -1));
    if (g_vmTable.rows != nullptr) {
        memcpy(rows, g_vmTable.rows, static_cast<size_t>(g_vmTable.capacity) * sizeof(VmEntry));
        free(g_vmTable.rows);
    }
    g_vmTable.rows = rows;
    g_vmTable.capacity = static_cast<int32_t>(capacity);
}

// Index of the first row whose name equals `name`, with a leading "-J" dropped from `name`; -1 when
// no row has it.
int32_t FindVmEntry(const char* name) {
    if (strncmp(name, "-J", 2) == 0) {
        name += 2;
    }
    for (int32_t row = 0; row < g_vmTable.count; ++row) {
        if (strcmp(g_vmTable.rows[row].name, name) == 0) {
            return row;
        }
    }
    return -1;
}

// Frees every row's copies and the array, and leaves the table empty.
void ReleaseVmTable(void) {
    for (int32_t row = 0; row < g_vmTable.count; ++row) {
        free(g_vmTable.rows[row].name);
        free(g_vmTable.rows[row].alias);
    }
    free(g_vmTable.rows);
    g_vmTable.rows = nullptr;
    g_vmTable.count = 0;
    g_vmTable.capacity = 0;
}
