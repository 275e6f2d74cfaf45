// LauncherMain and CreateVm over the scripted JNI environment and the runtime doubles: the result on
// every path, the options the VM gets, what main receives, and the closing report.
#include "launcher_main.h"

#include "fake_jni.h"
#include "launcher_args.h"
#include "option_list.h"
#include "recording_reports.h"
#include "runtime_doubles.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char FATAL[] = "Fatal exception occurred.  Program will exit.";

class LauncherMainTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetLaunch();
    }
    void TearDown() override {
        EndLaunch();
        UseFakeJava(nullptr);
    }

    // A fresh launcher state, and a Java side with app.jar naming org.example.App.
    void ResetLaunch() {
        fake = FakeJava();
        fake.jars["app.jar"] = FakeJar{true, true, "org.example.App"};
        fake.appClasses["org/example/App"] = FakeAppClass();
        UseFakeJava(&fake);
        g_runtimeDoubles = RuntimeDoubles();
        g_optionList = OptionList{0, nullptr, 0};
        VersionOnly = VersionThenRun = SuppressExitMessage = false;
        ClearRecordedReports();
    }

    // CreateVm frees the option array; a launch that stopped before it leaves the array to free here.
    void EndLaunch() {
        if (!fake.created) {
            free(g_optionList.entries);
        }
        g_optionList = OptionList{0, nullptr, 0};
        VersionOnly = VersionThenRun = SuppressExitMessage = false;
    }

    // Runs LauncherMain on the program name and `arguments`, in an array without a null entry at its
    // end, as RunLaunch builds it.
    LaunchResult Launch(const std::vector<std::string>& arguments) {
        storage.assign(1, "C:\\Tarnbeck\\Tarnbeck.exe");
        storage.insert(storage.end(), arguments.begin(), arguments.end());
        vector.clear();
        for (std::string& argument : storage) {
            vector.push_back(&argument[0]);
        }
        testing::internal::CaptureStderr();
        LaunchResult result = LauncherMain(static_cast<int>(vector.size()), vector.data());
        errorOutput = testing::internal::GetCapturedStderr();
        return result;
    }

    int CountCalls(const std::string& call) const {
        return static_cast<int>(std::count(fake.calls.begin(), fake.calls.end(), call));
    }

    FakeJava fake;
    std::vector<std::string> storage;
    std::vector<char*> vector;
    std::string errorOutput;
};

TEST_F(LauncherMainTest, RunsTheJarsMainClassWithTheRemainingArguments) {
    LaunchResult result =
        Launch({"-Xms4m", "-jar", "app.jar", "from-properties", "magnet:?xt=urn:sha1:ABC&dn=a b"});

    EXPECT_EQ(result, LAUNCH_VM_ENDED);
    EXPECT_EQ(g_runtimeDoubles.locatedVector, storage);
    EXPECT_EQ(g_runtimeDoubles.boundPath, FAKE_VM_LIBRARY_PATH);
    EXPECT_TRUE(g_runtimeDoubles.entryPointsNullOnBind);
    EXPECT_EQ(fake.initVersion, JNI_VERSION_1_2);
    EXPECT_EQ(fake.ignoreUnrecognized, JNI_FALSE);
    EXPECT_EQ(fake.options, (std::vector<std::string>{
                                "-Xms4m",
                                "-Djava.class.path=app.jar",
                                "-Dsun.java.command=app.jar from-properties magnet:?xt=urn:sha1:ABC&dn=a b",
                            }));
    EXPECT_EQ(fake.optionExtras, std::vector<void*>(3, nullptr));
    EXPECT_EQ(CountCalls("FindClass org/example/App"), 1);
    EXPECT_EQ(CountCalls("GetStaticMethodID org/example/App main ([Ljava/lang/String;)V"), 1);
    EXPECT_EQ(CountCalls("ToReflectedMethod main static"), 1);
    EXPECT_EQ(CountCalls("GetStringUTFChars"), 1);
    EXPECT_EQ(fake.liveUtfChars, 0);
    EXPECT_EQ(CountCalls("JNI_GetDefaultJavaVMInitArgs"), 0);
    EXPECT_TRUE(fake.mainCalled);
    EXPECT_EQ(fake.mainArguments,
              (std::vector<std::string>{"from-properties", "magnet:?xt=urn:sha1:ABC&dn=a b"}));
    EXPECT_EQ(g_runtimeDoubles.releaseCalls, 1);
    ASSERT_GE(fake.calls.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(fake.calls.end() - 2, fake.calls.end()),
              (std::vector<std::string>{"DetachCurrentThread", "DestroyJavaVM"}));
    EXPECT_TRUE(fake.described.empty());
    EXPECT_TRUE(RecordedReports().empty());
    EXPECT_EQ(errorOutput, "");
}

TEST_F(LauncherMainTest, RunsAClassNamedWithTheClassPath) {
    EXPECT_EQ(Launch({"-cp", "lib.jar", "org.example.App", "-x", "caf\xC3\xA9"}), LAUNCH_VM_ENDED);
    EXPECT_EQ(fake.options, (std::vector<std::string>{"-Djava.class.path=lib.jar",
                                                      "-Dsun.java.command=org.example.App -x caf\xC3\xA9"}));
    EXPECT_EQ(CountCalls("FindClass java/util/jar/JarFile"), 0);
    EXPECT_EQ(CountCalls("FindClass org/example/App"), 1);
    EXPECT_EQ(fake.liveUtfChars, 0);
    EXPECT_EQ(fake.mainArguments, (std::vector<std::string>{"-x", "caf\xC3\xA9"}));
    EXPECT_EQ(fake.detachCalls, 1);
    EXPECT_TRUE(RecordedReports().empty());
}

// LocateRuntime takes the VM-selecting arguments out; the parser works on what it hands back.
TEST_F(LauncherMainTest, ParsesTheVectorThatLocateRuntimeHandsBack) {
    g_runtimeDoubles.replaceVector = true;
    g_runtimeDoubles.replacement = {"C:\\Tarnbeck\\Tarnbeck.exe", "-jar", "app.jar", "a"};
    EXPECT_EQ(Launch({"-client", "-jar", "app.jar", "a"}), LAUNCH_VM_ENDED);
    EXPECT_EQ(fake.options,
              (std::vector<std::string>{"-Djava.class.path=app.jar", "-Dsun.java.command=app.jar a"}));
    EXPECT_EQ(fake.mainArguments, std::vector<std::string>{"a"});
}

TEST_F(LauncherMainTest, FailuresBeforeTheVmExists) {
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        int locateResult;
        bool bindResult;
        bool createFails;
        LaunchResult expected;
        int bindCalls;
        std::vector<std::string> reports;
    };
    const Case cases[] = {
        {"no runtime", {"-jar", "app.jar"}, 1, true, false, LAUNCH_NO_RUNTIME, 0, {}},
        {"jvm.dll not bound", {"-jar", "app.jar"}, 0, false, false, LAUNCH_RUNTIME_NOT_LOADED, 1, {}},
        {"-X alone", {"-X", "-jar", "app.jar"}, 0, true, false, LAUNCH_BAD_ARGUMENTS, 1, {}},
        {"-cp last", {"-Xms4m", "-cp"}, 0, true, false, LAUNCH_BAD_ARGUMENTS, 1,
         {"-cp requires class path specification"}},
        {"VM refuses an option", {"-Xss64k", "-jar", "app.jar"}, 0, true, true, LAUNCH_VM_NOT_CREATED, 1,
         {"Could not create the Java virtual machine."}},
        // The creation's report is not a closing message: suppressing those leaves it.
        {"VM refuses, exit message suppressed", {"-XXsuppressExitMessage", "-Xss64k", "Main"}, 0, true, true,
         LAUNCH_VM_NOT_CREATED, 1, {"Could not create the Java virtual machine."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetLaunch();
        g_runtimeDoubles.locateResult = c.locateResult;
        g_runtimeDoubles.bindResult = c.bindResult;
        if (c.createFails) {
            fake.failures["JNI_CreateJavaVM"] = FakeFailure{1, ""};
        }
        EXPECT_EQ(Launch(c.arguments), c.expected);
        EXPECT_EQ(g_runtimeDoubles.bindCalls, c.bindCalls);
        EXPECT_EQ(fake.created, c.createFails);
        EXPECT_EQ(fake.destroyCalls, 0);
        EXPECT_EQ(g_runtimeDoubles.releaseCalls, 0);
        EXPECT_EQ(RecordedReports(), c.reports);
        if (c.bindCalls == 0 || !c.bindResult) {
            EXPECT_EQ(g_optionList.count, 0);  // nothing parsed
        }
        EndLaunch();
    }
}

struct RunCase {
    const char* name;
    std::vector<std::string> arguments;
    void (*script)(FakeJava& fake);
    std::vector<std::string> described;
    std::vector<std::string> reports;
    bool mainCalled;
    int detachCalls;
    int releaseCalls;
    const char* errorOutput;
};

void NoScript(FakeJava&) {}

const RunCase RUN_CASES[] = {
    {"nothing to run", {"-Xms4m"}, NoScript, {}, {}, false, 0, 0, ""},
    {"-version", {"-version", "-jar", "app.jar"}, [](FakeJava& f) { f.hasVersionClass = true; }, {}, {},
     false, 0, 0, ""},
    {"-version without sun.misc.Version", {"-version", "-jar", "app.jar"}, NoScript,
     {"java.lang.NoClassDefFoundError: sun/misc/Version"}, {FATAL}, false, 0, 0, ""},
    {"-showversion", {"-showversion", "-jar", "app.jar"}, [](FakeJava& f) { f.hasVersionClass = true; }, {},
     {}, true, 1, 1, "\n"},
    {"-showversion with the print throwing", {"-showversion", "-jar", "app.jar"},
     [](FakeJava& f) {
         f.hasVersionClass = true;
         f.versionPrintThrows = true;
     },
     {"java.lang.InternalError: version print"}, {FATAL}, false, 0, 0, ""},
    {"jar cannot be opened", {"-jar", "missing.jar"}, NoScript,
     {"java.nio.file.NoSuchFileException: missing.jar"}, {FATAL}, false, 0, 1, ""},
    {"jar without a manifest", {"-jar", "app.jar"},
     [](FakeJava& f) { f.jars["app.jar"] = FakeJar{false, false, ""}; }, {},
     {"Failed to load Main-Class manifest attribute from\napp.jar"}, false, 0, 1, ""},
    {"manifest without Main-Class", {"-jar", "app.jar"},
     [](FakeJava& f) { f.jars["app.jar"] = FakeJar{true, false, ""}; }, {},
     {"Failed to load Main-Class manifest attribute from\napp.jar"}, false, 0, 1, ""},
    {"Main-Class not turned into characters", {"-jar", "app.jar"},
     [](FakeJava& f) { f.failures["GetStringUTFChars"] = FakeFailure{1, "java.lang.OutOfMemoryError"}; },
     {"java.lang.OutOfMemoryError"}, {FATAL}, false, 0, 1, ""},
    {"Main-Class names a missing class", {"-jar", "app.jar"},
     [](FakeJava& f) { f.jars["app.jar"].mainClass = "org.example.Missing"; },
     {"java.lang.NoClassDefFoundError: org/example/Missing"},
     {"Could not find the main class.  Program will exit."}, false, 0, 1, ""},
    {"named class missing", {"org.example.Missing"}, NoScript,
     {"java.lang.NoClassDefFoundError: org/example/Missing"},
     {"Could not find the main class. Program will exit."}, false, 0, 1, ""},
    {"named class not turned into a Java string", {"org.example.App"},
     [](FakeJava& f) { f.failures["NewByteArray"] = FakeFailure{1, ""}; }, {},
     {"Failed to load Main Class: org.example.App"}, false, 0, 1, ""},
    {"named class not turned into characters", {"org.example.App"},
     [](FakeJava& f) { f.failures["GetStringUTFChars"] = FakeFailure{1, "java.lang.OutOfMemoryError"}; },
     {"java.lang.OutOfMemoryError"}, {FATAL}, false, 0, 1, ""},
    {"only an instance main", {"-jar", "app.jar"},
     [](FakeJava& f) { f.appClasses["org/example/App"].hasStaticMain = false; },
     {"java.lang.NoSuchMethodError: main"}, {FATAL}, false, 0, 1, ""},
    {"main lookup fails without an exception", {"-jar", "app.jar"},
     [](FakeJava& f) { f.failures["GetStaticMethodID"] = FakeFailure{1, ""}; }, {},
     {"No main method found in specified class."}, false, 0, 1, ""},
    {"no reflected method", {"-jar", "app.jar"},
     [](FakeJava& f) { f.failures["ToReflectedMethod"] = FakeFailure{1, "java.lang.OutOfMemoryError"}; },
     {"java.lang.OutOfMemoryError"}, {FATAL}, false, 0, 1, ""},
    // For a class by name, the second GetMethodID is getModifiers (the first is String's constructor).
    {"getModifiers lookup throws", {"org.example.App"},
     [](FakeJava& f) {
         f.failures["GetMethodID"] = FakeFailure{2, "java.lang.NoSuchMethodError: getModifiers"};
     },
     {"java.lang.NoSuchMethodError: getModifiers"}, {FATAL}, false, 0, 1, ""},
    {"getModifiers lookup null without an exception", {"org.example.App"},
     [](FakeJava& f) { f.failures["GetMethodID"] = FakeFailure{2, ""}; }, {}, {FATAL}, false, 0, 1, ""},
    {"main not public", {"-jar", "app.jar"},
     [](FakeJava& f) { f.appClasses["org/example/App"].mainModifiers = 0x8; }, {},
     {"Main method not public."}, false, 0, 1, ""},
    {"the public bit alone decides", {"-jar", "app.jar"},
     [](FakeJava& f) { f.appClasses["org/example/App"].mainModifiers = 0x1; }, {}, {}, true, 1, 1, ""},
    {"no argument array", {"-jar", "app.jar", "a"},
     [](FakeJava& f) { f.failures["NewObjectArray"] = FakeFailure{1, "java.lang.OutOfMemoryError"}; },
     {"java.lang.OutOfMemoryError"}, {FATAL}, false, 0, 1, ""},
    {"main throws", {"-jar", "app.jar"},
     [](FakeJava& f) { f.appClasses["org/example/App"].mainThrows = true; },
     {"java.lang.IllegalStateException: thrown by main"}, {FATAL}, true, 0, 1, ""},
    {"thread not detached", {"-jar", "app.jar"},
     [](FakeJava& f) { f.failures["DetachCurrentThread"] = FakeFailure{1, ""}; }, {},
     {"Could not detach main thread."}, true, 1, 1, ""},
    {"main throws, exit message suppressed", {"-XXsuppressExitMessage", "-jar", "app.jar"},
     [](FakeJava& f) { f.appClasses["org/example/App"].mainThrows = true; },
     {"java.lang.IllegalStateException: thrown by main"}, {}, true, 0, 1, ""},
    {"no manifest, exit message suppressed", {"-XXsuppressExitMessage", "-jar", "app.jar"},
     [](FakeJava& f) { f.jars["app.jar"] = FakeJar{false, false, ""}; }, {}, {}, false, 0, 1, ""},
};

// Once the VM exists every path ends in DestroyJavaVM and LAUNCH_VM_ENDED; the closing report and
// the exceptions described tell the paths apart.
TEST_F(LauncherMainTest, EveryPathAfterTheVmsCreation) {
    for (const RunCase& c : RUN_CASES) {
        SCOPED_TRACE(c.name);
        ResetLaunch();
        c.script(fake);
        EXPECT_EQ(Launch(c.arguments), LAUNCH_VM_ENDED);
        EXPECT_EQ(fake.described, c.described);
        EXPECT_EQ(RecordedReports(), c.reports);
        EXPECT_EQ(fake.mainCalled, c.mainCalled);
        EXPECT_EQ(fake.detachCalls, c.detachCalls);
        EXPECT_EQ(g_runtimeDoubles.releaseCalls, c.releaseCalls);
        EXPECT_EQ(errorOutput, c.errorOutput);
        EXPECT_EQ(fake.destroyCalls, 1);
        EXPECT_EQ(fake.calls.back(), "DestroyJavaVM");
        EndLaunch();
    }
}

TEST_F(LauncherMainTest, CreateVmHandsTheListToTheRuntimeAndFreesItsArray) {
    struct Case {
        const char* failure;  // null: the creation succeeds
        bool expected;
    };
    const Case cases[] = {{nullptr, true}, {"fails", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure == nullptr ? "created" : "refused");
        ResetLaunch();
        if (c.failure != nullptr) {
            fake.failures["JNI_CreateJavaVM"] = FakeFailure{1, ""};
        }
        const char* texts[] = {"-Xms4m", "-Da=1", "-Db=2", "-Dc=3", "-Dd=4"};
        for (const char* text : texts) {
            AppendVmOption(text, nullptr);
        }
        RuntimeEntryPoints entryPoints = {FakeCreateJavaVM, FakeGetDefaultJavaVMInitArgs};
        JavaVM* vm = nullptr;
        JNIEnv* environment = nullptr;
        EXPECT_EQ(CreateVm(&vm, &environment, &entryPoints), c.expected);
        EXPECT_EQ(fake.options, std::vector<std::string>(std::begin(texts), std::end(texts)));
        EXPECT_EQ(fake.initVersion, JNI_VERSION_1_2);
        EXPECT_EQ(fake.ignoreUnrecognized, JNI_FALSE);
        if (c.expected) {
            EXPECT_EQ(vm, FakeVm());
            EXPECT_EQ(environment, FakeEnvironment());
        }
        EndLaunch();
    }
}

}  // namespace
