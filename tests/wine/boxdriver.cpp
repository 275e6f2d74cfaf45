// The box driver of the Wine tests: starts the program under test, answers its message boxes, and
// reports what it saw, so that no test can hang on a box that nobody answers.
//
//   boxdriver.exe --command-file F --log F [--answers YES,NO,OK] [--timeout MS] [--hold MS]
//                 [--pidfile F]
//
// The command file holds the program's command line byte for byte (quotes and all, the way the shell
// would build it). The program inherits our standard handles. While it runs, every visible dialog
// window of its process is read (caption, the static text, the buttons present, its screen rectangle),
// logged, and, after --hold milliseconds, answered with the next of --answers; a box the list does not
// cover gets OK or No. When the program ends, or after --timeout milliseconds (then it is terminated),
// the exit code is logged with all 32 bits. With --pidfile, the process whose id a child of the program
// wrote there is checked afterwards: still running (then it is terminated, so nothing outlives the
// test), ended, or never started.
//
// The log has one JSON object per line: boxes as {"caption","text","buttons","answer","rect","ms"}, and
// events as {"event": "exit"|"timeout"|"create-failed"|"pidfile", ...}. Strings are escaped as the
// host emulation's box log escapes them: '"' and '\' with a backslash, \n \r \t, other control bytes as
// \u00XX, bytes from 0x80 as they are.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const int kMessageBoxTextId = 0xFFFF;

struct Options {
    std::string commandFile;
    std::string logFile;
    std::vector<std::string> answers;
    DWORD timeoutMs = 30000;
    DWORD holdMs = 0;
    std::string pidFile;
};

std::string g_logFile;

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// Appends one line and closes the file at once: the harness may read the log while we run.
void Log(const std::string& line) {
    FILE* file = fopen(g_logFile.c_str(), "ab");
    if (file == nullptr) {
        fprintf(stderr, "boxdriver: cannot write %s\n", g_logFile.c_str());
        return;
    }
    fprintf(file, "%s\n", line.c_str());
    fclose(file);
}

std::string ReadWholeFile(const std::string& path, bool* ok) {
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    *ok = file != nullptr;
    if (file == nullptr) return bytes;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    fclose(file);
    return bytes;
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (i + 1 >= argc) return false;
        std::string value = argv[++i];
        if (name == "--command-file") {
            options->commandFile = value;
        } else if (name == "--log") {
            options->logFile = value;
        } else if (name == "--answers") {
            size_t start = 0;
            while (start <= value.size()) {
                size_t comma = value.find(',', start);
                if (comma == std::string::npos) comma = value.size();
                if (comma > start) options->answers.push_back(value.substr(start, comma - start));
                start = comma + 1;
            }
        } else if (name == "--timeout") {
            options->timeoutMs = strtoul(value.c_str(), nullptr, 10);
        } else if (name == "--hold") {
            options->holdMs = strtoul(value.c_str(), nullptr, 10);
        } else if (name == "--pidfile") {
            options->pidFile = value;
        } else {
            return false;
        }
    }
    return !options->commandFile.empty() && !options->logFile.empty();
}

// --- reading a box ---------------------------------------------------------------------------

struct StaticSearch {
    std::string text;
};

BOOL CALLBACK FindStaticText(HWND child, LPARAM context) {
    char className[64];
    if (GetClassNameA(child, className, sizeof className) == 0) return TRUE;
    if (_stricmp(className, "Static") != 0) return TRUE;
    char text[4096];
    int length = GetWindowTextA(child, text, sizeof text);
    if (length <= 0) return TRUE;
    reinterpret_cast<StaticSearch*>(context)->text.assign(text, length);
    return FALSE;
}

// The message text: the static control the system gives id 0xFFFF, or else the first static with text.
std::string BoxText(HWND box) {
    char text[4096];
    HWND label = GetDlgItem(box, kMessageBoxTextId);
    if (label != nullptr) {
        int length = GetWindowTextA(label, text, sizeof text);
        if (length > 0) return std::string(text, length);
    }
    StaticSearch search;
    EnumChildWindows(box, FindStaticText, reinterpret_cast<LPARAM>(&search));
    return search.text;
}

struct Button {
    int id;
    const char* name;
};
const Button kButtons[] = {{IDOK, "OK"},         {IDCANCEL, "CANCEL"}, {IDABORT, "ABORT"},
                           {IDRETRY, "RETRY"},   {IDIGNORE, "IGNORE"}, {IDYES, "YES"},
                           {IDNO, "NO"},         {IDTRYAGAIN, "TRYAGAIN"},
                           {IDCONTINUE, "CONTINUE"}, {9 /* IDHELP */, "HELP"}};

// The buttons the box shows, named as the host box log names its styles: "OK", "YESNO", ...
std::string BoxButtons(HWND box, std::vector<int>* ids) {
    std::string names;
    for (const Button& button : kButtons) {
        HWND control = GetDlgItem(box, button.id);
        if (control == nullptr || !IsWindowVisible(control)) continue;
        names += button.name;
        ids->push_back(button.id);
    }
    return names;
}

int AnswerId(const std::string& answer) {
    for (const Button& button : kButtons) {
        if (_stricmp(answer.c_str(), button.name) == 0) return button.id;
    }
    return 0;
}

std::string Lower(const char* text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return out;
}

struct BoxSearch {
    DWORD processId;
    std::vector<HWND>* handled;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM context) {
    BoxSearch* search = reinterpret_cast<BoxSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    char className[64];
    if (GetClassNameA(window, className, sizeof className) == 0 || strcmp(className, "#32770") != 0) {
        return TRUE;
    }
    for (HWND done : *search->handled) {
        if (done == window) return TRUE;
    }
    search->found = window;
    return FALSE;
}

// Logs one box and presses the scripted answer (or the safe default when the script has none left or
// names a button the box lacks).
void AnswerBox(HWND box, const Options& options, size_t* nextAnswer, DWORD started) {
    // The box is visible once its dialog is initialised; a moment more lets it paint for screenshots.
    Sleep(100);
    char caption[1024];
    int captionLength = GetWindowTextA(box, caption, sizeof caption);
    std::string captionText(caption, captionLength > 0 ? captionLength : 0);
    std::vector<int> ids;
    std::string buttons = BoxButtons(box, &ids);

    int answer = 0;
    if (*nextAnswer < options.answers.size()) answer = AnswerId(options.answers[(*nextAnswer)++]);
    bool present = false;
    for (int id : ids) present = present || id == answer;
    if (!present) {
        answer = IDOK;
        for (int id : ids) {
            if (id == IDNO) answer = IDNO;
        }
    }
    const char* answerName = "none";
    for (const Button& button : kButtons) {
        if (button.id == answer) answerName = button.name;
    }

    RECT rect = {0, 0, 0, 0};
    GetWindowRect(box, &rect);
    char rectText[128];
    snprintf(rectText, sizeof rectText, "[%ld,%ld,%ld,%ld],\"ms\":%lu", rect.left, rect.top,
             rect.right, rect.bottom, GetTickCount() - started);
    Log("{\"caption\":" + JsonString(captionText) + ",\"text\":" + JsonString(BoxText(box)) +
        ",\"buttons\":" + JsonString(buttons) + ",\"answer\":" + JsonString(Lower(answerName)) +
        ",\"rect\":" + rectText + "}");

    if (options.holdMs > 0) {
        // Held for a screenshot. Xvfb has no window manager to give Wine's desktop the input
        // focus, so Wine draws every caption as inactive: draw this one as the active window that
        // a user's screen would show.
        SetForegroundWindow(box);
        SendMessageTimeoutA(box, WM_NCACTIVATE, TRUE, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
        Sleep(options.holdMs);
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
}

void CheckPidFile(const std::string& path) {
    bool ok = false;
    std::string text = ReadWholeFile(path, &ok);
    DWORD pid = ok ? strtoul(text.c_str(), nullptr, 10) : 0;
    if (pid == 0) {
        Log("{\"event\":\"pidfile\",\"state\":\"missing\"}");
        return;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) {
        Log("{\"event\":\"pidfile\",\"state\":\"ended\"}");
        return;
    }
    bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    Log(std::string("{\"event\":\"pidfile\",\"state\":\"") + (running ? "running" : "ended") + "\"}");
    if (running) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        fprintf(stderr, "usage: boxdriver --command-file F --log F [--answers YES,NO,OK] [--timeout MS] "
                        "[--hold MS] [--pidfile F]\n");
        return 2;
    }
    g_logFile = options.logFile;
    bool ok = false;
    std::string command = ReadWholeFile(options.commandFile, &ok);
    if (!ok) {
        fprintf(stderr, "boxdriver: cannot read %s\n", options.commandFile.c_str());
        return 2;
    }

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info;
    memset(&info, 0, sizeof info);
    std::vector<char> commandLine(command.begin(), command.end());
    commandLine.push_back('\0');
    DWORD started = GetTickCount();
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info)) {
        char line[96];
        snprintf(line, sizeof line, "{\"event\":\"create-failed\",\"error\":%lu}", GetLastError());
        Log(line);
        return 3;
    }

    std::vector<HWND> handled;
    size_t nextAnswer = 0;
    bool ended = false;
    while (GetTickCount() - started < options.timeoutMs) {
        if (WaitForSingleObject(info.hProcess, 50) == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        BoxSearch search = {info.dwProcessId, &handled, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            handled.push_back(search.found);
            AnswerBox(search.found, options, &nextAnswer, started);
        }
    }
    DWORD elapsed = GetTickCount() - started;
    char line[128];
    if (!ended) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 5000);
        snprintf(line, sizeof line, "{\"event\":\"timeout\",\"ms\":%lu}", elapsed);
        Log(line);
    } else {
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        snprintf(line, sizeof line, "{\"event\":\"exit\",\"code\":%lu,\"ms\":%lu}", code, elapsed);
        Log(line);
    }
    if (!options.pidFile.empty()) CheckPidFile(options.pidFile);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return ended ? 0 : 4;
}
