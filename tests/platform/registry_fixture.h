// A registry test fixture: a scratch folder with the registry file in it, the write protection of the
// environment cleared, and checks that every key opened by the test was closed again.
#pragma once

#include "host_control.h"
#include "os_registry.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Points the registry at the file again, dropping what was loaded (as a new process would).
    void Reload();

    std::string dir_;
    std::string path_;  // dir_ + "/registry.reg"
    int openAtStart_ = 0;
    std::unique_ptr<ScopedEnv> noReadOnly_;
    std::unique_ptr<ScopedEnv> noRegistryVariable_;
};

// Sets a REG_SZ with its terminating zero counted, as the launcher writes strings.
int32_t SetString(OsKey key, const char* name, const std::string& text);
// The value's bytes (and type); "" with *status set when the query fails.
std::string QueryBytes(OsKey key, const char* name, uint32_t* type = nullptr, int32_t* status = nullptr);
// Opens parent\subKey, reads one value, closes; "<error N>" when the key or value cannot be read.
std::string ReadValue(OsKey parent, const char* subKey, const char* name);
