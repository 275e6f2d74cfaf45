// Helpers for the runtime tests: folders and jvm.cfg files of a runtime home on disk, and a fixture
// that gives each test a scratch folder and leaves the VM table and the recorded reports empty.
#pragma once

#include <gtest/gtest.h>

#include <stdint.h>

#include <string>

// Creates `path` and every missing folder above it.
void MakeDirs(const std::string& path);
// Writes `text` as <home>/lib/jvm.cfg, or <home>/lib/<architecture>/jvm.cfg when one is named.
void WriteVmConfig(const std::string& home, const std::string& text, const std::string& architecture = "");
// Loads g_vmTable from jvm.cfg text, discarding the warnings; returns LoadVmTable's result.
int32_t LoadVmTableFromText(const std::string& home, const std::string& text);

class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string scratch_;
};
