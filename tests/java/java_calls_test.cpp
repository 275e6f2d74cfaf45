// The Java-side calls over the scripted JNI environment: what each hands the VM, what it releases,
// and that every failure is a null result with the exception left pending.
#include "java_calls.h"

#include "fake_jni.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class JavaCallsTest : public ::testing::Test {
protected:
    void SetUp() override { UseFakeJava(&fake); }
    void TearDown() override { UseFakeJava(nullptr); }

    // Starts over with a fresh script between the cases of one test.
    void Restart() {
        fake = FakeJava();
        UseFakeJava(&fake);
    }

    int CountCalls(const std::string& call) const {
        return static_cast<int>(std::count(fake.calls.begin(), fake.calls.end(), call));
    }

    FakeJava fake;
    JNIEnv* environment = FakeEnvironment();
};

TEST_F(JavaCallsTest, ToJavaStringPassesTheBytesToStringOfByteArray) {
    const std::string texts[] = {"", "Tarnbeck.jar", "caf\xC3\xA9 \xE9\x80\xFF"};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        Restart();
        jstring result = ToJavaString(environment, text.c_str());
        ASSERT_TRUE(FakeIsString(result));
        EXPECT_EQ(FakeStringBytes(result), text);
        EXPECT_EQ(fake.calls, (std::vector<std::string>{
                                  "FindClass java/lang/String",
                                  "GetMethodID java/lang/String <init> ([B)V",
                                  "NewByteArray " + std::to_string(text.size()),
                                  "SetByteArrayRegion 0 " + std::to_string(text.size()),
                                  "NewObject java/lang/String",
                                  "DeleteLocalRef byte[]",
                              }));
    }
}

TEST_F(JavaCallsTest, ToJavaStringOfNullMakesNoCall) {
    EXPECT_EQ(ToJavaString(environment, nullptr), nullptr);
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(JavaCallsTest, ToJavaStringFailures) {
    struct Case {
        const char* function;
        const char* exception;
        bool byteArrayMade;  // and so released
        bool stringBuilt;
    };
    const Case cases[] = {
        {"FindClass", "java.lang.OutOfMemoryError", false, false},
        {"GetMethodID", "java.lang.NoSuchMethodError: <init>", false, false},
        {"NewByteArray", "java.lang.OutOfMemoryError", false, false},
        // An exception raised while the array is filled: no string is built from it.
        {"SetByteArrayRegion", "java.lang.ArrayIndexOutOfBoundsException", true, false},
        {"NewObject", "java.lang.OutOfMemoryError", true, true},
        {"NewObject", "", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.function) + " " + c.exception);
        Restart();
        fake.failures[c.function] = FakeFailure{1, c.exception};
        EXPECT_EQ(ToJavaString(environment, "abc"), nullptr);
        EXPECT_EQ(FakePendingException(), c.exception);
        EXPECT_EQ(CountCalls("DeleteLocalRef byte[]"), c.byteArrayMade ? 1 : 0);
        EXPECT_EQ(CountCalls("NewObject java/lang/String"), c.stringBuilt ? 1 : 0);
    }
}

TEST_F(JavaCallsTest, ToJavaStringArrayConvertsEachStringInOrder) {
    struct Case {
        std::vector<std::string> strings;
    };
    const Case cases[] = {{{}}, {{"magnet:?xt=urn:sha1:ABC"}}, {{"a", "", "caf\xC3\xA9", "-x y"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.strings.size());
        Restart();
        std::vector<std::string> storage = c.strings;
        std::vector<char*> strings;
        for (std::string& text : storage) {
            strings.push_back(&text[0]);
        }
        jobjectArray array =
            ToJavaStringArray(environment, strings.data(), static_cast<int32_t>(strings.size()));
        ASSERT_NE(array, nullptr);
        EXPECT_EQ(FakeArrayStrings(array), c.strings);
        EXPECT_EQ(CountCalls("NewObjectArray " + std::to_string(c.strings.size()) + " java/lang/String"), 1);
        // Each element's local reference goes once it is stored.
        EXPECT_EQ(CountCalls("DeleteLocalRef String"), static_cast<int>(c.strings.size()));
    }
}

TEST_F(JavaCallsTest, ToJavaStringArrayStopsAtTheFirstStringThatFails) {
    char first[] = "first";
    char second[] = "second";
    char third[] = "third";
    char* strings[] = {first, second, third};
    // The array's own FindClass is the first; the second string's is the third.
    fake.failures["FindClass"] = FakeFailure{3, "java.lang.OutOfMemoryError"};
    EXPECT_EQ(ToJavaStringArray(environment, strings, 3), nullptr);
    EXPECT_EQ(FakePendingException(), "java.lang.OutOfMemoryError");
    EXPECT_EQ(CountCalls("SetObjectArrayElement 0"), 1);
    EXPECT_EQ(CountCalls("SetObjectArrayElement 1"), 0);
    EXPECT_EQ(CountCalls("SetObjectArrayElement 2"), 0);

    Restart();
    fake.failures["NewObjectArray"] = FakeFailure{1, "java.lang.OutOfMemoryError"};
    EXPECT_EQ(ToJavaStringArray(environment, strings, 3), nullptr);
    EXPECT_EQ(CountCalls("NewByteArray 5"), 0);

    Restart();
    fake.failures["FindClass"] = FakeFailure{1, "java.lang.OutOfMemoryError"};
    EXPECT_EQ(ToJavaStringArray(environment, strings, 3), nullptr);
    EXPECT_EQ(CountCalls("NewObjectArray 3 java/lang/String"), 0);
}

TEST_F(JavaCallsTest, FindAppClassTurnsDotsIntoSlashes) {
    fake.appClasses["org/example/tools/App"] = FakeAppClass();
    const char* names[] = {"org.example.tools.App", "org/example/tools.App", "org/example/tools/App"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_NE(FindAppClass(environment, name), nullptr);
        EXPECT_EQ(fake.calls.back(), "FindClass org/example/tools/App");
    }
    EXPECT_EQ(FindAppClass(environment, "org.example.Missing"), nullptr);
    EXPECT_EQ(fake.calls.back(), "FindClass org/example/Missing");
    EXPECT_EQ(FakePendingException(), "java.lang.NoClassDefFoundError: org/example/Missing");
}

TEST_F(JavaCallsTest, ReadManifestMainClassReadsTheAttributeThroughTheObjectsClasses) {
    fake.jars["Tarnbeck.jar"] = FakeJar{true, true, "org.example.App"};
    jstring value = ReadManifestMainClass(environment, "Tarnbeck.jar");
    ASSERT_TRUE(FakeIsString(value));
    EXPECT_EQ(FakeStringBytes(value), "org.example.App");
    EXPECT_EQ(FakePendingException(), "");
    // The jar object is never closed and nothing is released.
    EXPECT_EQ(CountCalls("DeleteLocalRef JarFile"), 0);
    std::vector<std::string> lookups;
    for (const std::string& call : fake.calls) {
        if (call.rfind("GetMethodID", 0) == 0 || call.rfind("GetObjectClass", 0) == 0 ||
            call.rfind("CallObjectMethod", 0) == 0 || call.rfind("NewObject java/util", 0) == 0) {
            lookups.push_back(call);
        }
    }
    const std::vector<std::string> expected = {
        "GetMethodID java/util/jar/JarFile <init> (Ljava/lang/String;)V",
        "GetMethodID java/lang/String <init> ([B)V",  // the path
        "NewObject java/util/jar/JarFile",
        "GetMethodID java/util/jar/JarFile getManifest ()Ljava/util/jar/Manifest;",
        "CallObjectMethod getManifest",
        "GetObjectClass java/util/jar/Manifest",
        "GetMethodID java/util/jar/Manifest getMainAttributes ()Ljava/util/jar/Attributes;",
        "CallObjectMethod getMainAttributes",
        "GetObjectClass java/util/jar/Attributes",
        "GetMethodID java/util/jar/Attributes getValue (Ljava/lang/String;)Ljava/lang/String;",
        "GetMethodID java/lang/String <init> ([B)V",  // the key
        "CallObjectMethod getValue",
    };
    EXPECT_EQ(lookups, expected);
}

TEST_F(JavaCallsTest, ReadManifestMainClassGivesNullWithOrWithoutAnException) {
    struct Case {
        const char* name;
        FakeJar jar;
        const char* path;
        const char* failing;  // a JNI function whose first call fails, or null
        int nth;
        const char* pending;  // the exception left pending
    };
    const FakeJar good{true, true, "App"};
    const Case cases[] = {
        {"missing jar", good, "missing.jar", nullptr, 0, "java.nio.file.NoSuchFileException: missing.jar"},
        {"no manifest", FakeJar{false, false, ""}, "app.jar", nullptr, 0, ""},
        {"no Main-Class", FakeJar{true, false, ""}, "app.jar", nullptr, 0, ""},
        {"JarFile class", good, "app.jar", "FindClass", 1, "java.lang.NoClassDefFoundError"},
        {"JarFile constructor", good, "app.jar", "GetMethodID", 1, "java.lang.NoSuchMethodError"},
        {"path string", good, "app.jar", "NewByteArray", 1, "java.lang.OutOfMemoryError"},
        {"getManifest lookup", good, "app.jar", "GetMethodID", 3, "java.lang.NoSuchMethodError"},
        {"getManifest call", good, "app.jar", "CallObjectMethod", 1, "java.io.IOException"},
        {"getMainAttributes lookup", good, "app.jar", "GetMethodID", 4, "java.lang.NoSuchMethodError"},
        {"getMainAttributes call", good, "app.jar", "CallObjectMethod", 2, ""},
        {"getValue lookup", good, "app.jar", "GetMethodID", 5, "java.lang.NoSuchMethodError"},
        {"key string", good, "app.jar", "NewByteArray", 2, "java.lang.OutOfMemoryError"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        fake.jars["app.jar"] = c.jar;
        if (c.failing != nullptr) {
            fake.failures[c.failing] = FakeFailure{c.nth, c.pending};
        }
        EXPECT_EQ(ReadManifestMainClass(environment, c.path), nullptr);
        EXPECT_EQ(FakePendingException(), c.pending);
        EXPECT_EQ(CountCalls("ExceptionDescribe"), 0);
    }
}

TEST_F(JavaCallsTest, PrintRuntimeVersionCallsSunMiscVersionPrint) {
    fake.hasVersionClass = true;
    PrintRuntimeVersion(environment);
    EXPECT_EQ(fake.versionPrints, 1);
    EXPECT_EQ(fake.calls.back(), "CallStaticVoidMethod sun/misc/Version.print");
    EXPECT_EQ(FakePendingException(), "");
}

// A runtime without the class (every runtime since 9) prints nothing and leaves the lookup's
// exception for the caller to describe.
TEST_F(JavaCallsTest, PrintRuntimeVersionWithoutTheClassLeavesTheExceptionPending) {
    PrintRuntimeVersion(environment);
    EXPECT_EQ(fake.versionPrints, 0);
    EXPECT_EQ(FakePendingException(), "java.lang.NoClassDefFoundError: sun/misc/Version");

    Restart();
    fake.hasVersionClass = true;
    fake.failures["GetStaticMethodID"] = FakeFailure{1, "java.lang.NoSuchMethodError: print"};
    PrintRuntimeVersion(environment);
    EXPECT_EQ(fake.versionPrints, 0);
    EXPECT_EQ(FakePendingException(), "java.lang.NoSuchMethodError: print");
}

}  // namespace
