/* Win32 side: the machine-dependent part of JNI for the Windows builds. The JDK's jni.h includes
   it; the build puts this folder ahead of the JDK's own, whose jni_md.h is the Linux one. */
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
/* jvm.dll's exports and every JNI function pointer use the standard call convention on Win32. */
#define JNICALL __stdcall

/* Windows is LLP64: long is 32 bits there on x86 and x64 alike. */
typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif /* !_JAVASOFT_JNI_MD_H_ */
