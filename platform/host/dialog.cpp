// Host side: message boxes. Each box is logged as one JSON line to TARNBECK_DIALOG_LOG (or printed on
// standard error), and a Yes/No box is answered by TARNBECK_DIALOG_ANSWER, the terminal, or No.
#include "os_dialog.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <string>

// Appends `text` as the body of a JSON string: '"' and '\' escaped, control bytes as \n, \t, \r or
// \u00XX, every other byte (0x80 and above included) as it is.
static void AppendJsonString(std::string* out, const char* text) {
    out->push_back('"');
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(text); *at != '\0'; ++at) {
        unsigned char c = *at;
        if (c == '"' || c == '\\') {
            out->push_back('\\');
            out->push_back(static_cast<char>(c));
        } else if (c == '\n') {
            out->append("\\n");
        } else if (c == '\t') {
            out->append("\\t");
        } else if (c == '\r') {
            out->append("\\r");
        } else if (c < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out->append(escaped);
        } else {
            out->push_back(static_cast<char>(c));
        }
    }
    out->push_back('"');
}

// Asks on the terminal; anything but an answer starting with y or Y (or end of input) is No.
static int AskTerminal(const char* text, const char* caption) {
    fprintf(stderr, "%s\n%s\n[y/N] ", caption, text);
    fflush(stderr);
    char reply[64];
    if (fgets(reply, sizeof reply, stdin) == nullptr) {
        return OS_IDNO;
    }
    return reply[0] == 'y' || reply[0] == 'Y' ? OS_IDYES : OS_IDNO;
}

// The answer to a Yes/No box, read afresh at every box.
static int AnswerYesNo(const char* text, const char* caption) {
    const char* scripted = getenv("TARNBECK_DIALOG_ANSWER");
    if (scripted != nullptr) {
        if (strcasecmp(scripted, "yes") == 0) {
            return OS_IDYES;
        }
        if (strcasecmp(scripted, "no") != 0) {
            fprintf(stderr, "TARNBECK_DIALOG_ANSWER=%s is neither yes nor no; answering no\n", scripted);
        }
        return OS_IDNO;
    }
    return isatty(STDIN_FILENO) ? AskTerminal(text, caption) : OS_IDNO;
}

// Appends the line to the log in one write, so boxes of several processes do not interleave.
static bool AppendToLog(const char* logPath, const std::string& line) {
    int fd = open(logPath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool written = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    return close(fd) == 0 && written;
}

// MessageBoxA(NULL, text, caption, style). Only the button group of the style is looked at; every
// group but MB_YESNO shows a single OK button. A null caption reads "Error", as on Windows.
int OsMessageBox(const char* text, const char* caption, uint32_t style) {
    if (text == nullptr) {
        text = "";
    }
    if (caption == nullptr) {
        caption = "Error";
    }
    bool yesNo = (style & 0xF) == OS_MB_YESNO;
    int answer = yesNo ? AnswerYesNo(text, caption) : OS_IDOK;
    const char* buttons = yesNo ? "YESNO" : "OK";
    const char* answerName = answer == OS_IDYES ? "yes" : answer == OS_IDNO ? "no" : "ok";

    const char* logPath = getenv("TARNBECK_DIALOG_LOG");
    if (logPath != nullptr && *logPath != '\0') {
        std::string line = "{\"caption\":";
        AppendJsonString(&line, caption);
        line.append(",\"text\":");
        AppendJsonString(&line, text);
        line.append(",\"buttons\":\"").append(buttons).append("\",\"answer\":\"").append(answerName);
        line.append("\"}\n");
        if (AppendToLog(logPath, line)) {
            return answer;
        }
        fprintf(stderr, "cannot append to the dialog log %s\n", logPath);
    }
    fprintf(stderr, "[message box: %s] %s\n%s\n[answer: %s]\n", buttons, caption, text, answerName);
    return answer;
}
