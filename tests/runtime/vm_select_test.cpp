// VM type selection: arguments, JDK_ALTERNATE_VM and the default row, alias chains and kinds, and the
// rebuilt argument vector.
#include "runtime_fixture.h"

#include "recording_reports.h"
#include "test_files.h"
#include "vm_select.h"
#include "vm_table.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

namespace {

const char* const PROGRAM = "C:\\Tarnbeck\\Tarnbeck.exe";
const char* const STANDARD_TABLE = "-alpha KNOWN\n-beta ALIASED_TO -alpha\n-gamma WARN\n-delta ERROR\n";

struct Selection {
    std::string result;
    std::vector<std::string> kept;  // after the program path
    std::string warnings;           // standard error
    std::vector<std::string> reports;
};

// Runs SelectVmType over PROGRAM and `arguments`, checks the shape of the new vector and frees it.
Selection Select(const std::vector<std::string>& arguments, bool quiet) {
    std::vector<std::string> storage(arguments);
    std::vector<char*> vector;
    vector.push_back(const_cast<char*>(PROGRAM));
    for (std::string& argument : storage) {
        vector.push_back(&argument[0]);
    }
    const std::vector<char*> original(vector);
    int count = static_cast<int>(vector.size());
    char** replaced = vector.data();

    ClearRecordedReports();
    testing::internal::CaptureStderr();
    const char* type = SelectVmType(&count, &replaced, quiet);
    Selection selection;
    selection.warnings = testing::internal::GetCapturedStderr();
    selection.reports = RecordedReports();
    selection.result = type != nullptr ? type : "(null)";

    EXPECT_NE(replaced, vector.data()) << "the vector is rebuilt, not edited in place";
    EXPECT_EQ(vector, original) << "the old vector stays as it was";
    EXPECT_GE(count, 1);
    EXPECT_EQ(replaced[0], PROGRAM);
    EXPECT_EQ(replaced[count], nullptr) << "the new vector ends with a null entry";
    for (int i = 1; i < count; ++i) {
        // Kept arguments are shared with the old vector, never copied.
        bool shared = false;
        for (char* old : original) {
            shared = shared || old == replaced[i];
        }
        EXPECT_TRUE(shared) << "argument " << i << " is not one of the old vector's";
        selection.kept.push_back(replaced[i]);
    }
    free(replaced);
    return selection;
}

struct Case {
    const char* name;
    const char* table;
    std::vector<std::string> arguments;
    const char* alternateVm;  // JDK_ALTERNATE_VM, null for unset
    Selection expected;
};

void RunCases(const std::string& scratch, const std::vector<Case>& cases) {
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.name);
        std::string home = scratch + "/home" + std::to_string(i);
        ASSERT_GE(LoadVmTableFromText(home, c.table), 1);
        ScopedEnv alternate("JDK_ALTERNATE_VM", c.alternateVm);
        for (bool quiet : {false, true}) {
            SCOPED_TRACE(quiet ? "quiet" : "not quiet");
            Selection got = Select(c.arguments, quiet);
            EXPECT_EQ(got.result, c.expected.result);
            EXPECT_EQ(got.kept, c.expected.kept);
            EXPECT_EQ(got.warnings, quiet ? "" : c.expected.warnings);
            EXPECT_EQ(got.reports, quiet ? std::vector<std::string>{} : c.expected.reports);
        }
        ReleaseVmTable();
    }
}

using VmSelectTest = RuntimeTest;

TEST_F(VmSelectTest, ArgumentsEnvironmentAndDefault) {
    const std::string gammaWarning = "Warning: gamma VM not supported; alpha VM will be used\n";
    const char* t = STANDARD_TABLE;
    RunCases(scratch_, {
        {"nothing", t, {}, nullptr, {"alpha", {}, "", {}}},
        {"alias", t, {"-beta", "-Dx=1", "Main"}, nullptr, {"alpha", {"-Dx=1", "Main"}, "", {}}},
        {"alias with -J", t, {"-J-beta", "Main"}, nullptr, {"alpha", {"Main"}, "", {}}},
        {"warn", t, {"-gamma", "Main"}, nullptr, {"alpha", {"Main"}, gammaWarning, {}}},
        {"error", t, {"-delta", "Main"}, nullptr, {"ERROR", {"Main"}, "", {"Error: delta VM not supported"}}},
        {"altjvm wins as the later", t, {"-alpha", "-XXaltjvm=D:\\vm", "Main"}, nullptr,
         {"D:\\vm", {"Main"}, "", {}}},
        {"table name wins as the later", t, {"-J-XXaltjvm=D:\\vm", "-alpha", "Main"}, nullptr,
         {"alpha", {"Main"}, "", {}}},
        {"altjvm with -J", t, {"-J-XXaltjvm=D:\\vm", "Main"}, nullptr, {"D:\\vm", {"Main"}, "", {}}},
        {"empty altjvm", t, {"-XXaltjvm=", "Main"}, nullptr, {"", {"Main"}, "", {}}},
        {"after the class", t, {"Main", "-gamma"}, nullptr, {"alpha", {"Main", "-gamma"}, "", {}}},
        {"-cp value unexamined", t, {"-cp", "-delta", "Main"}, nullptr,
         {"alpha", {"-cp", "-delta", "Main"}, "", {}}},
        {"-classpath value unexamined", t, {"-classpath", "-gamma", "-delta", "Main"}, nullptr,
         {"ERROR", {"-classpath", "-gamma", "Main"}, "", {"Error: delta VM not supported"}}},
        {"-cp last", t, {"-Dx", "-cp"}, nullptr, {"alpha", {"-Dx", "-cp"}, "", {}}},
        {"-jar ends the scan at its file", t, {"-jar", "app.jar", "-delta"}, nullptr,
         {"alpha", {"-jar", "app.jar", "-delta"}, "", {}}},
        {"-J alone and other options kept", t, {"-J", "-Xmx64m", "-verbose", "-CP", "-gamma2"}, nullptr,
         {"alpha", {"-J", "-Xmx64m", "-verbose", "-CP", "-gamma2"}, "", {}}},
        {"empty argument ends the scan", t, {"", "-delta"}, nullptr, {"alpha", {"", "-delta"}, "", {}}},
        {"several selections, the last wins", t, {"-delta", "-gamma", "-J-alpha", "x"}, nullptr,
         {"alpha", {"x"}, "", {}}},
        {"environment", t, {}, "D:\\vm", {"D:\\vm", {}, "", {}}},
        {"argument over environment", t, {"-gamma"}, "D:\\vm", {"alpha", {}, gammaWarning, {}}},
        {"environment naming an error row", t, {}, "-delta", {"-delta", {}, "", {}}},
        {"environment naming a warn row", t, {"Main"}, "gamma", {"gamma", {"Main"}, "", {}}},
        {"environment set but empty", t, {}, "", {"", {}, "", {}}},
        {"table name that looks like altjvm", "-alpha KNOWN\n-XXaltjvm=odd KNOWN\n", {"-XXaltjvm=odd"},
         nullptr,
         {"XXaltjvm=odd", {}, "", {}}},
    });
}

TEST_F(VmSelectTest, AliasChainsAndDefaultRow) {
    const char* cycle = "Error: Corrupt jvm.cfg file; cycle in alias list.";
    RunCases(scratch_, {
        {"two-row cycle", "-alpha ALIASED_TO -beta\n-beta ALIASED_TO -alpha\n", {"-alpha"}, nullptr,
         {"ERROR", {}, "", {cycle}}},
        {"self alias", "-alpha KNOWN\n-self ALIASED_TO -self\n", {"-self", "Main"}, nullptr,
         {"ERROR", {"Main"}, "", {cycle}}},
        {"alias to a missing row", "-alpha KNOWN\n-beta ALIASED_TO -omega\n", {"-beta"}, nullptr,
         {"ERROR", {}, "", {"Error: Unable to resolve VM alias -omega"}}},
        {"alias written with -J", "-alpha KNOWN\n-beta ALIASED_TO -J-alpha\n", {"-beta"}, nullptr,
         {"alpha", {}, "", {}}},
        {"chain ending at a warn row", "-alpha KNOWN\n-beta ALIASED_TO -gamma\n-gamma WARN\n", {"-beta"},
         nullptr,
         {"alpha", {}, "Warning: gamma VM not supported; alpha VM will be used\n", {}}},
        {"chain ending at an error row", "-alpha KNOWN\n-beta ALIASED_TO -delta\n-delta ERROR\n", {"-beta"},
         nullptr,
         {"ERROR", {}, "", {"Error: delta VM not supported"}}},
        {"longest chain without a cycle",
         "-a KNOWN\n-b ALIASED_TO -a\n-c ALIASED_TO -b\n-d ALIASED_TO -c\n-e ALIASED_TO -d\n", {"-e"},
         nullptr,
         {"a", {}, "", {}}},
        {"default row is an alias, unresolved", "-beta ALIASED_TO -alpha\n-alpha KNOWN\n", {}, nullptr,
         {"beta", {}, "", {}}},
        {"default row is an error row, unchecked", "-delta ERROR\n-alpha KNOWN\n", {"Main"}, nullptr,
         {"delta", {"Main"}, "", {}}},
        {"warn falls back to an error default", "-delta ERROR\n-gamma WARN\n", {"-gamma"}, nullptr,
         {"delta", {}, "Warning: gamma VM not supported; delta VM will be used\n", {}}},
        {"default row without a dash", "alpha KNOWN\n", {}, nullptr, {"lpha", {}, "", {}}},
        {"empty default row", "\n-alpha KNOWN\n", {}, nullptr, {"", {}, "", {}}},
        {"-J selects the empty row", "-alpha KNOWN\n\n", {"-J", "Main"}, nullptr, {"", {"Main"}, "", {}}},
        {"warn with an empty default row", "\n-gamma WARN\n", {"-gamma"}, nullptr,
         {"", {}, "Warning: gamma VM not supported;  VM will be used\n", {}}},
    });
}

TEST_F(VmSelectTest, ResultPointsIntoItsSource) {
    ASSERT_EQ(LoadVmTableFromText(scratch_, STANDARD_TABLE), 4);
    char program[] = "Tarnbeck.exe";
    char altjvm[] = "-XXaltjvm=D:\\vm";
    char* vector[] = {program, altjvm, nullptr};
    int count = 2;
    char** arguments = vector;
    EXPECT_EQ(SelectVmType(&count, &arguments, true), altjvm + 10);
    free(arguments);

    count = 1;
    arguments = vector;
    EXPECT_EQ(SelectVmType(&count, &arguments, true), g_vmTable.rows[0].name + 1);
    free(arguments);

    ScopedEnv alternate("JDK_ALTERNATE_VM", "E:\\other");
    count = 1;
    arguments = vector;
    EXPECT_EQ(SelectVmType(&count, &arguments, true), getenv("JDK_ALTERNATE_VM"));
    free(arguments);
}

}  // namespace
