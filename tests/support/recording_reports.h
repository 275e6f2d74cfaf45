// The report hooks as the tests link them: every text handed to ReportMessage or ReportFormatted is
// kept, formatted, so a test can check it byte for byte.
#pragma once

#include <string>
#include <vector>

const std::vector<std::string>& RecordedReports();
void ClearRecordedReports();
