// The launcher core's whole run: locate and bind the runtime, turn the arguments into VM options,
// create the VM in this process, find the application's main class and its public static main, run
// it on this thread, and tear the VM down.
#include "launcher_main.h"

#include "formatted_text.h"
#include "java_calls.h"
#include "launcher_args.h"
#include "option_list.h"
#include "vm_table.h"

#include <stdio.h>
#include <stdlib.h>

static const char START_EXIT_MESSAGE[] = "Fatal exception occurred.  Program will exit.";

// What the application's side of the run needs once the VM exists.
struct ApplicationRun {
    JavaVM* vm;
    JNIEnv* environment;
    char* jarFile;
    char* mainClass;
    int argumentCount;
    char** arguments;
};

// The class whose dotted name the Java string `name` holds, or null once the failure has been dealt
// with: the exception described, and *exitMessage set to notFoundMessage when the class is missing.
static jclass FindClassNamedBy(JNIEnv* environment, jstring name, const char* notFoundMessage,
                               const char** exitMessage) {
    const char* characters = environment->GetStringUTFChars(name, nullptr);
    if (characters == nullptr) {
        DescribeException(environment);
        return nullptr;
    }
    jclass mainClass = FindAppClass(environment, characters);
    if (mainClass == nullptr) {
        DescribeException(environment);
        *exitMessage = notFoundMessage;
        return nullptr;
    }
    environment->ReleaseStringUTFChars(name, characters);
    return mainClass;
}

// The main class named by the jar's "Main-Class", or null once the failure has been dealt with
// (*exitMessage set or the exception described).
static jclass FindJarMainClass(const ApplicationRun* run, const char** exitMessage) {
    JNIEnv* environment = run->environment;
    jstring name = ReadManifestMainClass(environment, run->jarFile);
    if (environment->ExceptionOccurred() != nullptr) {
        DescribeException(environment);
        return nullptr;
    }
    if (name == nullptr) {
        *exitMessage = AllocFormattedText("Failed to load Main-Class manifest attribute from\n%s",
                                          run->jarFile);
        return nullptr;
    }
    return FindClassNamedBy(environment, name, "Could not find the main class.  Program will exit.",
                            exitMessage);
}

// The main class named on the command line, or null once the failure has been dealt with. Its
// not-found message has one blank after the first full stop where the jar's has two; the two texts
// are each kept exactly as they are.
static jclass FindNamedMainClass(const ApplicationRun* run, const char** exitMessage) {
    JNIEnv* environment = run->environment;
    jstring name = ToJavaString(environment, run->mainClass);
    if (name == nullptr) {
        *exitMessage = AllocFormattedText("Failed to load Main Class: %s", run->mainClass);
        return nullptr;
    }
    return FindClassNamedBy(environment, name, "Could not find the main class. Program will exit.",
                            exitMessage);
}

// Everything between the VM's creation and its teardown: the version print, the main class, the
// public static main(String[]), the application's run and the thread's detaching. Returns the text
// for the closing report, or null when there is nothing to report.
static const char* RunApplication(const ApplicationRun* run) {
    JNIEnv* environment = run->environment;
    const char* exitMessage = START_EXIT_MESSAGE;

    if (VersionOnly || VersionThenRun) {
        PrintRuntimeVersion(environment);
        if (environment->ExceptionOccurred() != nullptr) {
            DescribeException(environment);
            return exitMessage;
        }
        if (VersionOnly) {
            return nullptr;
        }
        fputs("\n", stderr);
    }
    if (run->jarFile == nullptr && run->mainClass == nullptr) {
        return nullptr;
    }

    ReleaseVmTable();

    jclass mainClass = run->jarFile != nullptr ? FindJarMainClass(run, &exitMessage)
                                               : FindNamedMainClass(run, &exitMessage);
    if (mainClass == nullptr) {
        return exitMessage;
    }

    jmethodID main = environment->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    if (main == nullptr) {
        if (environment->ExceptionOccurred() != nullptr) {
            DescribeException(environment);
            return exitMessage;
        }
        return "No main method found in specified class.";
    }

    jobject reflected = environment->ToReflectedMethod(mainClass, main, JNI_TRUE);
    if (reflected == nullptr) {
        DescribeException(environment);
        return exitMessage;
    }
    jmethodID getModifiers =
        environment->GetMethodID(environment->GetObjectClass(reflected), "getModifiers", "()I");
    // A null method without an exception cannot be called either: it ends the run the same way.
    if (environment->ExceptionOccurred() != nullptr || getModifiers == nullptr) {
        DescribeException(environment);
        return exitMessage;
    }
    jint modifiers = environment->CallIntMethod(reflected, getModifiers);
    if ((modifiers & 1) == 0) {
        return "Main method not public.";
    }

    jobjectArray applicationArguments =
        ToJavaStringArray(environment, run->arguments, run->argumentCount);
    if (applicationArguments == nullptr) {
        DescribeException(environment);
        return exitMessage;
    }

    environment->CallStaticVoidMethod(mainClass, main, applicationArguments);

    if (environment->ExceptionOccurred() != nullptr) {
        DescribeException(environment);
        return exitMessage;
    }
    if (run->vm->DetachCurrentThread() != 0) {
        return "Could not detach main thread.";
    }
    return nullptr;
}

// Returns LAUNCH_NO_RUNTIME, LAUNCH_RUNTIME_NOT_LOADED, LAUNCH_BAD_ARGUMENTS or LAUNCH_VM_NOT_CREATED
// when the launch stops before the VM exists, and LAUNCH_VM_ENDED after the teardown otherwise. An
// application that ends the process from inside the VM never comes back here.
LaunchResult LauncherMain(int argumentCount, char** arguments) {
    char runtimeHome[RUNTIME_PATH_SIZE];
    char vmLibraryPath[RUNTIME_PATH_SIZE];
    RuntimeEntryPoints entryPoints;
    char* jarFile = nullptr;
    char* mainClass = nullptr;
    JavaVM* vm = nullptr;
    JNIEnv* environment = nullptr;

    if (LocateRuntime(&argumentCount, &arguments, runtimeHome, RUNTIME_PATH_SIZE, vmLibraryPath) != 0) {
        return LAUNCH_NO_RUNTIME;
    }
    entryPoints.createJavaVM = nullptr;
    entryPoints.getDefaultJavaVMInitArgs = nullptr;
    if (!BindVmEntryPoints(vmLibraryPath, &entryPoints)) {
        return LAUNCH_RUNTIME_NOT_LOADED;
    }

    // The program name is not the launcher's business from here on.
    arguments++;
    argumentCount--;
    if (!ParseLauncherArgs(&argumentCount, &arguments, &jarFile, &mainClass)) {
        return LAUNCH_BAD_ARGUMENTS;
    }
    if (jarFile != nullptr) {
        AddClassPathOption(jarFile);
    }
    AddCommandProperty(mainClass, argumentCount, arguments, jarFile);

    if (!CreateVm(&vm, &environment, &entryPoints)) {
        ReportMessage("Could not create the Java virtual machine.");
        return LAUNCH_VM_NOT_CREATED;
    }

    ApplicationRun run = {vm, environment, jarFile, mainClass, argumentCount, arguments};
    const char* exitMessage = RunApplication(&run);

    // Waits for the application's other non-daemon threads. The thread is still attached on every
    // path but a normal return from main.
    vm->DestroyJavaVM();
    if (exitMessage != nullptr && !SuppressExitMessage) {
        ReportMessage(exitMessage);
    }
    return LAUNCH_VM_ENDED;
}

// Hands the OptionList to JNI_CreateJavaVM, unknown options refused, and frees the list's array
// whatever the result; the option texts stay.
bool CreateVm(JavaVM** vm, JNIEnv** environment, const RuntimeEntryPoints* entryPoints) {
    JavaVMInitArgs initArgs;
    initArgs.version = JNI_VERSION_1_2;
    initArgs.nOptions = g_optionList.count;
    initArgs.options = g_optionList.entries;
    initArgs.ignoreUnrecognized = JNI_FALSE;
    jint result = entryPoints->createJavaVM(vm, reinterpret_cast<void**>(environment), &initArgs);
    free(g_optionList.entries);
    return result == JNI_OK;
}

// Has the VM print the pending exception and its stack trace on standard error.
void DescribeException(JNIEnv* environment) { environment->ExceptionDescribe(); }
