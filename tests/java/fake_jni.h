// A scripted Java side for the launcher's JNI calls: a JNIEnv and a JavaVM whose function tables hold
// only the functions the launcher calls, over a small model of the classes it touches (String,
// JarFile and its manifest, reflected methods, sun.misc.Version, the application's classes). Tests
// script classes, jars and failures, then read back the calls, the options, the arguments main got
// and the exceptions described.
#pragma once

#include <jni.h>

#include <map>
#include <string>
#include <vector>

// An application class the fake VM can find.
struct FakeAppClass {
    bool hasStaticMain = true;       // false: GetStaticMethodID fails with NoSuchMethodError
    jint mainModifiers = 0x1 | 0x8;  // public static
    bool mainThrows = false;         // main ends with a pending IllegalStateException
};

// A jar the fake JarFile constructor can open. Any other path throws as a missing file does.
struct FakeJar {
    bool hasManifest = true;
    bool hasMainClass = true;
    std::string mainClass;  // the "Main-Class" value, as the manifest writes it
};

// One scripted failure: the nth call (1 = the first) of a JNI function returns null (JNI_ERR for the
// VM functions; nothing for void ones), raising `exception` first when it is not empty.
struct FakeFailure {
    int nth;
    std::string exception;
};

struct FakeJava {
    // Script.
    std::map<std::string, FakeAppClass> appClasses;  // by JNI name ("org/example/App")
    std::map<std::string, FakeJar> jars;             // by the path handed to JarFile(String)
    bool hasVersionClass = false;                    // sun/misc/Version with its static print()V
    bool versionPrintThrows = false;
    std::map<std::string, FakeFailure> failures;     // by JNI function name

    // Record.
    std::vector<std::string> calls;               // "FindClass java/lang/String", in call order
    bool created = false;                         // JNI_CreateJavaVM was called
    jint initVersion = 0;
    jboolean ignoreUnrecognized = JNI_TRUE;
    std::vector<std::string> options;             // the option texts handed to JNI_CreateJavaVM
    std::vector<void*> optionExtras;
    bool mainCalled = false;
    std::vector<std::string> mainArguments;       // the bytes of each element of main's String[]
    std::vector<std::string> described;           // the exceptions ExceptionDescribe printed
    int versionPrints = 0;
    int detachCalls = 0;
    int destroyCalls = 0;
    int liveUtfChars = 0;                         // GetStringUTFChars results not yet released
};

// Makes `fake` the Java side that the functions below serve (null detaches it). Objects of an earlier
// fake are dropped.
void UseFakeJava(FakeJava* fake);

JNIEnv* FakeEnvironment();
JavaVM* FakeVm();

// JNI_CreateJavaVM and JNI_GetDefaultJavaVMInitArgs of the fake runtime.
jint JNICALL FakeCreateJavaVM(JavaVM** vm, void** environment, void* initArgs);
jint JNICALL FakeGetDefaultJavaVMInitArgs(void* initArgs);

// Fake objects as the tests look at them.
bool FakeIsString(jobject object);
std::string FakeStringBytes(jobject object);             // a String's bytes
std::vector<std::string> FakeArrayStrings(jobject array);  // the bytes of each element of a String[]
std::string FakePendingException();                      // "" when none is pending
