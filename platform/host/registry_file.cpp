// Host side: reading the registry file, and replacing it atomically after a change.
#include "registry_store.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// The whole file into *bytes. False with errno set when it cannot be read.
static bool ReadWholeFile(const std::string& path, std::string* bytes) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char chunk[8192];
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            int error = errno;
            close(fd);
            errno = error;
            return false;
        }
        if (got == 0) {
            break;
        }
        bytes->append(chunk, static_cast<size_t>(got));
    }
    close(fd);
    return true;
}

bool RegLoadFile(const std::string& path, RegStore* store, std::string* problem) {
    RegStoreInit(store);
    std::string bytes;
    if (!ReadWholeFile(path, &bytes)) {
        if (errno == ENOENT) {
            return true;
        }
        // Anything but a missing file is refused: treating it as empty would overwrite it later.
        *problem = "registry file `" + path + "': cannot be read: " + strerror(errno);
        return false;
    }
    int line = 0;
    std::string what;
    if (!RegParseText(bytes, store, &line, &what)) {
        RegStoreInit(store);
        char number[16];
        snprintf(number, sizeof number, "%d", line);
        *problem = "registry file `" + path + "' line " + number + ": " + what;
        return false;
    }
    return true;
}

static bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return true;
}

// The folder part of a path ("." when it has none), for the fsync that makes the rename durable.
static std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool RegSaveFile(const std::string& path, const RegStore& store) {
    std::string temporary = path + ".tmp";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    // The new file keeps the permissions the user gave the old one.
    struct stat old;
    if (stat(path.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    }
    bool written = WriteAll(fd, RegFormatText(store)) && fsync(fd) == 0;
    if (close(fd) != 0) {
        written = false;
    }
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}
