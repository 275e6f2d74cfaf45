// Registry helpers of the magnet tests.
#include "registry_values.h"

#include "os_registry.h"

#include <gtest/gtest.h>

std::string SzData(const std::string& text) { return text + std::string(1, '\0'); }

std::string ZeroWordData() { return std::string(4, '\0'); }

void StoreValue(OsKey root, const std::string& keyPath, const std::string& name, uint32_t type,
                const std::string& data) {
    OsKey key;
    int32_t status = OsRegCreateKey(root, keyPath.c_str(), &key);
    ASSERT_EQ(status, OS_ERROR_SUCCESS) << "create " << keyPath;
    status = OsRegSetValueEx(key, name.c_str(), type, reinterpret_cast<const unsigned char*>(data.data()),
                             static_cast<uint32_t>(data.size()));
    OsRegCloseKey(key);
    ASSERT_EQ(status, OS_ERROR_SUCCESS) << "set " << keyPath << " " << name;
}

void StoreString(OsKey root, const std::string& keyPath, const std::string& name, const std::string& text) {
    StoreValue(root, keyPath, name, OS_REG_SZ, SzData(text));
}

bool ReadStoredValue(OsKey root, const std::string& keyPath, const std::string& name, StoredValue* value) {
    OsKey key;
    if (OsRegOpenKeyEx(root, keyPath.c_str(), OS_KEY_READ, &key) != OS_ERROR_SUCCESS) {
        return false;
    }
    uint32_t size = 0;
    int32_t status = OsRegQueryValueEx(key, name.c_str(), &value->type, nullptr, &size);
    if (status == OS_ERROR_SUCCESS) {
        value->data.assign(size, '\0');
        unsigned char* data = size > 0 ? reinterpret_cast<unsigned char*>(&value->data[0]) : nullptr;
        status = OsRegQueryValueEx(key, name.c_str(), &value->type, data, &size);
    }
    OsRegCloseKey(key);
    return status == OS_ERROR_SUCCESS;
}

bool KeyExists(OsKey root, const std::string& keyPath) {
    OsKey key;
    if (OsRegOpenKeyEx(root, keyPath.c_str(), OS_KEY_READ, &key) != OS_ERROR_SUCCESS) {
        return false;
    }
    OsRegCloseKey(key);
    return true;
}

std::string HandlerCommand(const std::string& installDir) {
    return "\"" + installDir + "\\Tarnbeck.exe\" \"%URL\"";
}

std::string ProtocolCommand(const std::string& installDir) {
    return "\"" + installDir + "\\Tarnbeck.exe\" \"%L\"";
}

static std::string IconReference(const std::string& installDir) {
    return "\"" + installDir + "\\Tarnbeck.ico\",-128";
}

std::vector<ExpectedValue> HandlerEntryValues(const std::string& installDir) {
    const std::string key = "Software\\Magnet\\Handlers\\Tarnbeck";
    const OsKey root = OS_HKEY_LOCAL_MACHINE;
    return {
        {root, key, "", OS_REG_SZ, SzData("Tarnbeck Peer to Peer")},
        {root, key, "Description", OS_REG_SZ, SzData("Tarnbeck is the best P2P client.")},
        {root, key, "DefaultIcon", OS_REG_SZ, SzData(IconReference(installDir))},
        {root, key, "ShellExecute", OS_REG_SZ, SzData(HandlerCommand(installDir))},
        {root, key, "kt", OS_REG_DWORD, ZeroWordData()},
        {root, key + "\\Type", "urn:sha1", OS_REG_DWORD, ZeroWordData()},
    };
}

std::vector<ExpectedValue> ProtocolKeyValues(const std::string& installDir) {
    const OsKey root = OS_HKEY_CLASSES_ROOT;
    return {
        {root, "magnet", "", OS_REG_SZ, SzData("URL:MagNet Protocol")},
        {root, "magnet", "URL Protocol", OS_REG_SZ, SzData("")},
        {root, "magnet\\DefaultIcon", "", OS_REG_SZ, SzData(IconReference(installDir))},
        {root, "magnet\\shell\\open\\command", "", OS_REG_SZ, SzData(ProtocolCommand(installDir))},
    };
}

void ExpectValues(const std::vector<ExpectedValue>& values) {
    for (const ExpectedValue& expected : values) {
        StoredValue actual;
        if (!ReadStoredValue(expected.root, expected.keyPath, expected.name, &actual)) {
            ADD_FAILURE() << "missing: " << expected.keyPath << " [" << expected.name << "]";
            continue;
        }
        EXPECT_EQ(actual.type, expected.type) << expected.keyPath << " [" << expected.name << "]";
        EXPECT_EQ(actual.data, expected.data) << expected.keyPath << " [" << expected.name << "]";
    }
}
