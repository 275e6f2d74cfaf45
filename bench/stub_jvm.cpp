// A Java runtime that refuses at once: the launcher binds it like a real jvm.dll, and its
// JNI_CreateJavaVM fails before doing anything. Starting the launcher over it measures the
// launcher's own work (launch.properties, registry, jvm.cfg, library binding, the closing box)
// without a VM's start in the count.
#include <jni.h>

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM**, void**, void*) { return JNI_ERR; }

extern "C" JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void*) { return JNI_ERR; }
