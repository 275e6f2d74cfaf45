// The VM table: jvm.cfg lines and their warnings, chunked long lines, growth, the file's location,
// and name lookup.
#include "runtime_fixture.h"

#include "recording_reports.h"
#include "test_files.h"
#include "vm_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct ExpectedRow {
    std::string name;
    VmKind kind;
    const char* alias;  // null for rows that are no alias
};

// Loads jvm.cfg text from <scratch>/lib and returns what went to standard error.
std::string LoadCapturingStderr(const std::string& home, const std::string& text, int32_t* rows) {
    WriteVmConfig(home, text);
    testing::internal::CaptureStderr();
    *rows = LoadVmTable(home.c_str(), "i386", false);
    return testing::internal::GetCapturedStderr();
}

void ExpectRows(const std::vector<ExpectedRow>& expected) {
    ASSERT_EQ(g_vmTable.count, static_cast<int32_t>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(g_vmTable.rows[i].name, expected[i].name);
        EXPECT_EQ(g_vmTable.rows[i].kind, expected[i].kind);
        if (expected[i].alias != nullptr) {
            ASSERT_NE(g_vmTable.rows[i].alias, nullptr);
            EXPECT_STREQ(g_vmTable.rows[i].alias, expected[i].alias);
        }
    }
}

using VmTableTest = RuntimeTest;

TEST_F(VmTableTest, EachLineGivesItsWarningsAndRow) {
    // %P stands for the path of the file, as the warnings name it.
    struct Case {
        const char* name;
        std::string text;
        std::string warnings;
        std::vector<ExpectedRow> rows;
    };
    const std::string noDash = "Warning: no leading - on line 1 of `%P'\n";
    const std::string noType = "Warning: missing VM type on line 1 of `%P'\n";
    const std::string noAlias = "Warning: missing VM alias on line 1 of `%P'\n";
    const std::string unknown = "Warning: unknown VM type on line 1 of `%P'\n";
    const std::vector<Case> cases = {
        {"comment", "# text\n", "", {}},
        {"known", "-alpha KNOWN\n", "", {{"-alpha", KNOWN, nullptr}}},
        {"tab before the type", "-alpha\tKNOWN\n", "", {{"-alpha", KNOWN, nullptr}}},
        {"no leading dash", "alpha KNOWN\n", noDash, {{"alpha", KNOWN, nullptr}}},
        {"alias", "-beta ALIASED_TO -alpha\n", "", {{"-beta", ALIASED_TO, "-alpha"}}},
        {"alias, extra words", "-beta ALIASED_TO -alpha extra words\n", "",
         {{"-beta", ALIASED_TO, "-alpha"}}},
        {"alias, tabs", "-beta\tALIASED_TO \t-alpha\tx\n", "", {{"-beta", ALIASED_TO, "-alpha"}}},
        {"alias at the end of the file", "-beta ALIASED_TO -alpha", "", {{"-beta", ALIASED_TO, "-alpha"}}},
        {"alias missing", "-beta ALIASED_TO\n", noAlias, {}},
        {"alias missing, blanks", "-beta ALIASED_TO \t \n", noAlias, {}},
        {"warn", "-gamma WARN\n", "", {{"-gamma", WARN, nullptr}}},
        {"WARNING is WARN", "-gamma WARNING\n", "", {{"-gamma", WARN, nullptr}}},
        {"KNOWNX is KNOWN", "-gamma KNOWNX\n", "", {{"-gamma", KNOWN, nullptr}}},
        {"error", "-delta ERROR\n", "", {{"-delta", ERROR, nullptr}}},
        {"lower-case error", "-delta error\n", unknown, {{"-delta", KNOWN, nullptr}}},
        {"unknown type", "-delta SOMETHING\n", unknown, {{"-delta", KNOWN, nullptr}}},
        {"name alone", "-alpha\n", noType, {{"-alpha", KNOWN, nullptr}}},
        {"name and blanks", "-alpha \t \n", noType, {}},
        {"empty line", "\n", noDash + noType, {{"", KNOWN, nullptr}}},
        {"blanks, then a hash", "  # text\n", noDash + unknown, {{"", KNOWN, nullptr}}},
        {"last line without newline", "-delta ERROR", "", {{"-delta", ERROR, nullptr}}},
        {"carriage return before the newline", "-alpha\r\n", noType, {{"-alpha", KNOWN, nullptr}}},
        {"hash after the type", "-alpha KNOWN # note\n", "", {{"-alpha", KNOWN, nullptr}}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.name);
        std::string home = scratch_ + "/home" + std::to_string(i);
        int32_t rows = 0;
        std::string warnings = LoadCapturingStderr(home, c.text, &rows);

        std::string expected = c.warnings;
        const std::string path = home + "\\lib\\jvm.cfg";
        for (size_t at = expected.find("%P"); at != std::string::npos; at = expected.find("%P", at)) {
            expected.replace(at, 2, path);
            at += path.size();
        }
        EXPECT_EQ(warnings, expected);
        EXPECT_EQ(rows, static_cast<int32_t>(c.rows.size()));
        ExpectRows(c.rows);
        EXPECT_TRUE(RecordedReports().empty());
        ReleaseVmTable();
    }
}

TEST_F(VmTableTest, LineNumbersCountCommentsAndQuietKeepsWarnings) {
    WriteVmConfig(scratch_, "# one\n# two\n# three\nalpha KNOWN\n-beta\n-gamma ALIASED_TO\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadVmTable(scratch_.c_str(), "i386", true), 2);
    const std::string path = scratch_ + "\\lib\\jvm.cfg";
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Warning: no leading - on line 4 of `" + path + "'\n" +
              "Warning: missing VM type on line 5 of `" + path + "'\n" +
              "Warning: missing VM alias on line 6 of `" + path + "'\n");
    ExpectRows({{"alpha", KNOWN, nullptr}, {"-beta", KNOWN, nullptr}});
}

TEST_F(VmTableTest, LongLinesAreReadInChunksOf279Characters) {
    // 278 characters and a newline fit one chunk; 279 characters fill a chunk and leave the newline
    // for a chunk of its own; a longer line spills its rest into the next chunk.
    const std::string fits = "-" + std::string(271, 'a') + " KNOWN";
    const std::string fills = "-" + std::string(272, 'b') + " KNOWN";
    const std::string spillName = "-" + std::string(278, 'c');
    ASSERT_EQ(fits.size(), 278u);
    ASSERT_EQ(fills.size(), 279u);
    int32_t rows = 0;
    std::string warnings =
        LoadCapturingStderr(scratch_, fits + "\n" + fills + "\n" + spillName + " WARN\n-last KNOWN\n", &rows);

    const std::string path = scratch_ + "\\lib\\jvm.cfg";
    EXPECT_EQ(warnings, "Warning: no leading - on line 3 of `" + path + "'\n" +
                        "Warning: missing VM type on line 3 of `" + path + "'\n" +
                        "Warning: missing VM type on line 4 of `" + path + "'\n" +
                        "Warning: no leading - on line 5 of `" + path + "'\n");
    EXPECT_EQ(rows, 6);
    ExpectRows({{fits.substr(0, 272), KNOWN, nullptr},
                {fills.substr(0, 273), KNOWN, nullptr},
                {"", KNOWN, nullptr},
                {spillName, KNOWN, nullptr},
                {"", WARN, nullptr},
                {"-last", KNOWN, nullptr}});
}

TEST_F(VmTableTest, TableGrowsFromTenToTwentyRowsKeepingOrder) {
    struct Case {
        int rows;
        const char* extraLine;  // a line that stores nothing still makes room first
        int32_t capacity;
    };
    const Case cases[] = {{0, "", 0}, {10, "", 10}, {11, "", 20}, {10, "-x ALIASED_TO\n", 20}, {21, "", 40}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, extra line '" << c.extraLine << "'");
        std::string text = "# rows\n";
        for (int row = 0; row < c.rows; ++row) {
            text += "-vm" + std::to_string(row) + (row % 2 == 0 ? " KNOWN\n" : " ALIASED_TO -vm0\n");
        }
        text += c.extraLine;
        EXPECT_EQ(LoadVmTableFromText(scratch_, text), c.rows);
        EXPECT_EQ(g_vmTable.capacity, c.capacity);
        EXPECT_EQ(g_vmTable.rows == nullptr, c.capacity == 0);
        for (int row = 0; row < c.rows && row < g_vmTable.count; ++row) {
            EXPECT_EQ(g_vmTable.rows[row].name, "-vm" + std::to_string(row)) << "row " << row;
            EXPECT_EQ(g_vmTable.rows[row].kind, row % 2 == 0 ? KNOWN : ALIASED_TO) << "row " << row;
            if (row % 2 != 0) {
                EXPECT_STREQ(g_vmTable.rows[row].alias, "-vm0") << "row " << row;
            }
        }
        ReleaseVmTable();
        EXPECT_EQ(g_vmTable.rows, nullptr);
    }
}

TEST_F(VmTableTest, GrowingPastA32BitSizeEndsLikeAnExhaustedHeap) {
    // The byte count of so many rows does not fit the allocation's size; it must not wrap into a
    // small array.
    EXPECT_EXIT(GrowVmTable(INT32_MAX), testing::ExitedWithCode(1), "^malloc: ");
}

TEST_F(VmTableTest, ArchitectureFolderFirstThenLib) {
    struct Case {
        const char* name;
        bool inArchitecture;
        bool inLib;
        const char* used;  // the path named by the report or the warning, after the home
        int32_t result;
    };
    const Case cases[] = {
        {"both", true, true, "\\lib\\i386\\jvm.cfg", 1},
        {"architecture folder only", true, false, "\\lib\\i386\\jvm.cfg", 1},
        {"lib only", false, true, "\\lib\\jvm.cfg", 1},
        {"neither", false, false, "\\lib\\jvm.cfg", -1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        std::string home = scratch_ + "/home" + std::to_string(i);
        MakeDirs(home + "/lib/i386");
        // Each file's line is warned about, so the warning tells which file was read.
        if (c.inArchitecture) {
            WriteVmConfig(home, "-arch\n", "i386");
        }
        if (c.inLib) {
            WriteVmConfig(home, "-lib\n");
        }
        ClearRecordedReports();
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadVmTable(home.c_str(), "i386", false), c.result);
        std::string warnings = testing::internal::GetCapturedStderr();
        std::string path = home + c.used;
        if (c.result < 0) {
            EXPECT_EQ(warnings, "");
            EXPECT_EQ(RecordedReports(), std::vector<std::string>{"Error: could not open `" + path + "'"});
            EXPECT_EQ(g_vmTable.rows, nullptr);
        } else {
            EXPECT_EQ(warnings, "Warning: missing VM type on line 1 of `" + path + "'\n");
            EXPECT_TRUE(RecordedReports().empty());
            ASSERT_EQ(g_vmTable.count, 1);
            EXPECT_STREQ(g_vmTable.rows[0].name, c.inArchitecture ? "-arch" : "-lib");
        }
        ReleaseVmTable();
    }
}

TEST_F(VmTableTest, UnopenableFileIsReportedOnlyWhenNotQuiet) {
    EXPECT_EQ(LoadVmTable(scratch_.c_str(), "amd64", true), -1);
    EXPECT_TRUE(RecordedReports().empty());
    EXPECT_EQ(LoadVmTable(scratch_.c_str(), "amd64", false), -1);
    EXPECT_EQ(RecordedReports(),
              std::vector<std::string>{"Error: could not open `" + scratch_ + "\\lib\\jvm.cfg'"});
}

TEST_F(VmTableTest, HomeTooLongForThePathFailsCleanly) {
    // The path buffer holds 279 characters. "\lib\i386\jvm.cfg" adds 17 to the home and "\lib\jvm.cfg"
    // 12: a home of 262 characters still reaches the architecture folder, one of 263 only lib, and
    // one of 268 neither, which counts as a file that cannot be opened.
    std::string home = scratch_;
    while (home.size() < 262) {
        home += "/" + std::string(std::min<size_t>(100, 262 - home.size() - 1), 'h');
    }
    ASSERT_EQ(home.size(), 262u);
    std::string longer = home + "x";
    std::string longest = home + "/" + std::string(5, 'y');
    for (const std::string& h : {home, longer, longest}) {
        WriteVmConfig(h, "-arch KNOWN\n", "i386");
        WriteVmConfig(h, "-lib KNOWN\n");
        // What a path cut short at 279 characters would name: it must never be opened.
        WriteFile(h + "/lib/i386/jvm.cf", "-cut KNOWN\n");
        WriteFile(h + "/lib/jvm.cf", "-cut KNOWN\n");
    }

    EXPECT_EQ(LoadVmTableFromText(home, "-lib KNOWN\n"), 1);
    EXPECT_STREQ(g_vmTable.rows[0].name, "-arch");
    ReleaseVmTable();

    EXPECT_EQ(LoadVmTableFromText(longer, "-lib KNOWN\n"), 1);
    EXPECT_STREQ(g_vmTable.rows[0].name, "-lib");
    ReleaseVmTable();

    EXPECT_EQ(LoadVmTable(longest.c_str(), "i386", false), -1);
    ASSERT_EQ(RecordedReports().size(), 1u);
    // The report names the path as far as it fits.
    EXPECT_EQ(RecordedReports()[0],
              "Error: could not open `" + (longest + "\\lib\\jvm.cfg").substr(0, 279) + "'");
    EXPECT_EQ(g_vmTable.rows, nullptr);
}

TEST_F(VmTableTest, FindVmEntryMatchesWholeNamesWithOptionalJ) {
    ASSERT_EQ(LoadVmTableFromText(scratch_, "-alpha KNOWN\n-beta KNOWN\n-alpha WARN\n\n"), 4);
    struct Case {
        const char* name;
        int32_t row;
    };
    const Case cases[] = {
        {"-alpha", 0}, {"-J-alpha", 0}, {"-beta", 1},    {"-ALPHA", -1},   {"alpha", -1},
        {"-alph", -1}, {"-alphax", -1}, {"-J-J-alpha", -1}, {"-J", 3},     {"", 3},
        {"J-alpha", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindVmEntry(c.name), c.row) << "name '" << c.name << "'";
    }
}

}  // namespace
