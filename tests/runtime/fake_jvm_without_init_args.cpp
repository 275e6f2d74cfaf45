// A stand-in for jvm.dll that exports JNI_CreateJavaVM but not JNI_GetDefaultJavaVMInitArgs.
#include <jni.h>

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM**, void**, void*) { return 4101; }
