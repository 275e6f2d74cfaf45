// ParseLauncherArgs over its option table: translations, pass-through, flags, the class path, the
// end of the options, and the failures.
#include "launcher_args.h"

#include "option_list.h"
#include "recording_reports.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

namespace {

enum Named { NOTHING_NAMED, JAR_NAMED, CLASS_NAMED };

struct ParseCase {
    const char* name;
    std::vector<std::string> arguments;
    bool result;
    std::vector<std::string> options;
    Named named;
    int namedIndex;                 // the argument that names the application
    std::vector<std::string> rest;  // the application's own arguments
    bool versionOnly;
    bool versionThenRun;
    bool suppressExitMessage;
    std::vector<std::string> reports;
    const char* errorOutput;
};

const ParseCase PARSE_CASES[] = {
    {"jar after a VM option after -jar", {"-jar", "-Xss64k", "app.jar", "a", "-b"}, true,
     {"-Xss64k"}, JAR_NAMED, 2, {"a", "-b"}, false, false, false, {}, ""},
    {"-jar last", {"-Xms4m", "-jar"}, true, {"-Xms4m"}, NOTHING_NAMED, 0, {}, false, false, false, {}, ""},
    {"options only", {"-Xms4m", "-Dx=1"}, true, {"-Xms4m", "-Dx=1"}, NOTHING_NAMED, 0, {}, false, false,
     false, {}, ""},
    {"nothing at all", {}, true, {}, NOTHING_NAMED, 0, {}, false, false, false, {}, ""},
    {"-cp last", {"-Xms4m", "-cp"}, false, {"-Xms4m"}, NOTHING_NAMED, 0, {}, false, false, false,
     {"-cp requires class path specification"}, ""},
    {"-classpath last", {"-classpath"}, false, {}, NOTHING_NAMED, 0, {}, false, false, false,
     {"-classpath requires class path specification"}, ""},
    {"class path beginning with '-'", {"-cp", "-odd", "Main", "x"}, true, {"-Djava.class.path=-odd"},
     CLASS_NAMED, 2, {"x"}, false, false, false, {}, ""},
    {"-classpath then a class", {"-classpath", "lib.jar", "org.example.Main"}, true,
     {"-Djava.class.path=lib.jar"}, CLASS_NAMED, 2, {}, false, false, false, {}, ""},
    {"-version ends parsing", {"-Xms4m", "-version", "-X", "Main"}, true, {"-Xms4m"}, NOTHING_NAMED, 0,
     {}, true, false, false, {}, ""},
    {"-X alone", {"-Xms4m", "-X", "Main"}, false, {"-Xms4m"}, NOTHING_NAMED, 0, {}, false, false, false, {},
     ""},
    {"-X prefixes pass through", {"-Xms4m", "-Xfoo", "-XX:+UseSerialGC", "Main"}, true,
     {"-Xms4m", "-Xfoo", "-XX:+UseSerialGC"}, CLASS_NAMED, 3, {}, false, false, false, {}, ""},
    {"-XXsuppressExitMessage", {"-XXsuppressExitMessage", "Main"}, true, {}, CLASS_NAMED, 1, {}, false,
     false, true, {}, ""},
    {"-showversion", {"-showversion", "-jar", "app.jar"}, true, {}, JAR_NAMED, 2, {}, false, true, false, {},
     ""},
    {"translated old options",
     {"-verbosegc", "-t", "-tm", "-debug", "-noclassgc", "-Xfuture", "-verify", "-verifyremote", "-noverify",
      "M"},
     true,
     {"-verbose:gc", "-Xt", "-Xtm", "-Xdebug", "-Xnoclassgc", "-Xverify:all", "-Xverify:all",
      "-Xverify:remote", "-Xverify:none"},
     CLASS_NAMED, 9, {}, false, false, false, {}, ""},
    {"profiler file names", {"-prof", "-prof:my.prof", "-profx", "-profile", "M"}, true,
     {"-Xrunhprof:cpu=old,file=java.prof", "-Xrunhprof:cpu=old,file=my.prof", "-Xrunhprof:cpu=old,file=",
      "-Xrunhprof:cpu=old,file=le"},
     CLASS_NAMED, 4, {}, false, false, false, {}, ""},
    {"old size options", {"-ss256k", "-oss1m", "-ms4m", "-mx64m", "-ss", "M"}, true,
     {"-Xss256k", "-Xoss1m", "-Xms4m", "-Xmx64m", "-Xss"}, CLASS_NAMED, 5, {}, false, false, false, {}, ""},
    {"obsolete options warn", {"-checksource", "-cs", "-noasyncgc", "M"}, true, {}, CLASS_NAMED, 3, {},
     false, false, false, {},
     "Warning: -checksource option is no longer supported.\n"
     "Warning: -cs option is no longer supported.\n"
     "Warning: -noasyncgc option is no longer supported.\n"},
    {"ignored options", {"-version:1.5", "-version:", "-jre-restrict-search", "-no-jre-restrict-search", "M"},
     true, {}, CLASS_NAMED, 4, {}, false, false, false, {}, ""},
    {"near misses pass through", {"-versionx", "-verbose", "-JAR", "-", "-cpx", "-Version", "app.jar"}, true,
     {"-versionx", "-verbose", "-JAR", "-", "-cpx", "-Version"}, CLASS_NAMED, 6, {}, false, false, false, {},
     ""},
    {"empty argument names the class", {"-Xms4m", "", "x"}, true, {"-Xms4m"}, CLASS_NAMED, 1, {"x"}, false,
     false, false, {}, ""},
    {"arguments after the class are the application's", {"Main", "-jar", "x", "-version", "-X"}, true, {},
     CLASS_NAMED, 0, {"-jar", "x", "-version", "-X"}, false, false, false, {}, ""},
};

class ParseLauncherArgsTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_optionList = OptionList{0, nullptr, 0};
        VersionOnly = VersionThenRun = SuppressExitMessage = false;
        ClearRecordedReports();
    }
    void TearDown() override { ResetState(); }

    static void ResetState() {
        free(g_optionList.entries);
        g_optionList = OptionList{0, nullptr, 0};
        VersionOnly = VersionThenRun = SuppressExitMessage = false;
        ClearRecordedReports();
    }

    static std::vector<std::string> Options() {
        std::vector<std::string> texts;
        for (int32_t i = 0; i < g_optionList.count; ++i) {
            EXPECT_EQ(g_optionList.entries[i].extraInfo, nullptr) << i;
            texts.push_back(g_optionList.entries[i].optionString);
        }
        return texts;
    }
};

TEST_F(ParseLauncherArgsTest, OptionTable) {
    for (const ParseCase& c : PARSE_CASES) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> storage = c.arguments;
        std::vector<char*> vector;
        for (std::string& argument : storage) {
            vector.push_back(&argument[0]);
        }
        vector.push_back(nullptr);
        int count = static_cast<int>(storage.size());
        char** arguments = vector.data();
        // Sentinels show whether the parser wrote the names.
        char untouched[] = "untouched";
        char* jarFile = untouched;
        char* mainClass = untouched;

        testing::internal::CaptureStderr();
        bool result = ParseLauncherArgs(&count, &arguments, &jarFile, &mainClass);
        std::string errorOutput = testing::internal::GetCapturedStderr();

        EXPECT_EQ(result, c.result);
        EXPECT_EQ(Options(), c.options);
        EXPECT_EQ(VersionOnly, c.versionOnly);
        EXPECT_EQ(VersionThenRun, c.versionThenRun);
        EXPECT_EQ(SuppressExitMessage, c.suppressExitMessage);
        EXPECT_EQ(RecordedReports(), c.reports);
        EXPECT_EQ(errorOutput, c.errorOutput);
        if (c.named == NOTHING_NAMED) {
            EXPECT_EQ(jarFile, untouched);
            EXPECT_EQ(mainClass, untouched);
            EXPECT_EQ(count, static_cast<int>(storage.size()));
            EXPECT_EQ(arguments, vector.data());
        } else {
            char* name = vector[static_cast<size_t>(c.namedIndex)];
            EXPECT_EQ(jarFile, c.named == JAR_NAMED ? name : nullptr);
            EXPECT_EQ(mainClass, c.named == CLASS_NAMED ? name : nullptr);
            EXPECT_EQ(arguments, vector.data() + c.namedIndex + 1);
            EXPECT_EQ(count, static_cast<int>(c.rest.size()));
            EXPECT_EQ(std::vector<std::string>(arguments, arguments + count), c.rest);
        }
        ResetState();
    }
}

// The count bounds the walk: the launch vector that RunLaunch builds has no null entry at its end.
TEST_F(ParseLauncherArgsTest, ReadsNoFurtherThanTheCount) {
    char option[] = "-Xms4m";
    char beyond[] = "Main";
    char* vector[] = {option, beyond};
    int count = 1;
    char** arguments = vector;
    char* jarFile = nullptr;
    char* mainClass = nullptr;
    EXPECT_TRUE(ParseLauncherArgs(&count, &arguments, &jarFile, &mainClass));
    EXPECT_EQ(mainClass, nullptr);
    EXPECT_EQ(Options(), std::vector<std::string>{"-Xms4m"});

    char classPath[] = "-cp";
    char* classPathVector[] = {classPath, beyond};
    count = 1;
    arguments = classPathVector;
    EXPECT_FALSE(ParseLauncherArgs(&count, &arguments, &jarFile, &mainClass));
}

}  // namespace
