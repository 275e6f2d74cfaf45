// jvm.cfg as outside input the runtime's own tests do not cover: a folder where the file is
// expected, and bytes no text editor writes (zeros, bytes above 0x7f, stray carriage returns,
// Ctrl-Z).
#include "recording_reports.h"
#include "test_files.h"
#include "vm_table.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

class VmConfigBadInputTest : public testing::Test {
protected:
    void SetUp() override {
        home_ = MakeScratchDir();
        ASSERT_EQ(mkdir((home_ + "/lib").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((home_ + "/lib/i386").c_str(), 0755), 0);
        ReleaseVmTable();
        ClearRecordedReports();
    }
    void TearDown() override {
        ReleaseVmTable();
        ClearRecordedReports();
        RemoveTree(home_);
    }
    std::string home_;
};

TEST_F(VmConfigBadInputTest, AFolderNamedJvmCfgCannotBeOpenedAndIsReported) {
    struct Case {
        const char* name;
        const char* folder;     // made a folder named jvm.cfg
        const char* file;       // a good jvm.cfg, or null
        const char* reported;   // the path in the report, after the home
    };
    // The architecture's path is taken whenever something exists there, so a folder in its place
    // hides a good lib\jvm.cfg: the launcher then finds no runtime, as with no file at all.
    const Case cases[] = {
        {"folder in lib\\i386, file in lib", "/lib/i386/jvm.cfg", "/lib/jvm.cfg", "\\lib\\i386\\jvm.cfg"},
        {"folder in lib", "/lib/jvm.cfg", nullptr, "\\lib\\jvm.cfg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(home_ + "/lib/i386/jvm.cfg");
        RemoveTree(home_ + "/lib/jvm.cfg");
        ASSERT_EQ(mkdir((home_ + c.folder).c_str(), 0755), 0);
        if (c.file != nullptr) {
            WriteFile(home_ + c.file, "-server KNOWN\n");
        }
        ClearRecordedReports();
        EXPECT_EQ(LoadVmTable(home_.c_str(), "i386", false), -1);
        EXPECT_EQ(g_vmTable.count, 0);
        EXPECT_EQ(RecordedReports(),
                  std::vector<std::string>{"Error: could not open `" + home_ + c.reported + "'"});
    }
}

TEST_F(VmConfigBadInputTest, BinaryBytesGiveRowsOrWarningsAndNothingElse) {
    struct Row {
        std::string name;
        VmKind kind;
    };
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<Row> rows;
    };
    const Case cases[] = {
        // A zero ends the line's text: what follows it on that line is never seen.
        {"zero inside the name", std::string("-alpha\0 ERROR\n-beta WARN\n", 25),
         {{"-alpha", KNOWN}, {"-beta", WARN}}},
        {"zero inside the type", std::string("-alpha ER\0ROR\n", 14), {{"-alpha", KNOWN}}},
        {"zero first", std::string("\0-alpha KNOWN\n", 14), {{"", KNOWN}}},
        {"bytes above 0x7f", "\xff\xfe KNOWN\n-\xe9 ALIASED_TO -\xff\n",
         {{"\xff\xfe", KNOWN}, {"-\xe9", ALIASED_TO}}},
        {"carriage return before the type's end", "-alpha KNOWN\r\r\n", {{"-alpha", KNOWN}}},
        {"lone carriage return between tokens", "-alpha\rERROR\n", {{"-alpha\rERROR", KNOWN}}},
        {"Ctrl-Z ends the file", "-alpha KNOWN\n\x1a-beta ERROR\n", {{"-alpha", KNOWN}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReleaseVmTable();
        WriteFile(home_ + "/lib/jvm.cfg", c.bytes);
        testing::internal::CaptureStderr();
        int32_t rows = LoadVmTable(home_.c_str(), "i386", false);
        testing::internal::GetCapturedStderr();
        ASSERT_EQ(rows, static_cast<int32_t>(c.rows.size()));
        for (size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(g_vmTable.rows[i].name, c.rows[i].name) << "row " << i;
            EXPECT_EQ(g_vmTable.rows[i].kind, c.rows[i].kind) << "row " << i;
        }
        EXPECT_TRUE(RecordedReports().empty());
    }
}

}  // namespace
