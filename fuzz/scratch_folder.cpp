// Fuzz targets: the per-process scratch folder and its file helpers.
#include "scratch_folder.h"

#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static std::string g_folder;

static int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

static void RemoveFolder(void) { nftw(g_folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

// tmpfs first: the registry targets save the registry file, with an fsync, on every change.
static std::string BaseFolder(void) {
    const char* base = getenv("TMPDIR");
    if (base != nullptr && *base != '\0') {
        return base;
    }
    return access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
}

const std::string& ScratchFolder(void) {
    if (g_folder.empty()) {
        std::string pattern = BaseFolder() + "/fuzz-scratch-XXXXXX";
        if (mkdtemp(&pattern[0]) == nullptr) {
            perror(pattern.c_str());
            abort();
        }
        g_folder = pattern;
        atexit(RemoveFolder);
    }
    return g_folder;
}

static int g_startFolder = -1;

void EnterScratchFolder(void) {
    if (g_startFolder < 0) {
        g_startFolder = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (g_startFolder < 0 || chdir(ScratchFolder().c_str()) != 0) {
        perror("entering the scratch folder");
        abort();
    }
}

void LeaveScratchFolder(void) {
    if (fchdir(g_startFolder) != 0) {
        perror("leaving the scratch folder");
        abort();
    }
}

void WriteScratchFile(const std::string& path, const unsigned char* data, size_t size) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr || fwrite(data, 1, size, file) != size || fclose(file) != 0) {
        perror(path.c_str());
        abort();
    }
}
