// Host side, internal: the emulated registry in memory, its .reg text form, and the file it lives in.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// One value: the name as first written (the default value has the empty name), the type, and the
// exact bytes stored.
struct RegValue {
    std::string name;
    uint32_t type;
    std::string data;
};

// One key. Keys live in RegStore::keys and refer to each other by index; a deleted key stays there,
// marked, so that handles still pointing at it can tell.
struct RegKey {
    std::string name;
    int parent;  // -1 for a root
    bool deleted;
    std::vector<int> children;  // in the order they were made
    std::vector<RegValue> values;
};

// The predefined roots, at these indices of RegStore::keys.
enum RegRoot {
    REG_ROOT_CLASSES_ROOT,
    REG_ROOT_CURRENT_USER,
    REG_ROOT_LOCAL_MACHINE,
    REG_ROOT_USERS,
    REG_ROOT_CURRENT_CONFIG,
    REG_ROOT_COUNT
};

struct RegStore {
    std::vector<RegKey> keys;
    bool regedit4;  // the file's first line was "REGEDIT4"; it is written back the same way
};

// An empty registry: the roots alone.
void RegStoreInit(RegStore* store);
// Case-insensitive comparison of key and value names (ASCII letters fold; other bytes must match).
bool RegNamesEqual(const std::string& a, const std::string& b);
// The root with this long name ("HKEY_LOCAL_MACHINE"), or with allowShort also the short one
// ("HKLM"); -1 when none. .reg files use only the long names.
int RegFindRoot(const std::string& name, bool allowShort);
// The root's long name.
const char* RegRootName(int root);
// The live subkey of `key` with that name, or -1.
int RegFindSubkey(const RegStore& store, int key, const std::string& name);
// Adds a subkey (the caller knows there is none of that name) and returns its index.
int RegAddSubkey(RegStore* store, int key, const std::string& name);
// The value of that name, or null.
const RegValue* RegFindValue(const RegKey& key, const std::string& name);
// Sets a value, keeping the stored name's case when it exists already.
void RegSetValue(RegKey* key, const std::string& name, uint32_t type, const std::string& data);
// Marks `key` and everything below it deleted and unhooks it from its parent.
void RegDeleteTree(RegStore* store, int key);
// The names from the root (long name) down to `key`.
std::vector<std::string> RegKeyComponents(const RegStore& store, int key);

// As on Windows, a key lies at most 512 levels below its root. Deeper keys are refused when the file
// is read and when they are created, which also keeps the writer's work (one line with the whole
// path per key) in proportion to the file.
enum { REG_MAX_DEPTH = 512 };
// How many levels `key` lies below its root (0 for a root).
int RegKeyDepth(const RegStore& store, int key);

// Parses .reg text into `store` (which must be freshly initialised). On failure returns false with
// the 1-based line and a short description of what is wrong there.
bool RegParseText(const std::string& text, RegStore* store, int* line, std::string* what);
// The .reg text of the whole store; RegParseText reads it back to the same keys, values and bytes.
std::string RegFormatText(const RegStore& store);

// Reads the registry file. A missing file is an empty registry. On failure (unreadable, or text
// that does not parse) returns false with the complete message for the user in *problem.
bool RegLoadFile(const std::string& path, RegStore* store, std::string* problem);
// Writes the store to `path` atomically: a temporary file beside it (path + ".tmp"), flushed to disk,
// then renamed over the old one. False when any step fails; the old file is then as it was and the
// temporary file is gone.
bool RegSaveFile(const std::string& path, const RegStore& store);
