// Win32 side: the registry service over the ADVAPI32 registry calls and SHLWAPI's tree delete.
#include "os_registry.h"

#include "windows_support.h"

#include <shlwapi.h>

const OsKey OS_HKEY_CLASSES_ROOT = reinterpret_cast<OsKey>(HKEY_CLASSES_ROOT);
const OsKey OS_HKEY_LOCAL_MACHINE = reinterpret_cast<OsKey>(HKEY_LOCAL_MACHINE);

static HKEY ToHkey(OsKey key) { return reinterpret_cast<HKEY>(key); }

int32_t OsRegOpenKeyEx(OsKey parent, const char* subKey, uint32_t access, OsKey* result) {
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExA(ToHkey(parent), subKey, 0, access, &opened);
    *result = reinterpret_cast<OsKey>(opened);
    return status;
}

int32_t OsRegOpenKey(OsKey parent, const char* subKey, OsKey* result) {
    HKEY opened = nullptr;
    LONG status = RegOpenKeyA(ToHkey(parent), subKey, &opened);
    *result = reinterpret_cast<OsKey>(opened);
    return status;
}

int32_t OsRegCreateKey(OsKey parent, const char* subKey, OsKey* result) {
    HKEY created = nullptr;
    LONG status = RegCreateKeyA(ToHkey(parent), subKey, &created);
    *result = reinterpret_cast<OsKey>(created);
    return status;
}

// DWORD is unsigned long on Windows and uint32_t unsigned int: the same width, different types, so
// the type and size go through DWORD locals, passed on as null where the caller gave null.
int32_t OsRegQueryValueEx(OsKey key, const char* valueName, uint32_t* type, unsigned char* data,
                          uint32_t* size) {
    DWORD valueType = 0;
    DWORD valueSize = size != nullptr ? *size : 0;
    LONG status = RegQueryValueExA(ToHkey(key), valueName, nullptr, type != nullptr ? &valueType : nullptr,
                                   data, size != nullptr ? &valueSize : nullptr);
    if (type != nullptr) {
        *type = valueType;
    }
    if (size != nullptr) {
        *size = valueSize;
    }
    return status;
}

int32_t OsRegSetValueEx(OsKey key, const char* valueName, uint32_t type, const unsigned char* data,
                        uint32_t size) {
    return RegSetValueExA(ToHkey(key), valueName, 0, type, data, size);
}

int32_t OsDeleteKeyTree(OsKey parent, const char* subKey) {
    return static_cast<int32_t>(SHDeleteKeyA(ToHkey(parent), subKey));
}

int32_t OsRegCloseKey(OsKey key) { return RegCloseKey(ToHkey(key)); }
