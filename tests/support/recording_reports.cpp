// Recording versions of the launcher core's silent report hooks.
#include "recording_reports.h"

#include "launch_shared.h"

#include <stdio.h>

static std::vector<std::string> g_reports;

const std::vector<std::string>& RecordedReports() { return g_reports; }

void ClearRecordedReports() { g_reports.clear(); }

void ReportMessage(const char* message) { g_reports.push_back(message); }

void ReportFormatted(const char* format, const char* first, const char* second) {
    int length = snprintf(nullptr, 0, format, first, second);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    snprintf(&text[0], text.size() + 1, format, first, second);
    g_reports.push_back(text);
}
