// The registry test fixture and its small helpers.
#include "registry_fixture.h"

#include <string.h>

void RegistryTest::SetUp() {
    noReadOnly_.reset(new ScopedEnv("TARNBECK_REGISTRY_READONLY", nullptr));
    noRegistryVariable_.reset(new ScopedEnv("TARNBECK_REGISTRY", nullptr));
    dir_ = MakeScratchDir();
    path_ = dir_ + "/registry.reg";
    HostResetFaults();
    HostRegistryUseFile(path_.c_str());
    openAtStart_ = HostRegistryOpenKeyCount();
}

void RegistryTest::TearDown() {
    EXPECT_EQ(HostRegistryOpenKeyCount(), openAtStart_) << "a key opened by the test was not closed";
    HostResetFaults();
    HostRegistryUseFile(nullptr);
    HostUseModuleFileName(nullptr);
    RemoveTree(dir_);
}

void RegistryTest::Reload() { HostRegistryUseFile(path_.c_str()); }

int32_t SetString(OsKey key, const char* name, const std::string& text) {
    return OsRegSetValueEx(key, name, OS_REG_SZ, reinterpret_cast<const unsigned char*>(text.c_str()),
                           static_cast<uint32_t>(text.size() + 1));
}

std::string QueryBytes(OsKey key, const char* name, uint32_t* type, int32_t* status) {
    uint32_t size = 0;
    int32_t result = OsRegQueryValueEx(key, name, type, nullptr, &size);
    std::string bytes(size, '\0');
    if (result == OS_ERROR_SUCCESS && size > 0) {
        result = OsRegQueryValueEx(key, name, type, reinterpret_cast<unsigned char*>(&bytes[0]), &size);
    }
    if (status != nullptr) {
        *status = result;
    }
    return result == OS_ERROR_SUCCESS ? bytes : std::string();
}

std::string ReadValue(OsKey parent, const char* subKey, const char* name) {
    OsKey key = nullptr;
    int32_t status = OsRegOpenKeyEx(parent, subKey, OS_KEY_READ, &key);
    std::string bytes;
    if (status == OS_ERROR_SUCCESS) {
        bytes = QueryBytes(key, name, nullptr, &status);
        OsRegCloseKey(key);
    }
    return status == OS_ERROR_SUCCESS ? bytes : "<error " + std::to_string(status) + ">";
}
