// A whole file's bytes, for the tests and the fuzz harness alike (no test framework needed).
#pragma once

#include <string>

// The file's bytes; "" when it cannot be read (FileExists in test_files.h tells the two apart).
std::string ReadFile(const std::string& path);
