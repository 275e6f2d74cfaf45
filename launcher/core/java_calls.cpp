// The launcher's calls on the Java side once the VM exists: Java strings and string arrays from
// 8-bit strings, the application's class, the jar's Main-Class, and the runtime's version print.
// None of them reports or clears a Java exception: a failure is a null result, and the exception
// stays pending for LauncherMain to describe.
#include "java_calls.h"

#include "launch_shared.h"

#include <stdlib.h>
#include <string.h>

// A new Java string from the text's bytes, decoded by the runtime's default character set through
// the String(byte[]) constructor, so arguments arrive as the platform encodes them. Null for a null
// text (no call into the VM) and on any failure. The byte array is released; the class reference
// stays in the thread's local frame.
jstring ToJavaString(JNIEnv* environment, const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    size_t length = strlen(text);
    // A Java array holds at most INT32_MAX bytes.
    if (length > static_cast<size_t>(INT32_MAX)) {
        return nullptr;
    }
    jclass stringClass = environment->FindClass("java/lang/String");
    if (stringClass == nullptr) {
        return nullptr;
    }
    jmethodID constructor = environment->GetMethodID(stringClass, "<init>", "([B)V");
    if (constructor == nullptr) {
        return nullptr;
    }
    jsize byteCount = static_cast<jsize>(length);
    jbyteArray bytes = environment->NewByteArray(byteCount);
    if (bytes == nullptr) {
        return nullptr;
    }
    environment->SetByteArrayRegion(bytes, 0, byteCount, reinterpret_cast<const jbyte*>(text));
    jstring result = nullptr;
    if (environment->ExceptionOccurred() == nullptr) {
        result = static_cast<jstring>(environment->NewObject(stringClass, constructor, bytes));
    }
    environment->DeleteLocalRef(bytes);
    return result;
}

// A new String[] whose element i is ToJavaString of strings[i]; each element's local reference is
// released once stored. Null when the array cannot be made or an element cannot be converted (the
// partly filled array is then abandoned to the local frame).
jobjectArray ToJavaStringArray(JNIEnv* environment, char** strings, int32_t count) {
    jclass stringClass = environment->FindClass("java/lang/String");
    if (stringClass == nullptr) {
        return nullptr;
    }
    jobjectArray array = environment->NewObjectArray(count, stringClass, nullptr);
    if (array == nullptr) {
        return nullptr;
    }
    for (int32_t i = 0; i < count; ++i) {
        jstring element = ToJavaString(environment, strings[i]);
        if (element == nullptr) {
            return nullptr;
        }
        environment->SetObjectArrayElement(array, i, element);
        environment->DeleteLocalRef(element);
    }
    return array;
}

// FindClass with the dotted name in the '/' form JNI wants; every other byte is kept as it is.
jclass FindAppClass(JNIEnv* environment, const char* dottedName) {
    size_t length = strlen(dottedName);
    if (length >= static_cast<size_t>(INT32_MAX)) {
        return nullptr;
    }
    char* slashedName = static_cast<char*>(AllocOrExit(static_cast<int32_t>(length + 1)));
    for (size_t i = 0; i <= length; ++i) {
        slashedName[i] = dottedName[i] == '.' ? '/' : dottedName[i];
    }
    jclass appClass = environment->FindClass(slashedName);
    free(slashedName);
    return appClass;
}

// The "Main-Class" value of the jar's manifest, read through java.util.jar. Null with an exception
// pending when the jar cannot be opened; null without one when the jar has no manifest or the
// manifest no "Main-Class". The manifest's and the attributes' methods are looked up on the classes
// of the objects returned. The jar object is left open for the life of the VM.
jstring ReadManifestMainClass(JNIEnv* environment, const char* jarFile) {
    jclass jarClass = environment->FindClass("java/util/jar/JarFile");
    if (jarClass == nullptr) {
        return nullptr;
    }
    jmethodID constructor = environment->GetMethodID(jarClass, "<init>", "(Ljava/lang/String;)V");
    if (constructor == nullptr) {
        return nullptr;
    }
    jstring path = ToJavaString(environment, jarFile);
    if (path == nullptr) {
        return nullptr;
    }
    jobject jar = environment->NewObject(jarClass, constructor, path);
    if (jar == nullptr) {
        return nullptr;
    }
    jmethodID getManifest =
        environment->GetMethodID(jarClass, "getManifest", "()Ljava/util/jar/Manifest;");
    if (getManifest == nullptr) {
        return nullptr;
    }
    jobject manifest = environment->CallObjectMethod(jar, getManifest);
    if (manifest == nullptr) {
        return nullptr;
    }
    jmethodID getMainAttributes = environment->GetMethodID(
        environment->GetObjectClass(manifest), "getMainAttributes", "()Ljava/util/jar/Attributes;");
    if (getMainAttributes == nullptr) {
        return nullptr;
    }
    jobject attributes = environment->CallObjectMethod(manifest, getMainAttributes);
    if (attributes == nullptr) {
        return nullptr;
    }
    jmethodID getValue = environment->GetMethodID(environment->GetObjectClass(attributes), "getValue",
                                                  "(Ljava/lang/String;)Ljava/lang/String;");
    if (getValue == nullptr) {
        return nullptr;
    }
    jstring key = ToJavaString(environment, "Main-Class");
    if (key == nullptr) {
        return nullptr;
    }
    return static_cast<jstring>(environment->CallObjectMethod(attributes, getValue, key));
}

// Has the runtime print its version through sun.misc.Version.print(). A runtime without that class
// or method prints nothing, and the lookup's exception stays pending.
void PrintRuntimeVersion(JNIEnv* environment) {
    jclass versionClass = environment->FindClass("sun/misc/Version");
    if (versionClass == nullptr) {
        return;
    }
    jmethodID print = environment->GetStaticMethodID(versionClass, "print", "()V");
    if (print == nullptr) {
        return;
    }
    environment->CallStaticVoidMethod(versionClass, print);
}
