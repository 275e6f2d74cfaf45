// Fuzz targets: the readable input layout the registry and argument targets share. The first line
// holds the harness's own settings as blank-separated words ("answer=yes fail=set:3"); the rest is
// the reader's input proper (a .reg file, arguments, jvm.cfg).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

// Splits the input at its first line feed: the settings line without it, and everything after.
void SplitHarnessInput(const uint8_t* data, size_t size, std::string* settings, std::string* rest);
// The value of the word "name=value" in the settings; "" when there is none.
std::string HarnessSetting(const std::string& settings, const char* name);
// True when the settings hold the word itself (a flag such as "quiet").
bool HarnessFlag(const std::string& settings, const char* name);
// The lines of the text, without their line feeds; a last line without one counts too.
std::vector<std::string> SplitLines(const std::string& text);
// Splits the text at its first line that is exactly "%%": the lines before it (with their line
// feeds) and everything after it. Without such a line, all of it is before.
void SplitAtMarker(const std::string& text, std::string* before, std::string* after);
