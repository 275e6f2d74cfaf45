// Small operations on the Java side once the VM exists. Each returns null on failure and leaves any
// Java exception pending for the caller to describe.
#pragma once

#include <jni.h>

#include <stdint.h>

jstring ToJavaString(JNIEnv* environment, const char* text);
jobjectArray ToJavaStringArray(JNIEnv* environment, char** strings, int32_t count);
jclass FindAppClass(JNIEnv* environment, const char* dottedName);
jstring ReadManifestMainClass(JNIEnv* environment, const char* jarFile);
void PrintRuntimeVersion(JNIEnv* environment);
