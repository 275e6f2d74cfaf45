// The scripted JNI environment and VM: function tables filled with the calls the launcher makes,
// serving a small model of Java objects. Handles are addresses of records kept until the next
// UseFakeJava, so a deleted local reference can be caught when it is used again.
#include "fake_jni.h"

#include <gtest/gtest.h>

#include <stdarg.h>

#include <deque>
#include <set>

namespace {

enum ObjectKind { CLASS, STRING, BYTE_ARRAY, OBJECT_ARRAY, JAR, MANIFEST, ATTRIBUTES, REFLECTED, THROWABLE };

struct FakeObject {
    ObjectKind kind;
    std::string text;  // class name, string or byte-array bytes, jar path, exception text
    std::vector<jobject> elements;
    bool deleted;
};

struct FakeMethod {
    std::string owner;
    std::string name;
    std::string signature;
    bool isStatic;
};

FakeJava* g_fake = nullptr;
std::deque<FakeObject> g_objects;
std::deque<FakeMethod> g_methods;
std::deque<std::string> g_utfChars;
std::map<std::string, int> g_callCounts;
jobject g_pending = nullptr;

const char* const KIND_NAMES[] = {"class",    "String",   "byte[]",     "Object[]", "JarFile",
                                  "Manifest", "Attributes", "Method", "Throwable"};

// The JDK classes the launcher finds by name or through GetObjectClass, with their instance methods.
const std::map<std::string, std::set<std::string>> SYSTEM_CLASSES = {
    {"java/lang/String", {"<init> ([B)V"}},
    {"java/util/jar/JarFile", {"<init> (Ljava/lang/String;)V", "getManifest ()Ljava/util/jar/Manifest;"}},
    {"java/util/jar/Manifest", {"getMainAttributes ()Ljava/util/jar/Attributes;"}},
    {"java/util/jar/Attributes", {"getValue (Ljava/lang/String;)Ljava/lang/String;"}},
    {"java/lang/reflect/Method", {"getModifiers ()I"}},
};

jobject NewHandle(ObjectKind kind, const std::string& text) {
    g_objects.push_back(FakeObject{kind, text, {}, false});
    return reinterpret_cast<jobject>(&g_objects.back());
}

FakeObject* Object(jobject handle) {
    if (handle == nullptr) {
        ADD_FAILURE() << "null reference handed to the VM";
        return nullptr;
    }
    FakeObject* object = reinterpret_cast<FakeObject*>(handle);
    if (object->deleted) {
        ADD_FAILURE() << "use of a deleted local reference to a " << KIND_NAMES[object->kind];
    }
    return object;
}

FakeMethod* Method(jmethodID id) { return reinterpret_cast<FakeMethod*>(id); }

jmethodID MethodId(const std::string& owner, const std::string& name, const std::string& signature,
                   bool isStatic) {
    for (FakeMethod& method : g_methods) {
        if (method.owner == owner && method.name == name && method.signature == signature &&
            method.isStatic == isStatic) {
            return reinterpret_cast<jmethodID>(&method);
        }
    }
    g_methods.push_back(FakeMethod{owner, name, signature, isStatic});
    return reinterpret_cast<jmethodID>(&g_methods.back());
}

void Raise(const std::string& text) { g_pending = NewHandle(THROWABLE, text); }

void Record(const std::string& call) { g_fake->calls.push_back(call); }

// Counts the call and tells whether the script makes this one fail (raising its exception first).
bool Fails(const char* function) {
    int count = ++g_callCounts[function];
    auto failure = g_fake->failures.find(function);
    if (failure == g_fake->failures.end() || failure->second.nth != count) {
        return false;
    }
    if (!failure->second.exception.empty()) {
        Raise(failure->second.exception);
    }
    return true;
}

FakeJar* JarOf(FakeObject* object) {
    auto jar = g_fake->jars.find(object->text);
    return jar == g_fake->jars.end() ? nullptr : &jar->second;
}

jclass JNICALL FindClass(JNIEnv*, const char* name) {
    Record(std::string("FindClass ") + name);
    if (Fails("FindClass")) {
        return nullptr;
    }
    bool known = SYSTEM_CLASSES.count(name) != 0 || g_fake->appClasses.count(name) != 0 ||
                 (g_fake->hasVersionClass && std::string(name) == "sun/misc/Version");
    if (!known) {
        Raise(std::string("java.lang.NoClassDefFoundError: ") + name);
        return nullptr;
    }
    return static_cast<jclass>(NewHandle(CLASS, name));
}

jthrowable JNICALL ExceptionOccurred(JNIEnv*) { return static_cast<jthrowable>(g_pending); }

void JNICALL ExceptionDescribe(JNIEnv*) {
    Record("ExceptionDescribe");
    if (g_pending != nullptr) {
        g_fake->described.push_back(Object(g_pending)->text);
        g_pending = nullptr;
    }
}

void JNICALL DeleteLocalRef(JNIEnv*, jobject handle) {
    if (handle == nullptr) {
        return;
    }
    FakeObject* object = Object(handle);
    Record(std::string("DeleteLocalRef ") + KIND_NAMES[object->kind]);
    object->deleted = true;
}

jclass JNICALL GetObjectClass(JNIEnv*, jobject handle) {
    FakeObject* object = Object(handle);
    static const std::map<ObjectKind, std::string> CLASS_OF = {
        {STRING, "java/lang/String"},
        {JAR, "java/util/jar/JarFile"},
        {MANIFEST, "java/util/jar/Manifest"},
        {ATTRIBUTES, "java/util/jar/Attributes"},
        {REFLECTED, "java/lang/reflect/Method"},
    };
    auto name = CLASS_OF.find(object->kind);
    if (name == CLASS_OF.end()) {
        ADD_FAILURE() << "GetObjectClass of a " << KIND_NAMES[object->kind];
        return nullptr;
    }
    Record("GetObjectClass " + name->second);
    return static_cast<jclass>(NewHandle(CLASS, name->second));
}

jmethodID JNICALL GetMethodID(JNIEnv*, jclass type, const char* name, const char* signature) {
    const std::string& owner = Object(type)->text;
    Record("GetMethodID " + owner + " " + name + " " + signature);
    if (Fails("GetMethodID")) {
        return nullptr;
    }
    auto methods = SYSTEM_CLASSES.find(owner);
    if (methods == SYSTEM_CLASSES.end() ||
        methods->second.count(std::string(name) + " " + signature) == 0) {
        Raise(std::string("java.lang.NoSuchMethodError: ") + name);
        return nullptr;
    }
    return MethodId(owner, name, signature, false);
}

jmethodID JNICALL GetStaticMethodID(JNIEnv*, jclass type, const char* name, const char* signature) {
    const std::string& owner = Object(type)->text;
    Record("GetStaticMethodID " + owner + " " + name + " " + signature);
    if (Fails("GetStaticMethodID")) {
        return nullptr;
    }
    std::string method = std::string(name) + " " + signature;
    auto appClass = g_fake->appClasses.find(owner);
    bool found = (owner == "sun/misc/Version" && method == "print ()V") ||
                 (appClass != g_fake->appClasses.end() && appClass->second.hasStaticMain &&
                  method == "main ([Ljava/lang/String;)V");
    if (!found) {
        Raise(std::string("java.lang.NoSuchMethodError: ") + name);
        return nullptr;
    }
    return MethodId(owner, name, signature, true);
}

jobject JNICALL NewObjectV(JNIEnv*, jclass type, jmethodID constructor, va_list arguments) {
    const std::string& owner = Object(type)->text;
    Record("NewObject " + owner);
    if (Method(constructor)->owner != owner || Method(constructor)->name != "<init>") {
        ADD_FAILURE() << "NewObject of " << owner << " with " << Method(constructor)->name;
        return nullptr;
    }
    if (Fails("NewObject")) {
        return nullptr;
    }
    FakeObject* argument = Object(va_arg(arguments, jobject));
    if (owner == "java/lang/String") {
        return NewHandle(STRING, argument->text);
    }
    if (g_fake->jars.count(argument->text) == 0) {
        Raise("java.nio.file.NoSuchFileException: " + argument->text);
        return nullptr;
    }
    return NewHandle(JAR, argument->text);
}

jobject JNICALL CallObjectMethodV(JNIEnv*, jobject handle, jmethodID id, va_list arguments) {
    FakeObject* object = Object(handle);
    FakeMethod* method = Method(id);
    Record("CallObjectMethod " + method->name);
    if (Fails("CallObjectMethod")) {
        return nullptr;
    }
    FakeJar* jar = JarOf(object);
    if (method->name == "getManifest") {
        return jar->hasManifest ? NewHandle(MANIFEST, object->text) : nullptr;
    }
    if (method->name == "getMainAttributes") {
        return NewHandle(ATTRIBUTES, object->text);
    }
    FakeObject* key = Object(va_arg(arguments, jobject));
    if (key->text == "Main-Class" && jar->hasMainClass) {
        return NewHandle(STRING, jar->mainClass);
    }
    return nullptr;
}

jint JNICALL CallIntMethodV(JNIEnv*, jobject handle, jmethodID id, va_list) {
    FakeObject* object = Object(handle);
    Record("CallIntMethod " + Method(id)->name);
    return g_fake->appClasses[object->text].mainModifiers;
}

void JNICALL CallStaticVoidMethodV(JNIEnv*, jclass type, jmethodID id, va_list arguments) {
    const std::string& owner = Object(type)->text;
    FakeMethod* method = Method(id);
    Record("CallStaticVoidMethod " + owner + "." + method->name);
    if (method->owner == "sun/misc/Version") {
        g_fake->versionPrints++;
        if (g_fake->versionPrintThrows) {
            Raise("java.lang.InternalError: version print");
        }
        return;
    }
    g_fake->mainCalled = true;
    g_fake->mainArguments = FakeArrayStrings(va_arg(arguments, jobject));
    if (g_fake->appClasses[owner].mainThrows) {
        Raise("java.lang.IllegalStateException: thrown by main");
    }
}

jobject JNICALL ToReflectedMethod(JNIEnv*, jclass type, jmethodID id, jboolean isStatic) {
    Record(std::string("ToReflectedMethod ") + Method(id)->name + (isStatic ? " static" : " instance"));
    if (Fails("ToReflectedMethod")) {
        return nullptr;
    }
    return NewHandle(REFLECTED, Object(type)->text);
}

const char* JNICALL GetStringUTFChars(JNIEnv*, jstring handle, jboolean* isCopy) {
    FakeObject* object = Object(handle);
    Record(isCopy == nullptr ? "GetStringUTFChars" : "GetStringUTFChars with a copy flag");
    if (Fails("GetStringUTFChars")) {
        return nullptr;
    }
    g_utfChars.push_back(object->text);
    g_fake->liveUtfChars++;
    return g_utfChars.back().c_str();
}

void JNICALL ReleaseStringUTFChars(JNIEnv*, jstring handle, const char*) {
    Object(handle);
    Record("ReleaseStringUTFChars");
    g_fake->liveUtfChars--;
}

jobjectArray JNICALL NewObjectArray(JNIEnv*, jsize length, jclass type, jobject initial) {
    Record("NewObjectArray " + std::to_string(length) + " " + Object(type)->text);
    if (Fails("NewObjectArray")) {
        return nullptr;
    }
    jobject array = NewHandle(OBJECT_ARRAY, "");
    Object(array)->elements.assign(static_cast<size_t>(length), initial);
    return static_cast<jobjectArray>(array);
}

void JNICALL SetObjectArrayElement(JNIEnv*, jobjectArray handle, jsize index, jobject value) {
    Record("SetObjectArrayElement " + std::to_string(index));
    FakeObject* array = Object(handle);
    FakeObject* element = Object(value);
    if (index < 0 || static_cast<size_t>(index) >= array->elements.size()) {
        Raise("java.lang.ArrayIndexOutOfBoundsException");
        return;
    }
    // The array holds a reference of its own, which outlives the caller's local reference.
    array->elements[static_cast<size_t>(index)] = NewHandle(element->kind, element->text);
}

jbyteArray JNICALL NewByteArray(JNIEnv*, jsize length) {
    Record("NewByteArray " + std::to_string(length));
    if (Fails("NewByteArray")) {
        return nullptr;
    }
    return static_cast<jbyteArray>(NewHandle(BYTE_ARRAY, std::string(static_cast<size_t>(length), '\0')));
}

void JNICALL SetByteArrayRegion(JNIEnv*, jbyteArray handle, jsize start, jsize length, const jbyte* bytes) {
    Record("SetByteArrayRegion " + std::to_string(start) + " " + std::to_string(length));
    FakeObject* array = Object(handle);
    if (Fails("SetByteArrayRegion")) {
        return;
    }
    if (start < 0 || length < 0 ||
        static_cast<size_t>(start) + static_cast<size_t>(length) > array->text.size()) {
        Raise("java.lang.ArrayIndexOutOfBoundsException");
        return;
    }
    array->text.replace(static_cast<size_t>(start), static_cast<size_t>(length),
                        reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
}

jint JNICALL DestroyJavaVM(JavaVM*) {
    Record("DestroyJavaVM");
    g_fake->destroyCalls++;
    return JNI_OK;
}

jint JNICALL DetachCurrentThread(JavaVM*) {
    Record("DetachCurrentThread");
    g_fake->detachCalls++;
    return Fails("DetachCurrentThread") ? JNI_ERR : JNI_OK;
}

JNINativeInterface_ g_functions;
JNIEnv g_environment = {&g_functions};
JNIInvokeInterface_ g_invoke;
JavaVM g_vm = {&g_invoke};

}  // namespace

void UseFakeJava(FakeJava* fake) {
    g_fake = fake;
    g_objects.clear();
    g_methods.clear();
    g_utfChars.clear();
    g_callCounts.clear();
    g_pending = nullptr;

    g_functions = JNINativeInterface_{};
    g_functions.FindClass = FindClass;
    g_functions.ExceptionOccurred = ExceptionOccurred;
    g_functions.ExceptionDescribe = ExceptionDescribe;
    g_functions.DeleteLocalRef = DeleteLocalRef;
    g_functions.GetObjectClass = GetObjectClass;
    g_functions.GetMethodID = GetMethodID;
    g_functions.GetStaticMethodID = GetStaticMethodID;
    g_functions.NewObjectV = NewObjectV;
    g_functions.CallObjectMethodV = CallObjectMethodV;
    g_functions.CallIntMethodV = CallIntMethodV;
    g_functions.CallStaticVoidMethodV = CallStaticVoidMethodV;
    g_functions.ToReflectedMethod = ToReflectedMethod;
    g_functions.GetStringUTFChars = GetStringUTFChars;
    g_functions.ReleaseStringUTFChars = ReleaseStringUTFChars;
    g_functions.NewObjectArray = NewObjectArray;
    g_functions.SetObjectArrayElement = SetObjectArrayElement;
    g_functions.NewByteArray = NewByteArray;
    g_functions.SetByteArrayRegion = SetByteArrayRegion;

    g_invoke = JNIInvokeInterface_{};
    g_invoke.DestroyJavaVM = DestroyJavaVM;
    g_invoke.DetachCurrentThread = DetachCurrentThread;
}

JNIEnv* FakeEnvironment() { return &g_environment; }

JavaVM* FakeVm() { return &g_vm; }

jint JNICALL FakeCreateJavaVM(JavaVM** vm, void** environment, void* initArgs) {
    const JavaVMInitArgs* args = static_cast<const JavaVMInitArgs*>(initArgs);
    Record("JNI_CreateJavaVM");
    g_fake->created = true;
    g_fake->initVersion = args->version;
    g_fake->ignoreUnrecognized = args->ignoreUnrecognized;
    for (jint i = 0; i < args->nOptions; ++i) {
        g_fake->options.push_back(args->options[i].optionString);
        g_fake->optionExtras.push_back(args->options[i].extraInfo);
    }
    if (Fails("JNI_CreateJavaVM")) {
        return JNI_ERR;
    }
    *vm = &g_vm;
    *environment = &g_environment;
    return JNI_OK;
}

jint JNICALL FakeGetDefaultJavaVMInitArgs(void*) {
    Record("JNI_GetDefaultJavaVMInitArgs");
    return JNI_OK;
}

bool FakeIsString(jobject object) { return object != nullptr && Object(object)->kind == STRING; }

std::string FakeStringBytes(jobject object) { return Object(object)->text; }

std::vector<std::string> FakeArrayStrings(jobject array) {
    std::vector<std::string> strings;
    for (jobject element : Object(array)->elements) {
        strings.push_back(element == nullptr ? std::string("<null>") : Object(element)->text);
    }
    return strings;
}

std::string FakePendingException() {
    return g_pending == nullptr ? std::string() : reinterpret_cast<FakeObject*>(g_pending)->text;
}
