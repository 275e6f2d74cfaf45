// Fuzz targets: a scratch folder of this process for the files a reader under test opens, and the
// small file helpers around it.
#pragma once

#include "file_bytes.h"

#include <stddef.h>

#include <string>

// A new empty folder under $TMPDIR (else /dev/shm, else /tmp), made on first use and removed with
// everything in it when the process ends normally. Aborts when none can be made: a target without
// its folder cannot run at all.
const std::string& ScratchFolder(void);
// Makes the scratch folder the working directory for one run, as the launcher works in its own
// folder, and goes back to where the process was: libFuzzer names its corpus and findings relative
// to that. Abort when either change fails.
void EnterScratchFolder(void);
void LeaveScratchFolder(void);
// Writes the bytes to the file, replacing it; aborts on failure.
void WriteScratchFile(const std::string& path, const unsigned char* data, size_t size);
