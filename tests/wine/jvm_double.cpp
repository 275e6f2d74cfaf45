// A stand-in for a Java runtime's jvm.dll, for running the Windows launcher under Wine: it exports the
// two JNI invocation entry points under their plain names and serves a scripted JNI environment.
//
// The launcher makes its own folder the working directory before it loads us, so both files live
// there:
//   jvm-script.txt  what this runtime does, one "key value" line each (all optional):
//                     create refuse          JNI_CreateJavaVM fails
//                     main-class NAME|none   the jar manifest's Main-Class (default app.Main)
//                     class missing          the main class cannot be found
//                     main return|throw|exit N|absent
//                     modifiers N            what Method.getModifiers answers (default 9)
//   jvm-record.txt  what reached us, one line each: the init arguments, every option in order, PATH as
//                   the operating system holds it, the jar opened, the class looked up, main's
//                   arguments, and the teardown calls. Lines are appended and closed at once, so they
//                   survive a process that main ends.
// Built twice: the second build (JVM_DOUBLE_WITHOUT_DEFAULT_ARGS) lacks JNI_GetDefaultJavaVMInitArgs.
// The JNI slots the launcher has no business calling are filled with traps that record the slot and
// end the process with exit code 99.
#define _JNI_IMPLEMENTATION_
#include <jni.h>

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const char* const kScriptFile = "jvm-script.txt";
const char* const kRecordFile = "jvm-record.txt";
const int kTrapExitCode = 99;

void Record(const char* format, ...) {
    FILE* file = fopen(kRecordFile, "ab");
    if (file == nullptr) return;
    va_list args;
    va_start(args, format);
    vfprintf(file, format, args);
    va_end(args);
    fputc('\n', file);
    fclose(file);
}

// --- the script -------------------------------------------------------------------------------

struct Script {
    bool refuseCreate = false;
    std::string mainClass = "app.Main";
    bool hasMainClass = true;
    bool classMissing = false;
    std::string mainAction = "return";
    int exitCode = 0;
    int modifiers = 9;  // public static
};

Script g_script;

void LoadScript() {
    FILE* file = fopen(kScriptFile, "rb");
    if (file == nullptr) return;
    char line[512];
    while (fgets(line, sizeof line, file) != nullptr) {
        size_t length = strlen(line);
        while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) line[--length] = 0;
        char* value = strchr(line, ' ');
        if (value != nullptr) *value++ = 0;
        std::string key = line;
        std::string text = value != nullptr ? value : "";
        if (key == "create") {
            g_script.refuseCreate = text == "refuse";
        } else if (key == "main-class") {
            g_script.hasMainClass = text != "none";
            g_script.mainClass = text;
        } else if (key == "class") {
            g_script.classMissing = text == "missing";
        } else if (key == "main") {
            if (text.compare(0, 5, "exit ") == 0) {
                g_script.mainAction = "exit";
                g_script.exitCode = atoi(text.c_str() + 5);
            } else {
                g_script.mainAction = text;
            }
        } else if (key == "modifiers") {
            g_script.modifiers = atoi(text.c_str());
        } else if (!key.empty()) {
            Record("script: unknown key %s", key.c_str());
        }
    }
    fclose(file);
}

// --- objects and local references -----------------------------------------------------------

enum ObjectKind { KIND_CLASS, KIND_STRING, KIND_BYTES, KIND_ARRAY, KIND_JAR, KIND_MANIFEST,
                  KIND_ATTRIBUTES, KIND_METHOD, KIND_THROWABLE };

struct FakeObject {
    ObjectKind kind;
    std::string text;  // class name, string bytes, byte array content, jar path, throwable text
    std::vector<FakeObject*> elements;
};

// A local reference: the launcher may delete it while the object lives on (an array element).
struct LocalRef {
    FakeObject* object;
    bool deleted;
};

struct MethodId {
    const char* className;
    const char* name;
    const char* signature;
};

const MethodId kMethods[] = {
    {"java/lang/String", "<init>", "([B)V"},
    {"java/util/jar/JarFile", "<init>", "(Ljava/lang/String;)V"},
    {"java/util/jar/JarFile", "getManifest", "()Ljava/util/jar/Manifest;"},
    {"java/util/jar/Manifest", "getMainAttributes", "()Ljava/util/jar/Attributes;"},
    {"java/util/jar/Attributes", "getValue", "(Ljava/lang/String;)Ljava/lang/String;"},
    {"java/lang/reflect/Method", "getModifiers", "()I"},
};
const MethodId kMainMethod = {"", "main", "([Ljava/lang/String;)V"};

LocalRef* g_pending = nullptr;

jobject NewRef(FakeObject* object) {
    LocalRef* ref = new LocalRef{object, false};
    return reinterpret_cast<jobject>(ref);
}

jobject NewObjectRef(ObjectKind kind, const std::string& text) {
    return NewRef(new FakeObject{kind, text, {}});
}

// The object behind a reference; a deleted reference is a launcher fault worth stopping for.
FakeObject* Deref(jobject handle) {
    if (handle == nullptr) return nullptr;
    LocalRef* ref = reinterpret_cast<LocalRef*>(handle);
    if (ref->deleted) {
        Record("fault: a deleted local reference was used");
        fflush(stderr);
        ExitProcess(kTrapExitCode);
    }
    return ref->object;
}

void Throw(const std::string& text) {
    g_pending = reinterpret_cast<LocalRef*>(NewObjectRef(KIND_THROWABLE, text));
}

std::string SlashedMainClass() {
    std::string name = g_script.mainClass;
    for (char& c : name) {
        if (c == '.') c = '/';
    }
    return name;
}

std::string ClassOf(const FakeObject* object) {
    switch (object->kind) {
    case KIND_STRING: return "java/lang/String";
    case KIND_JAR: return "java/util/jar/JarFile";
    case KIND_MANIFEST: return "java/util/jar/Manifest";
    case KIND_ATTRIBUTES: return "java/util/jar/Attributes";
    case KIND_METHOD: return "java/lang/reflect/Method";
    case KIND_THROWABLE: return "java/lang/Throwable";
    case KIND_BYTES: return "[B";
    case KIND_ARRAY: return "[Ljava/lang/Object;";
    case KIND_CLASS: return "java/lang/Class";
    }
    return "";
}

// --- the JNI functions the launcher calls ----------------------------------------------------

jclass JNICALL FindClass(JNIEnv*, const char* name) {
    std::string wanted = name;
    if (wanted == "java/lang/String" || wanted == "java/util/jar/JarFile") {
        return static_cast<jclass>(NewObjectRef(KIND_CLASS, wanted));
    }
    if (g_script.hasMainClass && wanted == SlashedMainClass() && !g_script.classMissing) {
        Record("find-class %s", name);
        return static_cast<jclass>(NewObjectRef(KIND_CLASS, wanted));
    }
    Record("find-class %s (not found)", name);
    Throw("java.lang.NoClassDefFoundError: " + wanted);
    return nullptr;
}

jclass JNICALL GetObjectClass(JNIEnv*, jobject object) {
    return static_cast<jclass>(NewObjectRef(KIND_CLASS, ClassOf(Deref(object))));
}

jmethodID JNICALL GetMethodID(JNIEnv*, jclass clazz, const char* name, const char* signature) {
    const std::string& className = Deref(clazz)->text;
    for (const MethodId& method : kMethods) {
        if (className == method.className && strcmp(name, method.name) == 0 &&
            strcmp(signature, method.signature) == 0) {
            return reinterpret_cast<jmethodID>(const_cast<MethodId*>(&method));
        }
    }
    Throw("java.lang.NoSuchMethodError: " + className + "." + name + signature);
    return nullptr;
}

jmethodID JNICALL GetStaticMethodID(JNIEnv*, jclass clazz, const char* name, const char* signature) {
    const std::string& className = Deref(clazz)->text;
    if (className == SlashedMainClass() && strcmp(name, kMainMethod.name) == 0 &&
        strcmp(signature, kMainMethod.signature) == 0 && g_script.mainAction != "absent") {
        return reinterpret_cast<jmethodID>(const_cast<MethodId*>(&kMainMethod));
    }
    Throw("java.lang.NoSuchMethodError: " + className + "." + name + signature);
    return nullptr;
}

const MethodId* Method(jmethodID id) {
    return reinterpret_cast<const MethodId*>(id);
}

// The calls with arguments come in three forms (C varargs, va_list, jvalue array; C++ callers reach
// the va_list form through jni.h's wrappers). Every method here takes at most one argument, an object,
// so each form hands its first argument to one implementation.

jobject NewObjectWith(jclass clazz, jmethodID id, jobject argument) {
    const std::string& className = Deref(clazz)->text;
    const MethodId* method = Method(id);
    if (className == "java/lang/String" && method == &kMethods[0]) {
        return NewObjectRef(KIND_STRING, Deref(argument)->text);
    }
    if (className == "java/util/jar/JarFile" && method == &kMethods[1]) {
        const std::string& path = Deref(argument)->text;
        Record("jar %s", path.c_str());
        // A relative jar name is found through the working directory, as the runtime would.
        FILE* jar = fopen(path.c_str(), "rb");
        if (jar == nullptr) {
            Throw("java.io.FileNotFoundException: " + path);
            return nullptr;
        }
        fclose(jar);
        return NewObjectRef(KIND_JAR, path);
    }
    Record("fault: NewObject of %s with an unknown constructor", className.c_str());
    ExitProcess(kTrapExitCode);
}

jobject CallObjectMethodWith(jobject object, jmethodID id, jobject argument) {
    FakeObject* target = Deref(object);
    const MethodId* method = Method(id);
    if (target->kind == KIND_JAR && method == &kMethods[2]) return NewObjectRef(KIND_MANIFEST, "");
    if (target->kind == KIND_MANIFEST && method == &kMethods[3]) {
        return NewObjectRef(KIND_ATTRIBUTES, "");
    }
    if (target->kind == KIND_ATTRIBUTES && method == &kMethods[4]) {
        if (Deref(argument)->text != "Main-Class" || !g_script.hasMainClass) return nullptr;
        return NewObjectRef(KIND_STRING, g_script.mainClass);
    }
    Record("fault: CallObjectMethod %s on a %s", method->name, ClassOf(target).c_str());
    ExitProcess(kTrapExitCode);
}

jint CallIntMethodWith(jobject object, jmethodID id) {
    FakeObject* target = Deref(object);
    if (target->kind == KIND_METHOD && Method(id) == &kMethods[5]) return g_script.modifiers;
    Record("fault: CallIntMethod %s on a %s", Method(id)->name, ClassOf(target).c_str());
    ExitProcess(kTrapExitCode);
}

void CallStaticVoidMethodWith(jclass clazz, jmethodID id, jobject argument) {
    Deref(clazz);
    if (Method(id) != &kMainMethod) {
        Record("fault: CallStaticVoidMethod of %s", Method(id)->name);
        ExitProcess(kTrapExitCode);
    }
    FakeObject* array = Deref(argument);
    Record("main-args %d", static_cast<int>(array->elements.size()));
    for (FakeObject* element : array->elements) {
        Record("arg %s", element != nullptr ? element->text.c_str() : "(null)");
    }
    if (g_script.mainAction == "throw") {
        Throw("java.lang.IllegalStateException: thrown by main");
    } else if (g_script.mainAction == "exit") {
        Record("main exits with %d", g_script.exitCode);
        fflush(stdout);
        fflush(stderr);
        ExitProcess(static_cast<UINT>(g_script.exitCode));
    }
}

jobject JNICALL NewObject(JNIEnv*, jclass clazz, jmethodID id, ...) {
    va_list args;
    va_start(args, id);
    jobject argument = va_arg(args, jobject);
    va_end(args);
    return NewObjectWith(clazz, id, argument);
}
jobject JNICALL NewObjectV(JNIEnv*, jclass clazz, jmethodID id, va_list args) {
    return NewObjectWith(clazz, id, va_arg(args, jobject));
}
jobject JNICALL NewObjectA(JNIEnv*, jclass clazz, jmethodID id, const jvalue* args) {
    return NewObjectWith(clazz, id, args[0].l);
}

// A method without parameters ignores its "first argument", which need not exist: it is read only
// where the method takes one.
bool TakesArgument(jmethodID id) {
    return strncmp(Method(id)->signature, "()", 2) != 0;
}

jobject JNICALL CallObjectMethod(JNIEnv*, jobject object, jmethodID id, ...) {
    va_list args;
    va_start(args, id);
    jobject argument = TakesArgument(id) ? va_arg(args, jobject) : nullptr;
    va_end(args);
    return CallObjectMethodWith(object, id, argument);
}
jobject JNICALL CallObjectMethodV(JNIEnv*, jobject object, jmethodID id, va_list args) {
    return CallObjectMethodWith(object, id, TakesArgument(id) ? va_arg(args, jobject) : nullptr);
}
jobject JNICALL CallObjectMethodA(JNIEnv*, jobject object, jmethodID id, const jvalue* args) {
    return CallObjectMethodWith(object, id, TakesArgument(id) ? args[0].l : nullptr);
}

jint JNICALL CallIntMethod(JNIEnv*, jobject object, jmethodID id, ...) {
    return CallIntMethodWith(object, id);
}
jint JNICALL CallIntMethodV(JNIEnv*, jobject object, jmethodID id, va_list) {
    return CallIntMethodWith(object, id);
}
jint JNICALL CallIntMethodA(JNIEnv*, jobject object, jmethodID id, const jvalue*) {
    return CallIntMethodWith(object, id);
}

void JNICALL CallStaticVoidMethod(JNIEnv*, jclass clazz, jmethodID id, ...) {
    va_list args;
    va_start(args, id);
    jobject argument = va_arg(args, jobject);
    va_end(args);
    CallStaticVoidMethodWith(clazz, id, argument);
}
void JNICALL CallStaticVoidMethodV(JNIEnv*, jclass clazz, jmethodID id, va_list args) {
    CallStaticVoidMethodWith(clazz, id, va_arg(args, jobject));
}
void JNICALL CallStaticVoidMethodA(JNIEnv*, jclass clazz, jmethodID id, const jvalue* args) {
    CallStaticVoidMethodWith(clazz, id, args[0].l);
}

jobject JNICALL ToReflectedMethod(JNIEnv*, jclass clazz, jmethodID id, jboolean isStatic) {
    Deref(clazz);
    if (Method(id) != &kMainMethod || !isStatic) {
        Record("fault: ToReflectedMethod of %s, static %d", Method(id)->name, isStatic);
    }
    return NewObjectRef(KIND_METHOD, Method(id)->name);
}

jbyteArray JNICALL NewByteArray(JNIEnv*, jsize length) {
    return static_cast<jbyteArray>(NewObjectRef(KIND_BYTES, std::string(length, '\0')));
}

void JNICALL SetByteArrayRegion(JNIEnv*, jbyteArray array, jsize start, jsize length,
                                const jbyte* bytes) {
    FakeObject* target = Deref(array);
    if (start < 0 || length < 0 || static_cast<size_t>(start) + length > target->text.size()) {
        Throw("java.lang.ArrayIndexOutOfBoundsException");
        return;
    }
    memcpy(&target->text[start], bytes, length);
}

jobjectArray JNICALL NewObjectArray(JNIEnv*, jsize length, jclass elementClass, jobject initial) {
    Deref(elementClass);
    FakeObject* array = new FakeObject{KIND_ARRAY, "", {}};
    array->elements.assign(length, Deref(initial));
    return static_cast<jobjectArray>(NewRef(array));
}

void JNICALL SetObjectArrayElement(JNIEnv*, jobjectArray array, jsize index, jobject value) {
    FakeObject* target = Deref(array);
    if (index < 0 || static_cast<size_t>(index) >= target->elements.size()) {
        Throw("java.lang.ArrayIndexOutOfBoundsException");
        return;
    }
    target->elements[index] = Deref(value);
}

void JNICALL DeleteLocalRef(JNIEnv*, jobject object) {
    if (object == nullptr) return;
    Deref(object);
    reinterpret_cast<LocalRef*>(object)->deleted = true;
}

const char* JNICALL GetStringUTFChars(JNIEnv*, jstring string, jboolean* isCopy) {
    if (isCopy != nullptr) *isCopy = JNI_TRUE;
    const std::string& text = Deref(string)->text;
    char* copy = static_cast<char*>(malloc(text.size() + 1));
    memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

void JNICALL ReleaseStringUTFChars(JNIEnv*, jstring string, const char* chars) {
    Deref(string);
    free(const_cast<char*>(chars));
}

jthrowable JNICALL ExceptionOccurred(JNIEnv*) {
    return reinterpret_cast<jthrowable>(g_pending);
}

void JNICALL ExceptionDescribe(JNIEnv*) {
    if (g_pending == nullptr) return;
    Record("describe %s", g_pending->object->text.c_str());
    fprintf(stderr, "Exception in thread \"main\" %s\n", g_pending->object->text.c_str());
    fflush(stderr);
    g_pending = nullptr;
}

jint JNICALL DetachCurrentThread(JavaVM*) {
    Record("detach");
    return JNI_OK;
}

jint JNICALL DestroyJavaVM(JavaVM*) {
    Record("destroy");
    return JNI_OK;
}

// --- traps for every other slot --------------------------------------------------------------

template <int Slot> void TrapEnvironment() {
    Record("fault: unexpected JNIEnv call, slot %d", Slot);
    ExitProcess(kTrapExitCode);
}
template <int Slot> void TrapInvocation() {
    Record("fault: unexpected JavaVM call, slot %d", Slot);
    ExitProcess(kTrapExitCode);
}

typedef void (*Trap)();

template <size_t... Slots>
void FillEnvironmentTraps(void** slots, std::index_sequence<Slots...>) {
    const Trap traps[] = {&TrapEnvironment<static_cast<int>(Slots)>...};
    for (size_t i = 0; i < sizeof...(Slots); ++i) slots[i] = reinterpret_cast<void*>(traps[i]);
}
template <size_t... Slots>
void FillInvocationTraps(void** slots, std::index_sequence<Slots...>) {
    const Trap traps[] = {&TrapInvocation<static_cast<int>(Slots)>...};
    for (size_t i = 0; i < sizeof...(Slots); ++i) slots[i] = reinterpret_cast<void*>(traps[i]);
}

JNINativeInterface_ g_environmentTable;
JNIInvokeInterface_ g_invocationTable;
JNIEnv g_environment;
JavaVM g_vm;

void BuildTables() {
    constexpr size_t environmentSlots = sizeof(JNINativeInterface_) / sizeof(void*);
    constexpr size_t invocationSlots = sizeof(JNIInvokeInterface_) / sizeof(void*);
    FillEnvironmentTraps(reinterpret_cast<void**>(&g_environmentTable),
                         std::make_index_sequence<environmentSlots>());
    FillInvocationTraps(reinterpret_cast<void**>(&g_invocationTable),
                        std::make_index_sequence<invocationSlots>());

    JNINativeInterface_& e = g_environmentTable;
    e.FindClass = FindClass;
    e.GetObjectClass = GetObjectClass;
    e.GetMethodID = GetMethodID;
    e.GetStaticMethodID = GetStaticMethodID;
    e.NewObject = NewObject;
    e.NewObjectV = NewObjectV;
    e.NewObjectA = NewObjectA;
    e.CallObjectMethod = CallObjectMethod;
    e.CallObjectMethodV = CallObjectMethodV;
    e.CallObjectMethodA = CallObjectMethodA;
    e.CallIntMethod = CallIntMethod;
    e.CallIntMethodV = CallIntMethodV;
    e.CallIntMethodA = CallIntMethodA;
    e.ToReflectedMethod = ToReflectedMethod;
    e.CallStaticVoidMethod = CallStaticVoidMethod;
    e.CallStaticVoidMethodV = CallStaticVoidMethodV;
    e.CallStaticVoidMethodA = CallStaticVoidMethodA;
    e.NewByteArray = NewByteArray;
    e.SetByteArrayRegion = SetByteArrayRegion;
    e.NewObjectArray = NewObjectArray;
    e.SetObjectArrayElement = SetObjectArrayElement;
    e.DeleteLocalRef = DeleteLocalRef;
    e.GetStringUTFChars = GetStringUTFChars;
    e.ReleaseStringUTFChars = ReleaseStringUTFChars;
    e.ExceptionOccurred = ExceptionOccurred;
    e.ExceptionDescribe = ExceptionDescribe;
    g_environment.functions = &g_environmentTable;

    g_invocationTable.DetachCurrentThread = DetachCurrentThread;
    g_invocationTable.DestroyJavaVM = DestroyJavaVM;
    g_vm.functions = &g_invocationTable;
}

}  // namespace

extern "C" {

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** environment, void* initArgs) {
    LoadScript();
    const JavaVMInitArgs* args = static_cast<const JavaVMInitArgs*>(initArgs);
    Record("create version 0x%lx ignoreUnrecognized %d", static_cast<unsigned long>(args->version),
           args->ignoreUnrecognized);
    for (jint i = 0; i < args->nOptions; ++i) {
        Record("option %s", args->options[i].optionString);
        if (args->options[i].extraInfo != nullptr) Record("extraInfo of option %ld is set", (long)i);
    }
    char path[4096];
    DWORD length = GetEnvironmentVariableA("PATH", path, sizeof path);
    Record("PATH %s", length > 0 && length < sizeof path ? path : "(unreadable)");
    if (g_script.refuseCreate) {
        Record("create refused");
        return JNI_ERR;
    }
    BuildTables();
    *vm = &g_vm;
    *environment = &g_environment;
    return JNI_OK;
}

#ifndef JVM_DOUBLE_WITHOUT_DEFAULT_ARGS
JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void*) {
    Record("fault: JNI_GetDefaultJavaVMInitArgs was called");
    return JNI_ERR;
}
#endif

}  // extern "C"
