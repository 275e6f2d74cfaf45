// Host side: the run-time library's files. Mode "r" reads like the Microsoft C runtime's text mode,
// through a cookie stream over the real file.
#include "os_file.h"

#include "host_paths.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

enum { TEXT_CHUNK = 4096 };

// A text-mode reader over a binary stream: CR LF becomes LF, a lone CR stays, 0x1A ends the file.
struct TextReader {
    FILE* raw;
    unsigned char chunk[TEXT_CHUNK];
    size_t chunkLength;
    size_t chunkAt;
    bool ended;      // end of file, a read error, or Ctrl-Z: nothing more is delivered
    bool pendingCR;  // a CR was read; whether it survives depends on the next byte
};

// The next raw byte, or -1 at the end of the file (or on a read error).
static int PeekRaw(TextReader* reader) {
    if (reader->chunkAt == reader->chunkLength) {
        reader->chunkLength = fread(reader->chunk, 1, sizeof reader->chunk, reader->raw);
        reader->chunkAt = 0;
        if (reader->chunkLength == 0) {
            return -1;
        }
    }
    return reader->chunk[reader->chunkAt];
}

// cookie read: fills `buffer` with up to `size` translated bytes; 0 means the end of the file.
static ssize_t ReadText(void* cookie, char* buffer, size_t size) {
    TextReader* reader = static_cast<TextReader*>(cookie);
    size_t filled = 0;
    while (filled < size && !reader->ended) {
        int c = PeekRaw(reader);
        if (reader->pendingCR) {
            // The CR is settled by the byte after it: dropped before LF, kept before anything else.
            reader->pendingCR = false;
            if (c == '\n') {
                ++reader->chunkAt;
            }
            buffer[filled++] = c == '\n' ? '\n' : '\r';
            continue;
        }
        if (c < 0 || c == 0x1A) {
            reader->ended = true;
            break;
        }
        ++reader->chunkAt;
        if (c == '\r') {
            reader->pendingCR = true;
            continue;
        }
        buffer[filled++] = static_cast<char>(c);
    }
    return static_cast<ssize_t>(filled);
}

static int CloseText(void* cookie) {
    TextReader* reader = static_cast<TextReader*>(cookie);
    int result = fclose(reader->raw);
    free(reader);
    return result;
}

// fopen with Windows' refusal to open a directory as a file.
static FILE* OpenPlain(const std::string& path, const char* mode) {
    FILE* file = fopen(path.c_str(), mode);
    if (file == nullptr) {
        return nullptr;
    }
    struct stat status;
    if (fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
        fclose(file);
        errno = EACCES;
        return nullptr;
    }
    return file;
}

FILE* OsOpenFile(const char* path, const char* mode) {
    if (path == nullptr || mode == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    std::string posixPath = HostPosixPath(path);
    bool textMode = strcmp(mode, "r") == 0 || strcmp(mode, "rt") == 0;
    if (!textMode) {
        return OpenPlain(posixPath, mode);
    }
    FILE* raw = OpenPlain(posixPath, "rb");
    if (raw == nullptr) {
        return nullptr;
    }
    TextReader* reader = static_cast<TextReader*>(calloc(1, sizeof(TextReader)));
    if (reader == nullptr) {
        fclose(raw);
        errno = ENOMEM;
        return nullptr;
    }
    reader->raw = raw;
    cookie_io_functions_t functions = {ReadText, nullptr, nullptr, CloseText};
    FILE* text = fopencookie(reader, "r", functions);
    if (text == nullptr) {
        CloseText(reader);
        errno = ENOMEM;
    }
    return text;
}

bool OsPathExists(const char* path) {
    if (path == nullptr) {
        return false;
    }
    struct stat status;
    return stat(HostPosixPath(path).c_str(), &status) == 0;
}
