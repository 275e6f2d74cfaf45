// Scratch installations of the host launcher and a bounded run of it with captured output.
#include "installation.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

std::string MakeRuntimeHome(const std::string& folder) {
    std::string home = folder + "/jre";
    for (const std::string& path : {home, home + "/bin", home + "/bin/server", home + "/lib"}) {
        EXPECT_EQ(mkdir(path.c_str(), 0755), 0) << path;
    }
    EXPECT_EQ(symlink(E2E_LIBJVM, (home + "/bin/server/jvm.dll").c_str()), 0);
    WriteFile(home + "/lib/jvm.cfg", "-server KNOWN\n");
    return home;
}

// A .reg string escapes each backslash.
static std::string RegString(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\' || c == '"') {
            escaped.push_back('\\');
        }
        escaped.push_back(c);
    }
    return escaped;
}

Installation MakeInstallation(const std::string& runtimeHome, const char* launchProperties,
                              const std::vector<std::string>& jars) {
    Installation installation;
    installation.root = MakeScratchDir();
    installation.folder = installation.root + "/Tarnbeck";
    EXPECT_EQ(mkdir(installation.folder.c_str(), 0755), 0);

    std::string launcher = installation.folder + "/Tarnbeck";
    WriteFile(launcher, ReadFile(E2E_LAUNCHER));
    EXPECT_EQ(chmod(launcher.c_str(), 0755), 0);
    for (const std::string& jar : jars) {
        std::string bytes = ReadFile(std::string(E2E_FIXTURE_JARS) + "/" + jar);
        EXPECT_FALSE(bytes.empty()) << "fixture jar " << jar;
        WriteFile(installation.folder + "/" + jar, bytes);
    }
    if (launchProperties != nullptr) {
        WriteFile(installation.folder + "/launch.properties", launchProperties);
    }
    WriteFile(installation.folder + "/registry.reg",
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment]\n"
              "\"CurrentVersion\"=\"17\"\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\17]\n"
              "\"JavaHome\"=\"" + RegString(WindowsPath(runtimeHome)) + "\"\n");
    return installation;
}

// The child's side of the fork: environment, output files, then the launcher. Never returns.
static void ExecLauncher(const Installation& installation, const std::vector<std::string>& arguments,
                         const std::string& outPath, const std::string& errPath) {
    setenv("TARNBECK_REGISTRY", (installation.folder + "/registry.reg").c_str(), 1);
    setenv("TARNBECK_DIALOG_LOG", (installation.root + "/boxes.log").c_str(), 1);
    setenv("TARNBECK_DIALOG_ANSWER", "no", 1);
    // The VM decodes argument bytes with the locale's character set; fix it so the test knows it.
    setenv("LC_ALL", "C.UTF-8", 1);
    for (const char* name : {"JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS", "JDK_JAVA_OPTIONS", "JDK_ALTERNATE_VM",
                             "TARNBECK_REGISTRY_READONLY"}) {
        unsetenv(name);
    }
#ifdef E2E_LAUNCHER_SANITIZED
    // HotSpot relies on its own SIGSEGV handler (implicit null checks, safepoint polls) and keeps
    // memory the leak checker would count.
    setenv("ASAN_OPTIONS", "handle_segv=0:allow_user_segv_handler=1:detect_leaks=0", 1);
#endif
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || chdir(installation.root.c_str()) != 0) {
        _exit(127);
    }
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    std::string launcher = installation.folder + "/Tarnbeck";
    std::vector<char*> argv;
    argv.push_back(&launcher[0]);
    std::vector<std::string> storage = arguments;
    for (std::string& argument : storage) {
        argv.push_back(&argument[0]);
    }
    argv.push_back(nullptr);
    execv(launcher.c_str(), argv.data());
    _exit(127);
}

LaunchOutcome RunLauncher(const Installation& installation, const std::vector<std::string>& arguments) {
    std::string outPath = installation.root + "/stdout.txt";
    std::string errPath = installation.root + "/stderr.txt";
    std::string boxLog = installation.root + "/boxes.log";
    LaunchOutcome outcome{-1, "", "", false, {}};

    pid_t child = fork();
    if (child == 0) {
        ExecLauncher(installation, arguments, outPath, errPath);
    }
    EXPECT_GT(child, 0) << "fork failed";
    if (child <= 0) {
        return outcome;
    }
    // Bounded: a launcher that hangs is killed and reported, never left behind.
    int status = 0;
    pid_t ended = 0;
    for (int waited = 0; waited < 90 * 20; ++waited) {
        ended = waitpid(child, &status, WNOHANG);
        if (ended != 0) {
            break;
        }
        const timespec pause = {0, 50 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        ADD_FAILURE() << "the launcher did not end within 90 seconds";
    } else if (WIFEXITED(status)) {
        outcome.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        ADD_FAILURE() << "the launcher ended by signal " << WTERMSIG(status);
    }
    outcome.out = ReadFile(outPath);
    outcome.err = ReadFile(errPath);
    outcome.boxLogWritten = FileExists(boxLog);
    if (outcome.boxLogWritten) {
        outcome.boxes = ReadBoxLog(boxLog);
    }
    return outcome;
}
