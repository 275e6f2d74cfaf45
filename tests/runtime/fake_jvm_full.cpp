// A stand-in for jvm.dll that exports both JNI invocation entry points. Each returns its own marker,
// so a test can tell that a bound pointer reaches the export it was bound to.
#include <jni.h>

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM**, void**, void*) { return 4101; }

extern "C" JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void*) { return 4102; }
