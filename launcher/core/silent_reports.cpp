// The report hooks of the shipped launcher: every error text of the launcher core ends here unseen.
#include "launch_shared.h"

void ReportMessage(const char*) {}

void ReportFormatted(const char*, const char*, const char*) {}
