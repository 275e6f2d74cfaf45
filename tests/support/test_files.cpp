// Test helpers over the POSIX file system and the host emulation's box log.
#include "test_files.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

std::string MakeScratchDir() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tarnbeck-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) {
        ADD_FAILURE() << "mkdtemp failed for " << pattern;
    }
    return pattern;
}

static int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

void RemoveTree(const std::string& path) { nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << "cannot write " << path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    closedir(dir);
    return names;
}

std::string WindowsPath(const std::string& posixPath) {
    std::string path = posixPath;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    hadOld_ = old != nullptr;
    if (hadOld_) {
        old_ = old;
    }
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

ScopedEnv::~ScopedEnv() {
    if (hadOld_) {
        setenv(name_.c_str(), old_.c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

// Reads one JSON string starting at the opening quote; advances past the closing quote.
static bool ParseJsonString(const std::string& line, size_t* at, std::string* out) {
    if (*at >= line.size() || line[*at] != '"') {
        return false;
    }
    out->clear();
    for (size_t i = *at + 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            *at = i + 1;
            return true;
        }
        if (c != '\\') {
            out->push_back(c);
            continue;
        }
        if (++i >= line.size()) {
            return false;
        }
        switch (line[i]) {
            case 'n': out->push_back('\n'); break;
            case 't': out->push_back('\t'); break;
            case 'r': out->push_back('\r'); break;
            case 'b': out->push_back('\b'); break;
            case 'f': out->push_back('\f'); break;
            case '/': out->push_back('/'); break;
            case '"': out->push_back('"'); break;
            case '\\': out->push_back('\\'); break;
            case 'u': {
                // The log escapes control bytes as \u00XX; every other byte is written as it is.
                if (i + 4 >= line.size()) {
                    return false;
                }
                out->push_back(static_cast<char>(strtol(line.substr(i + 1, 4).c_str(), nullptr, 16)));
                i += 4;
                break;
            }
            default: return false;
        }
    }
    return false;
}

static bool ParseBoxLine(const std::string& line, LoggedBox* box) {
    size_t at = line.find('{');
    if (at == std::string::npos) {
        return false;
    }
    ++at;
    for (;;) {
        while (at < line.size() && (line[at] == ' ' || line[at] == ',')) {
            ++at;
        }
        if (at < line.size() && line[at] == '}') {
            return true;
        }
        std::string key, value;
        if (!ParseJsonString(line, &at, &key)) {
            return false;
        }
        while (at < line.size() && (line[at] == ' ' || line[at] == ':')) {
            ++at;
        }
        if (!ParseJsonString(line, &at, &value)) {
            return false;
        }
        if (key == "caption") box->caption = value;
        else if (key == "text") box->text = value;
        else if (key == "buttons") box->buttons = value;
        else if (key == "answer") box->answer = value;
    }
}

std::vector<LoggedBox> ReadBoxLog(const std::string& path) {
    std::vector<LoggedBox> boxes;
    std::string bytes = ReadFile(path);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (line.empty()) {
            continue;
        }
        LoggedBox box;
        if (!ParseBoxLine(line, &box)) {
            ADD_FAILURE() << "unreadable box log line: " << line;
            continue;
        }
        boxes.push_back(box);
    }
    return boxes;
}
