// Helpers for the runtime tests.
#include "runtime_fixture.h"

#include "recording_reports.h"
#include "test_files.h"
#include "vm_table.h"

#include <errno.h>
#include <sys/stat.h>

void MakeDirs(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            ADD_FAILURE() << "mkdir failed for " << part;
            return;
        }
        if (slash == std::string::npos) {
            return;
        }
    }
}

void WriteVmConfig(const std::string& home, const std::string& text, const std::string& architecture) {
    std::string folder = home + "/lib" + (architecture.empty() ? "" : "/" + architecture);
    MakeDirs(folder);
    WriteFile(folder + "/jvm.cfg", text);
}

int32_t LoadVmTableFromText(const std::string& home, const std::string& text) {
    WriteVmConfig(home, text);
    testing::internal::CaptureStderr();
    int32_t rows = LoadVmTable(home.c_str(), "i386", true);
    testing::internal::GetCapturedStderr();
    return rows;
}

void RuntimeTest::SetUp() {
    scratch_ = MakeScratchDir();
    ReleaseVmTable();
    ClearRecordedReports();
}

void RuntimeTest::TearDown() {
    ReleaseVmTable();
    ClearRecordedReports();
    RemoveTree(scratch_);
}
