// Fuzz target: reading launch.properties. The input is the file's bytes; the launch lines read must
// be the ones a plain model of the text-mode reading gives: CR LF read as LF, Ctrl-Z ending the
// file, pieces of at most 98 characters up to and including a line feed, the line feed dropped, a
// zero byte ending its piece's text, at most 100 lines.
#include "fuzz_check.h"
#include "launch_properties.h"
#include "scratch_folder.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

static std::vector<std::string> ExpectedLines(const uint8_t* data, size_t size) {
    std::string text;
    for (size_t i = 0; i < size && data[i] != 0x1A; ++i) {
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') {
            continue;
        }
        text.push_back(static_cast<char>(data[i]));
    }
    std::vector<std::string> lines;
    size_t at = 0;
    while (lines.size() < 100 && at < text.size()) {
        size_t end = at;
        while (end < text.size() && end - at < 98) {
            if (text[end++] == '\n') {
                break;
            }
        }
        std::string piece = text.substr(at, end - at);
        size_t zero = piece.find('\0');
        if (zero != std::string::npos) {
            piece.resize(zero);
        } else if (!piece.empty() && piece.back() == '\n') {
            piece.pop_back();
        }
        lines.push_back(piece);
        at = end;
    }
    return lines;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteScratchFile(ScratchFolder() + "/launch.properties", data, size);
    // The launcher reads the file from its working directory, which is its own folder by then.
    EnterScratchFolder();
    char** lines = nullptr;
    int32_t lineCount = -1;
    ReadLaunchProperties(&lines, &lineCount);
    LeaveScratchFolder();
    std::vector<std::string> expected = ExpectedLines(data, size);
    FUZZ_CHECK(lines != nullptr, "no array handed over");
    FUZZ_CHECK(lineCount == static_cast<int32_t>(expected.size()), "a different number of lines");
    for (int32_t i = 0; i < lineCount; ++i) {
        FUZZ_CHECK(expected[static_cast<size_t>(i)] == lines[i], "a line differs from the file");
    }
    // The lines live until the process ends in the launcher; here each run gives them back.
    for (int32_t i = 0; i < lineCount; ++i) {
        free(lines[i]);
    }
    free(lines);
    return 0;
}
