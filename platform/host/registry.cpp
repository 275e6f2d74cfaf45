// Host side: the registry calls over the .reg file model, with Win32 semantics: handles, the two
// predefined roots, write protection, fault injection, and a save after every change.
#include "os_registry.h"

#include "host_control.h"
#include "host_faults.h"
#include "host_paths.h"
#include "os_module.h"
#include "registry_store.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

// The values Windows gives the predefined keys, so a handle never collides with them.
const OsKey OS_HKEY_CLASSES_ROOT = reinterpret_cast<OsKey>(static_cast<uintptr_t>(0x80000000u));
const OsKey OS_HKEY_LOCAL_MACHINE = reinterpret_cast<OsKey>(static_cast<uintptr_t>(0x80000002u));

// An open handle: the key it stands for in the registry loaded as `generation`.
struct OpenKey {
    uintptr_t handle;
    int key;
    unsigned generation;
};

static bool g_useFileSet = false;  // HostRegistryUseFile named a file
static std::string g_useFile;
static bool g_loaded = false;
static bool g_refused = false;  // the file could not be read or parsed: every call fails
static unsigned g_generation = 0;
static std::string g_path;
static RegStore g_store;
static std::vector<OpenKey> g_openKeys;
static uintptr_t g_nextHandle = 0x100;
static bool g_denySet = false;
static std::string g_denyBelow;

void HostRegistryUseFile(const char* path) {
    g_useFileSet = path != nullptr;
    g_useFile = path != nullptr ? path : "";
    g_loaded = false;
    g_refused = false;
}

void HostRegistryDenyWritesBelow(const char* keyPath) {
    g_denySet = keyPath != nullptr;
    g_denyBelow = keyPath != nullptr ? keyPath : "";
}

int HostRegistryOpenKeyCount(void) { return static_cast<int>(g_openKeys.size()); }

// The file to use: HostRegistryUseFile's, else TARNBECK_REGISTRY, else registry.reg beside the program;
// made absolute so a later change of the working directory does not move it.
static std::string ChooseRegistryFile(void) {
    std::string path;
    const char* named = getenv("TARNBECK_REGISTRY");
    if (g_useFileSet) {
        path = g_useFile;
    } else if (named != nullptr && *named != '\0') {
        path = named;
    } else {
        char module[PATH_MAX + 1];
        OsGetModuleFileName(module, sizeof module);
        std::string folder = HostPosixPath(module);
        size_t slash = folder.rfind('/');
        path = (slash == std::string::npos ? std::string(".") : folder.substr(0, slash)) + "/registry.reg";
    }
    if (!path.empty() && path[0] != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd) != nullptr) {
            path = std::string(cwd) + "/" + path;
        }
    }
    return path;
}

// Loads the registry on first use. 0, or HOST_ERROR_BADDB for a refused file (reported once, when it
// is read).
static int32_t EnsureLoaded(void) {
    if (!g_loaded) {
        g_loaded = true;
        ++g_generation;
        g_path = ChooseRegistryFile();
        std::string problem;
        g_refused = !RegLoadFile(g_path, &g_store, &problem);
        if (g_refused) {
            fprintf(stderr, "%s\n", problem.c_str());
        }
    }
    return g_refused ? int32_t{HOST_ERROR_BADDB} : int32_t{OS_ERROR_SUCCESS};
}

// The key behind a root or an open handle, in *key.
static int32_t ResolveKey(OsKey handle, int* key) {
    int32_t loaded = EnsureLoaded();
    if (loaded != OS_ERROR_SUCCESS) {
        return loaded;
    }
    if (handle == OS_HKEY_LOCAL_MACHINE) {
        *key = REG_ROOT_LOCAL_MACHINE;
        return OS_ERROR_SUCCESS;
    }
    if (handle == OS_HKEY_CLASSES_ROOT) {
        *key = REG_ROOT_CLASSES_ROOT;
        return OS_ERROR_SUCCESS;
    }
    for (const OpenKey& open : g_openKeys) {
        if (open.handle == reinterpret_cast<uintptr_t>(handle)) {
            // A handle from a registry that has since been dropped points nowhere.
            if (open.generation != g_generation) {
                return OS_ERROR_INVALID_HANDLE;
            }
            *key = open.key;
            return g_store.keys[open.key].deleted ? int32_t{HOST_ERROR_KEY_DELETED}
                                                  : int32_t{OS_ERROR_SUCCESS};
        }
    }
    return OS_ERROR_INVALID_HANDLE;
}

static OsKey NewHandle(int key) {
    g_nextHandle += 4;
    OpenKey open = {g_nextHandle, key, g_generation};
    g_openKeys.push_back(open);
    return reinterpret_cast<OsKey>(g_nextHandle);
}

// Splits "a\b\c" into its names. Null and "" give none; one trailing '\' is ignored; any other empty
// name (a leading or doubled '\') is refused.
static bool SplitSubKey(const char* subKey, std::vector<std::string>* names) {
    names->clear();
    std::string path = subKey != nullptr ? subKey : "";
    if (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    if (path.empty()) {
        return subKey == nullptr || subKey[0] == '\0';
    }
    size_t start = 0;
    for (;;) {
        size_t end = path.find('\\', start);
        std::string name = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (name.empty()) {
            return false;
        }
        names->push_back(name);
        if (end == std::string::npos) {
            return true;
        }
        start = end + 1;
    }
}

// Names the .reg file cannot hold on a line of their own.
static bool WritableName(const std::string& name) {
    return name.find('\n') == std::string::npos && name.find('\r') == std::string::npos;
}

// True when `inner` is `outer` or lies below it (names compared as the registry compares them).
static bool IsAtOrBelow(const std::vector<std::string>& inner, const std::vector<std::string>& outer) {
    if (outer.empty() || inner.size() < outer.size()) {
        return false;
    }
    for (size_t i = 0; i < outer.size(); ++i) {
        if (!RegNamesEqual(inner[i], outer[i])) {
            return false;
        }
    }
    return true;
}

// A protected key as configured ("HKEY_LOCAL_MACHINE\Software" or "HKLM\Software"), as names with the
// root's long name first; empty when the text names no root.
static std::vector<std::string> ProtectedComponents(const char* keyPath) {
    std::vector<std::string> names;
    if (!SplitSubKey(keyPath, &names) || names.empty()) {
        return std::vector<std::string>();
    }
    int root = RegFindRoot(names[0], true);
    if (root < 0) {
        return std::vector<std::string>();
    }
    names[0] = RegRootName(root);
    return names;
}

// Whether a write to the key with these names is refused. With `orAbove` (deleting a tree) a key above
// a protected one is refused too, since the protected key would go with it.
static bool WriteDenied(const std::vector<std::string>& target, bool orAbove) {
    const char* fromEnvironment = getenv("TARNBECK_REGISTRY_READONLY");
    const char* protectedKeys[2] = {
        g_denySet ? g_denyBelow.c_str() : nullptr,
        fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : nullptr};
    for (const char* keyPath : protectedKeys) {
        if (keyPath == nullptr) {
            continue;
        }
        std::vector<std::string> guarded = ProtectedComponents(keyPath);
        if (IsAtOrBelow(target, guarded) || (orAbove && IsAtOrBelow(guarded, target))) {
            return true;
        }
    }
    return false;
}

// Saves the change just made to g_store. When the file cannot be written, `before` is put back so the
// registry in memory still matches the file, and the change fails.
static int32_t SaveOrRollBack(const RegStore& before) {
    if (RegSaveFile(g_path, g_store)) {
        return OS_ERROR_SUCCESS;
    }
    g_store = before;
    return OS_ERROR_WRITE_FAULT;
}

// What opening and creating a key start with: an injected fault, the out-parameter cleared, the parent
// resolved into *key and the subkey path split into *names. False when the call ends here, with *status
// its result (an injected fault's code, which a test may even set to 0).
static bool BeginKeyCall(HostService service, OsKey parent, const char* subKey, OsKey* result, int* key,
                         std::vector<std::string>* names, int32_t* status) {
    if (HostTakeFault(service, status)) {
        if (result != nullptr) {
            *result = nullptr;
        }
        return false;
    }
    if (result == nullptr) {
        *status = OS_ERROR_INVALID_PARAMETER;
        return false;
    }
    *result = nullptr;
    *status = ResolveKey(parent, key);
    if (*status != OS_ERROR_SUCCESS) {
        return false;
    }
    if (!SplitSubKey(subKey, names)) {
        *status = OS_ERROR_INVALID_PARAMETER;
        return false;
    }
    return true;
}

// The opens share one body: RegOpenKeyA is RegOpenKeyExA with full access, which the host does not check.
static int32_t OpenExisting(OsKey parent, const char* subKey, OsKey* result) {
    int key;
    std::vector<std::string> names;
    int32_t status;
    if (!BeginKeyCall(HOST_REG_OPEN, parent, subKey, result, &key, &names, &status)) {
        return status;
    }
    for (const std::string& name : names) {
        key = RegFindSubkey(g_store, key, name);
        if (key < 0) {
            return OS_ERROR_FILE_NOT_FOUND;
        }
    }
    *result = NewHandle(key);
    return OS_ERROR_SUCCESS;
}

int32_t OsRegOpenKeyEx(OsKey parent, const char* subKey, uint32_t access, OsKey* result) {
    (void)access;
    return OpenExisting(parent, subKey, result);
}

int32_t OsRegOpenKey(OsKey parent, const char* subKey, OsKey* result) {
    return OpenExisting(parent, subKey, result);
}

// RegCreateKeyA: opens the key, or creates it with its missing parents. Only a creation is a change
// (protection, save); opening a key that exists works under write protection too. A key deeper than
// REG_MAX_DEPTH is refused with OS_ERROR_INVALID_PARAMETER: the file could not be read back.
int32_t OsRegCreateKey(OsKey parent, const char* subKey, OsKey* result) {
    int key;
    std::vector<std::string> names;
    int32_t status;
    if (!BeginKeyCall(HOST_REG_CREATE, parent, subKey, result, &key, &names, &status)) {
        return status;
    }
    size_t existing = 0;
    for (; existing < names.size(); ++existing) {
        int child = RegFindSubkey(g_store, key, names[existing]);
        if (child < 0) {
            break;
        }
        key = child;
    }
    if (existing < names.size()) {
        if (static_cast<size_t>(RegKeyDepth(g_store, key)) + (names.size() - existing) >
            static_cast<size_t>(REG_MAX_DEPTH)) {
            return OS_ERROR_INVALID_PARAMETER;
        }
        std::vector<std::string> target = RegKeyComponents(g_store, key);
        for (size_t i = existing; i < names.size(); ++i) {
            if (!WritableName(names[i])) {
                return OS_ERROR_INVALID_PARAMETER;
            }
            target.push_back(names[i]);
        }
        if (WriteDenied(target, false)) {
            return OS_ERROR_ACCESS_DENIED;
        }
        RegStore before = g_store;
        for (size_t i = existing; i < names.size(); ++i) {
            key = RegAddSubkey(&g_store, key, names[i]);
        }
        status = SaveOrRollBack(before);
        if (status != OS_ERROR_SUCCESS) {
            return status;
        }
    }
    *result = NewHandle(key);
    return OS_ERROR_SUCCESS;
}

int32_t OsRegQueryValueEx(OsKey key, const char* valueName, uint32_t* type, unsigned char* data,
                          uint32_t* size) {
    int32_t fault;
    if (HostTakeFault(HOST_REG_QUERY, &fault)) {
        return fault;
    }
    if (data != nullptr && size == nullptr) {
        return OS_ERROR_INVALID_PARAMETER;
    }
    int index;
    int32_t status = ResolveKey(key, &index);
    if (status != OS_ERROR_SUCCESS) {
        return status;
    }
    const RegValue* value = RegFindValue(g_store.keys[index], valueName != nullptr ? valueName : "");
    if (value == nullptr) {
        return OS_ERROR_FILE_NOT_FOUND;
    }
    if (type != nullptr) {
        *type = value->type;
    }
    uint32_t needed = static_cast<uint32_t>(value->data.size());
    if (data == nullptr) {
        if (size != nullptr) {
            *size = needed;
        }
        return OS_ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return OS_ERROR_MORE_DATA;
    }
    value->data.copy(reinterpret_cast<char*>(data), needed);
    *size = needed;
    return OS_ERROR_SUCCESS;
}

int32_t OsRegSetValueEx(OsKey key, const char* valueName, uint32_t type, const unsigned char* data,
                        uint32_t size) {
    int32_t fault;
    if (HostTakeFault(HOST_REG_SET, &fault)) {
        return fault;
    }
    std::string name = valueName != nullptr ? valueName : "";
    if ((data == nullptr && size > 0) || !WritableName(name)) {
        return OS_ERROR_INVALID_PARAMETER;
    }
    int index;
    int32_t status = ResolveKey(key, &index);
    if (status != OS_ERROR_SUCCESS) {
        return status;
    }
    if (WriteDenied(RegKeyComponents(g_store, index), false)) {
        return OS_ERROR_ACCESS_DENIED;
    }
    RegStore before = g_store;
    std::string bytes = size > 0 ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
    RegSetValue(&g_store.keys[index], name, type, bytes);
    return SaveOrRollBack(before);
}

// SHDeleteKeyA. Null or "" as subkey empties the key itself (its values and subkeys go, the key stays),
// as RegDeleteTree does.
int32_t OsDeleteKeyTree(OsKey parent, const char* subKey) {
    int32_t fault;
    if (HostTakeFault(HOST_REG_DELETE, &fault)) {
        return fault;
    }
    int key;
    int32_t status = ResolveKey(parent, &key);
    if (status != OS_ERROR_SUCCESS) {
        return status;
    }
    std::vector<std::string> names;
    if (!SplitSubKey(subKey, &names)) {
        return OS_ERROR_INVALID_PARAMETER;
    }
    for (const std::string& name : names) {
        key = RegFindSubkey(g_store, key, name);
        if (key < 0) {
            return OS_ERROR_FILE_NOT_FOUND;
        }
    }
    if (WriteDenied(RegKeyComponents(g_store, key), true)) {
        return OS_ERROR_ACCESS_DENIED;
    }
    RegStore before = g_store;
    if (names.empty()) {
        std::vector<int> children = g_store.keys[key].children;
        for (int child : children) {
            RegDeleteTree(&g_store, child);
        }
        g_store.keys[key].values.clear();
    } else {
        RegDeleteTree(&g_store, key);
    }
    return SaveOrRollBack(before);
}

// RegCloseKey. Closing a predefined root is allowed and does nothing, as on Windows.
int32_t OsRegCloseKey(OsKey key) {
    if (key == OS_HKEY_LOCAL_MACHINE || key == OS_HKEY_CLASSES_ROOT) {
        return OS_ERROR_SUCCESS;
    }
    for (size_t i = 0; i < g_openKeys.size(); ++i) {
        if (g_openKeys[i].handle == reinterpret_cast<uintptr_t>(key)) {
            g_openKeys.erase(g_openKeys.begin() + static_cast<long>(i));
            return OS_ERROR_SUCCESS;
        }
    }
    return OS_ERROR_INVALID_HANDLE;
}
