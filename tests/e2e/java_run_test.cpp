// The host Tarnbeck running real Java applications on the machine's OpenJDK 17: what main receives,
// the result box and exit code on each way a launch can end, and what the VM prints.
#include "installation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char CAPTION[] = "Tarnbeck Launcher Error";
const char UNABLE_TO_LOAD[] = "Tarnbeck was unable to load.\nPlease download and install Tarnbeck again.";
const char BAD_ARGUMENTS[] =
    "Tarnbeck failed to parse the commandline arguments to Java.\n"
    "Please download and install Tarnbeck again.";
const char RUNTIME_TEXT_START[] =
    "Tarnbeck was unable to load the Java Runtime Environment.\n"
    "Please download and install a newer version from ";

// Launch lines a 64-bit runtime accepts (the built-in ones ask for a 64k stack, which it refuses).
const char FIT_OPTIONS[] = "-Xms4m\n-Xminf0.10\n-Xmaxf0.25\n";

class JavaRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        runtimeFolder = new std::string(MakeScratchDir());
        runtimeHome = new std::string(MakeRuntimeHome(*runtimeFolder));
    }
    static void TearDownTestSuite() {
        RemoveTree(*runtimeFolder);
        delete runtimeFolder;
        delete runtimeHome;
    }
    void TearDown() override { RemoveInstallation(); }

    void RemoveInstallation() {
        if (!installation.root.empty()) {
            RemoveTree(installation.root);
            installation.root.clear();
        }
    }

    LaunchOutcome Launch(const std::string& launchProperties, const std::vector<std::string>& jars,
                         const std::vector<std::string>& arguments) {
        installation = MakeInstallation(*runtimeHome, launchProperties.c_str(), jars);
        return RunLauncher(installation, arguments);
    }

    // Exactly one result box, with `text`.
    static void ExpectResultBox(const LaunchOutcome& outcome, const std::string& text) {
        ASSERT_EQ(outcome.boxes.size(), 1u) << outcome.err;
        EXPECT_EQ(outcome.boxes[0].caption, CAPTION);
        EXPECT_EQ(outcome.boxes[0].text, text);
        EXPECT_EQ(outcome.boxes[0].buttons, "OK");
    }

    static void ExpectRuntimeBox(const LaunchOutcome& outcome) {
        ASSERT_EQ(outcome.boxes.size(), 1u) << outcome.err;
        EXPECT_EQ(outcome.boxes[0].caption, CAPTION);
        const std::string& text = outcome.boxes[0].text;
        EXPECT_EQ(text.rfind(RUNTIME_TEXT_START, 0), 0u) << text;
        EXPECT_GT(text.size(), sizeof RUNTIME_TEXT_START);
        EXPECT_EQ(text.back(), '.') << text;
    }

    static std::string* runtimeFolder;
    static std::string* runtimeHome;
    Installation installation;
};

std::string* JavaRunTest::runtimeFolder = nullptr;
std::string* JavaRunTest::runtimeHome = nullptr;

// The way the shell starts the registered handler: the link as the only argument. Without an
// InstallDir the registration has nothing to do.
TEST_F(JavaRunTest, JarsMainReceivesAMagnetLinkAsItsOnlyArgument) {
    const std::string link = "magnet:?xt=urn:sha1:YNCKHTQCWBTRNJIV4WNAE52SJUQCZO5C&dn=Some+File.txt";
    LaunchOutcome outcome =
        Launch(std::string(FIT_OPTIONS) + "-jar\nshow-args.jar\n", {"show-args.jar"}, {link});
    EXPECT_EQ(outcome.exitCode, 9);
    EXPECT_EQ(outcome.out, "arg[0]=" + link + "\n"
                           "java.class.path=show-args.jar\n"
                           "sun.java.command=show-args.jar " + link + "\n");
    EXPECT_EQ(outcome.err, "");
    ExpectResultBox(outcome, UNABLE_TO_LOAD);
}

TEST_F(JavaRunTest, LaunchLinesAfterTheJarComeBeforeTheCommandLine) {
    LaunchOutcome outcome = Launch(std::string(FIT_OPTIONS) + "-jar\nshow-args.jar\nfrom properties\n\n",
                                   {"show-args.jar"}, {"-pmf", "from the command line"});
    EXPECT_EQ(outcome.exitCode, 9);
    EXPECT_EQ(outcome.out,
              "arg[0]=from properties\n"
              "arg[1]=\n"
              "arg[2]=-pmf\n"
              "arg[3]=from the command line\n"
              "java.class.path=show-args.jar\n"
              "sun.java.command=show-args.jar from properties  -pmf from the command line\n");
    ExpectResultBox(outcome, UNABLE_TO_LOAD);
}

TEST_F(JavaRunTest, ClassNamedWithTheClassPath) {
    LaunchOutcome outcome = Launch(std::string(FIT_OPTIONS) + "-cp\nshow-args.jar\nfixture.ShowArgs\n",
                                   {"show-args.jar"}, {"-pmf", "x"});
    EXPECT_EQ(outcome.exitCode, 9);
    EXPECT_EQ(outcome.out,
              "arg[0]=-pmf\n"
              "arg[1]=x\n"
              "java.class.path=show-args.jar\n"
              "sun.java.command=fixture.ShowArgs -pmf x\n");
    ExpectResultBox(outcome, UNABLE_TO_LOAD);
}

// Arguments are handed to Java as bytes and decoded by the runtime's default character set (UTF-8
// here): a lone 0xE9 becomes U+FFFD, a four-byte sequence a surrogate pair.
TEST_F(JavaRunTest, BytesAboveSevenBitsAreDecodedByTheRuntime) {
    LaunchOutcome outcome = Launch(std::string(FIT_OPTIONS) + "-jar\nshow-args.jar\n", {"show-args.jar"},
                                   {"-pmf", "caf\xC3\xA9", "\xE9", "\xF0\x9F\x98\x80"});
    EXPECT_EQ(outcome.exitCode, 9);
    EXPECT_NE(outcome.out.find("arg[1]=caf\\u00e9\n"
                               "arg[2]=\\ufffd\n"
                               "arg[3]=\\ud83d\\ude00\n"),
              std::string::npos)
        << outcome.out;
}

// Each way the main class or its main can be missing: nothing runs, the launch ends with 9, and what
// the VM knows about it is on standard error.
TEST_F(JavaRunTest, NoUsableMain) {
    struct Case {
        const char* name;
        const char* launchLines;
        const char* jar;
        const char* errorText;  // null: standard error stays empty
    };
    const Case cases[] = {
        {"jar without Main-Class", "-jar\nno-main-class.jar\n", "no-main-class.jar", nullptr},
        {"Main-Class not in the jar", "-jar\nmissing-main-class.jar\n", "missing-main-class.jar",
         "java.lang.NoClassDefFoundError: fixture/Missing"},
        {"class named with -cp not found", "-cp\nshow-args.jar\nfixture.Missing\n", "show-args.jar",
         "java.lang.NoClassDefFoundError: fixture/Missing"},
        {"jar not there", "-jar\nnot-there.jar\n", "show-args.jar",
         "java.nio.file.NoSuchFileException: not-there.jar"},
        {"main not public", "-jar\nnot-public-main.jar\n", "not-public-main.jar", nullptr},
        {"only an instance main", "-jar\ninstance-main.jar\n", "instance-main.jar",
         "java.lang.NoSuchMethodError: static Lfixture/InstanceMain;.main([Ljava/lang/String;)V"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LaunchOutcome outcome = Launch(std::string(FIT_OPTIONS) + c.launchLines, {c.jar}, {"-pmf"});
        EXPECT_EQ(outcome.exitCode, 9);
        EXPECT_EQ(outcome.out, "");
        if (c.errorText == nullptr) {
            EXPECT_EQ(outcome.err, "");
        } else {
            EXPECT_NE(outcome.err.find(c.errorText), std::string::npos) << outcome.err;
        }
        ExpectResultBox(outcome, UNABLE_TO_LOAD);
        RemoveInstallation();
    }
}

TEST_F(JavaRunTest, MainThrowingIsPrintedByTheVm) {
    LaunchOutcome outcome =
        Launch(std::string(FIT_OPTIONS) + "-jar\nthrowing.jar\n", {"throwing.jar"}, {"-pmf"});
    EXPECT_EQ(outcome.exitCode, 9);
    EXPECT_EQ(outcome.out, "main ran\n");
    const char* printed =
        "Exception in thread \"main\" java.lang.IllegalStateException: thrown by the fixture\n"
        "\tat fixture.Throwing.main(Throwing.java:";
    EXPECT_EQ(outcome.err.rfind(printed, 0), 0u) << outcome.err;
    ExpectResultBox(outcome, UNABLE_TO_LOAD);
}

TEST_F(JavaRunTest, ApplicationEndingTheProcessKeepsItsExitCodeAndShowsNoBox) {
    LaunchOutcome outcome =
        Launch(std::string(FIT_OPTIONS) + "-jar\nexit-code.jar\n", {"exit-code.jar"}, {"-pmf"});
    EXPECT_EQ(outcome.exitCode, 42);
    EXPECT_EQ(outcome.out, "exiting with 42\n");
    EXPECT_TRUE(outcome.boxes.empty());
}

TEST_F(JavaRunTest, TeardownWaitsForTheApplicationsOtherThreads) {
    LaunchOutcome outcome =
        Launch(std::string(FIT_OPTIONS) + "-jar\noutliving-thread.jar\n", {"outliving-thread.jar"}, {"-pmf"});
    EXPECT_EQ(outcome.exitCode, 9);
    EXPECT_EQ(outcome.out, "main returned\nthread finished\n");
    ExpectResultBox(outcome, UNABLE_TO_LOAD);
}

// The built-in launch lines ask for a 64k thread stack, which a 64-bit runtime refuses.
TEST_F(JavaRunTest, VmOptionTheRuntimeRefuses) {
    installation = MakeInstallation(*runtimeHome, nullptr, {"show-args.jar"});
    LaunchOutcome outcome = RunLauncher(installation, {"-pmf"});
    EXPECT_EQ(outcome.exitCode, 8);
    // HotSpot writes this refusal on standard output.
    EXPECT_NE(outcome.out.find("The Java thread stack size specified is too small"), std::string::npos)
        << outcome.out;
    ExpectRuntimeBox(outcome);
}

TEST_F(JavaRunTest, UnusableLauncherArguments) {
    const char* launchLines[] = {"-X\n-jar\nshow-args.jar\n", "-Xms4m\n-cp\n"};
    for (const char* lines : launchLines) {
        SCOPED_TRACE(lines);
        LaunchOutcome outcome = Launch(lines, {"show-args.jar"}, {});
        EXPECT_EQ(outcome.exitCode, 7);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "");
        ExpectResultBox(outcome, BAD_ARGUMENTS);
        RemoveInstallation();
    }
}

// A 17 runtime has no sun.misc.Version: the lookup's exception is described and nothing runs, with
// "-showversion" as with "-version".
TEST_F(JavaRunTest, VersionOptionsOnARuntimeWithoutSunMiscVersion) {
    for (const char* option : {"-showversion\n", "-version\n"}) {
        SCOPED_TRACE(option);
        LaunchOutcome outcome =
            Launch(std::string(FIT_OPTIONS) + option + "-jar\nshow-args.jar\n", {"show-args.jar"}, {"-pmf"});
        EXPECT_EQ(outcome.exitCode, 9);
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(outcome.err.find("java.lang.NoClassDefFoundError: sun/misc/Version"), std::string::npos)
            << outcome.err;
        ExpectResultBox(outcome, UNABLE_TO_LOAD);
        RemoveInstallation();
    }
}

}  // namespace
