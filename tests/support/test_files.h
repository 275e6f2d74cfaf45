// Scratch folders, whole-file reads and writes, scoped environment changes, and the host emulation's
// message-box log, for tests.
#pragma once

#include "file_bytes.h"

#include <string>
#include <vector>

// A new empty folder under $TMPDIR (or /tmp); RemoveTree deletes it with everything below.
std::string MakeScratchDir();
void RemoveTree(const std::string& path);

void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The names in a folder, without "." and ".."; none when it cannot be read.
std::vector<std::string> FolderEntries(const std::string& folder);

// A POSIX path as the launcher sees it on the host: every '/' turned into '\'.
std::string WindowsPath(const std::string& posixPath);

// Sets (or, with null, unsets) an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadOld_;
};

// One message box as the host emulation logs it (one JSON object per line in TARNBECK_DIALOG_LOG).
struct LoggedBox {
    std::string caption;
    std::string text;
    std::string buttons;  // "OK" or "YESNO"
    std::string answer;   // "ok", "yes" or "no"
};
// The boxes logged in the file, in order; an unreadable line fails the current test.
std::vector<LoggedBox> ReadBoxLog(const std::string& path);
