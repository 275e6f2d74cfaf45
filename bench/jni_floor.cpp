// The floor of the start-up benchmark: the least a program can do to run a jar's application in its
// own process. It loads libjvm.so itself, creates the VM with exactly the options it is given, reads
// the jar's Main-Class, calls main with no arguments and destroys the VM. No launch.properties, no
// registry, no jvm.cfg, no PATH: whatever Tarnbeck takes beyond this program is its own cost.
//
//   bench_jni_floor LIBJVM JAR [VM option...]
//
// Exit code 0 when main returned and the VM was destroyed (an application that ends the process
// itself chooses its own), 1 on any failure, with a line on standard error.
#include <dlfcn.h>
#include <jni.h>
#include <stdio.h>
#include <string.h>

typedef jint(JNICALL* CreateJavaVmFunction)(JavaVM**, void**, void*);

static int Fail(const char* what) {
    fprintf(stderr, "bench_jni_floor: %s\n", what);
    return 1;
}

// The jar's Main-Class through java.util.jar, as a loaded class; null with the failure left to the
// caller (a pending exception, or none when the manifest names no class).
static jclass FindMainClass(JNIEnv* env, const char* jarPath) {
    jclass jarClass = env->FindClass("java/util/jar/JarFile");
    if (jarClass == nullptr) {
        return nullptr;
    }
    jmethodID open = env->GetMethodID(jarClass, "<init>", "(Ljava/lang/String;)V");
    jmethodID getManifest = env->GetMethodID(jarClass, "getManifest", "()Ljava/util/jar/Manifest;");
    if (open == nullptr || getManifest == nullptr) {
        return nullptr;
    }
    jobject jar = env->NewObject(jarClass, open, env->NewStringUTF(jarPath));
    jobject manifest = jar != nullptr ? env->CallObjectMethod(jar, getManifest) : nullptr;
    if (manifest == nullptr) {
        return nullptr;
    }
    jmethodID getMainAttributes =
        env->GetMethodID(env->GetObjectClass(manifest), "getMainAttributes", "()Ljava/util/jar/Attributes;");
    jobject attributes =
        getMainAttributes != nullptr ? env->CallObjectMethod(manifest, getMainAttributes) : nullptr;
    if (attributes == nullptr) {
        return nullptr;
    }
    jmethodID getValue = env->GetMethodID(env->GetObjectClass(attributes), "getValue",
                                          "(Ljava/lang/String;)Ljava/lang/String;");
    jstring name = getValue != nullptr ? static_cast<jstring>(env->CallObjectMethod(
                                             attributes, getValue, env->NewStringUTF("Main-Class")))
                                       : nullptr;
    if (name == nullptr) {
        return nullptr;
    }
    char slashed[512];
    const char* dotted = env->GetStringUTFChars(name, nullptr);
    if (dotted == nullptr) {
        return nullptr;
    }
    size_t length = strlen(dotted);
    bool fits = length < sizeof slashed;
    if (fits) {
        for (size_t i = 0; i <= length; ++i) {
            slashed[i] = dotted[i] == '.' ? '/' : dotted[i];
        }
    }
    env->ReleaseStringUTFChars(name, dotted);
    return fits ? env->FindClass(slashed) : nullptr;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        return Fail("usage: bench_jni_floor LIBJVM JAR [VM option...]");
    }
    void* library = dlopen(argv[1], RTLD_NOW);
    if (library == nullptr) {
        return Fail(dlerror());
    }
    CreateJavaVmFunction createJavaVm =
        reinterpret_cast<CreateJavaVmFunction>(dlsym(library, "JNI_CreateJavaVM"));
    if (createJavaVm == nullptr) {
        return Fail("no JNI_CreateJavaVM in the library");
    }

    enum { MAX_OPTIONS = 64 };
    JavaVMOption options[MAX_OPTIONS];
    int optionCount = argc - 3;
    if (optionCount > MAX_OPTIONS) {
        return Fail("too many VM options");
    }
    for (int i = 0; i < optionCount; ++i) {
        options[i].optionString = argv[3 + i];
        options[i].extraInfo = nullptr;
    }
    JavaVMInitArgs initArgs;
    initArgs.version = JNI_VERSION_1_2;
    initArgs.nOptions = optionCount;
    initArgs.options = options;
    initArgs.ignoreUnrecognized = JNI_FALSE;
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    if (createJavaVm(&vm, reinterpret_cast<void**>(&env), &initArgs) != JNI_OK) {
        return Fail("JNI_CreateJavaVM failed");
    }

    jclass mainClass = FindMainClass(env, argv[2]);
    jmethodID main =
        mainClass != nullptr ? env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V") : nullptr;
    jclass stringClass = env->FindClass("java/lang/String");
    jobjectArray arguments = stringClass != nullptr ? env->NewObjectArray(0, stringClass, nullptr) : nullptr;
    if (main == nullptr || arguments == nullptr) {
        env->ExceptionDescribe();
        vm->DestroyJavaVM();
        return Fail("no main class with a static main(String[]) in the jar");
    }
    env->CallStaticVoidMethod(mainClass, main, arguments);
    bool threw = env->ExceptionCheck() == JNI_TRUE;
    if (threw) {
        env->ExceptionDescribe();
    }
    vm->DetachCurrentThread();
    vm->DestroyJavaVM();
    return threw ? Fail("main threw") : 0;
}
