// Fuzz targets: splitting the readable input layout into settings and the reader's input.
#include "harness_input.h"

void SplitHarnessInput(const uint8_t* data, size_t size, std::string* settings, std::string* rest) {
    std::string text(reinterpret_cast<const char*>(data), size);
    size_t end = text.find('\n');
    *settings = text.substr(0, end);
    *rest = end == std::string::npos ? std::string() : text.substr(end + 1);
}

static std::vector<std::string> Words(const std::string& settings) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < settings.size()) {
        size_t end = settings.find(' ', at);
        if (end == std::string::npos) {
            end = settings.size();
        }
        if (end > at) {
            words.push_back(settings.substr(at, end - at));
        }
        at = end + 1;
    }
    return words;
}

std::string HarnessSetting(const std::string& settings, const char* name) {
    std::string prefix = std::string(name) + "=";
    for (const std::string& word : Words(settings)) {
        if (word.compare(0, prefix.size(), prefix) == 0) {
            return word.substr(prefix.size());
        }
    }
    return std::string();
}

bool HarnessFlag(const std::string& settings, const char* name) {
    for (const std::string& word : Words(settings)) {
        if (word == name) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

void SplitAtMarker(const std::string& text, std::string* before, std::string* after) {
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (text.compare(at, end - at, "%%") == 0) {
            *before = text.substr(0, at);
            *after = end < text.size() ? text.substr(end + 1) : std::string();
            return;
        }
        at = end + 1;
    }
    *before = text;
    after->clear();
}
