// Registry reads and writes for the magnet tests, through the platform's registry calls (so through
// the host emulation's registry file), each closing every key it opens.
#pragma once

#include "test_files.h"

#include "os_types.h"

#include <stdint.h>

#include <string>
#include <vector>

// One value as stored: its type and its bytes, a string's terminating zero included.
struct StoredValue {
    uint32_t type = 0;
    std::string data;
};

// A REG_SZ's bytes: the text and its terminating zero.
std::string SzData(const std::string& text);
// The zero word of a REG_DWORD.
std::string ZeroWordData();

// Creates the key when missing and writes the value; fails the test when that is refused.
void StoreValue(OsKey root, const std::string& keyPath, const std::string& name, uint32_t type,
                const std::string& data);
void StoreString(OsKey root, const std::string& keyPath, const std::string& name, const std::string& text);
// The value; false when the key or the value is missing.
bool ReadStoredValue(OsKey root, const std::string& keyPath, const std::string& name, StoredValue* value);
bool KeyExists(OsKey root, const std::string& keyPath);

// One value the registration is expected to leave behind.
struct ExpectedValue {
    OsKey root;
    std::string keyPath;
    std::string name;
    uint32_t type;
    std::string data;
};
// The handler list entry and the magnet protocol key written for install directory `installDir`.
std::vector<ExpectedValue> HandlerEntryValues(const std::string& installDir);
std::vector<ExpectedValue> ProtocolKeyValues(const std::string& installDir);
// The commands the registration compares against, for install directory `installDir`.
std::string HandlerCommand(const std::string& installDir);
std::string ProtocolCommand(const std::string& installDir);
// Fails the test for every expected value that is missing or differs.
void ExpectValues(const std::vector<ExpectedValue>& values);
