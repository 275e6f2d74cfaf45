// Registry service: the calls of the Windows registry API the launcher uses, with Win32 semantics
// (0 is success, value types and sizes as RegQueryValueExA reports them).
#pragma once

#include "os_types.h"

// Value types.
enum : uint32_t {
    OS_REG_NONE = 0,
    OS_REG_SZ = 1,
    OS_REG_EXPAND_SZ = 2,
    OS_REG_BINARY = 3,
    OS_REG_DWORD = 4,
    OS_REG_MULTI_SZ = 7,
    OS_REG_QWORD = 11,
};

// Access rights for OsRegOpenKeyEx.
enum : uint32_t {
    OS_KEY_QUERY_VALUE = 0x0001,
    OS_KEY_READ = 0x20019,
};

// The two predefined roots the launcher reads and writes.
extern const OsKey OS_HKEY_CLASSES_ROOT;
extern const OsKey OS_HKEY_LOCAL_MACHINE;

// RegOpenKeyExA(parent, subKey, 0, access, result).
int32_t OsRegOpenKeyEx(OsKey parent, const char* subKey, uint32_t access, OsKey* result);
// RegOpenKeyA(parent, subKey, result): opens an existing key, never creates one.
int32_t OsRegOpenKey(OsKey parent, const char* subKey, OsKey* result);
// RegCreateKeyA(parent, subKey, result): opens the key, creating it and its missing parents.
int32_t OsRegCreateKey(OsKey parent, const char* subKey, OsKey* result);
// RegQueryValueExA(key, valueName, NULL, type, data, size). valueName "" (or null) is the default
// value. type and data may be null. With data null only the type and needed size are reported; with a
// buffer too small the result is OS_ERROR_MORE_DATA and *size is the size needed. Strings are returned
// as stored: nothing adds a terminating zero the writer left out.
int32_t OsRegQueryValueEx(OsKey key, const char* valueName, uint32_t* type, unsigned char* data,
                          uint32_t* size);
// RegSetValueExA(key, valueName, 0, type, data, size).
int32_t OsRegSetValueEx(OsKey key, const char* valueName, uint32_t type, const unsigned char* data,
                        uint32_t size);
// SHDeleteKeyA(parent, subKey): deletes the key with all its subkeys and values.
int32_t OsDeleteKeyTree(OsKey parent, const char* subKey);
// RegCloseKey(key).
int32_t OsRegCloseKey(OsKey key);
