// Fuzz target: a runtime's jvm.cfg read into the VM table, then the VM type chosen over a random
// argument vector and JDK_ALTERNATE_VM, and the jvm.dll path formed from it. The runtime home is a
// folder of the scratch folder, padded to lengths around the path buffers' sizes.
// Input: a settings line ("arch" puts jvm.cfg in lib\i386, "quiet", "alt" sets JDK_ALTERNATE_VM to
// the second line, "pad=N" lengthens the home by N times "\."), the second line, one argument per
// line up to a line "%%", then the bytes of jvm.cfg.
#include "fuzz_check.h"
#include "harness_input.h"
#include "recording_reports.h"
#include "runtime_discovery.h"
#include "scratch_folder.h"
#include "vm_select.h"
#include "vm_table.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

// The runtime folder, with a bin\server\jvm.dll so the path test can succeed too.
static const std::string& RuntimeFolder(void) {
    static std::string folder;
    if (folder.empty()) {
        folder = ScratchFolder() + "/rt";
        for (const char* sub : {"", "/lib", "/lib/i386", "/bin", "/bin/server"}) {
            mkdir((folder + sub).c_str(), 0755);
        }
        WriteScratchFile(folder + "/bin/server/jvm.dll", nullptr, 0);
    }
    return folder;
}

static char* HeapCopy(const std::string& text) {
    char* copy = static_cast<char*>(malloc(text.size() + 1));
    memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

static bool PointsInto(const char* pointer, const char* text) {
    return text != nullptr && pointer >= text && pointer <= text + strlen(text);
}

// The selection result must be a table row's type, the variable's value, the text of an altjvm
// argument, or "ERROR": never a pointer into anything freed or foreign.
static bool KnownResult(const char* vmType, const char* alternate, char** arguments, int count) {
    if (strcmp(vmType, "ERROR") == 0 || vmType == alternate) {
        return true;
    }
    for (int32_t row = 0; row < g_vmTable.count; ++row) {
        if (PointsInto(vmType, g_vmTable.rows[row].name)) {
            return true;
        }
    }
    for (int i = 1; i < count; ++i) {
        if (PointsInto(vmType, arguments[i])) {
            return true;
        }
    }
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string settings, rest, argumentPart, config;
    SplitHarnessInput(data, size, &settings, &rest);
    SplitAtMarker(rest, &argumentPart, &config);
    std::vector<std::string> lines = SplitLines(argumentPart);
    bool inArchitectureFolder = HarnessFlag(settings, "arch");
    bool quiet = HarnessFlag(settings, "quiet");
    bool alternateSet = HarnessFlag(settings, "alt");
    size_t padding = static_cast<size_t>(strtoul(HarnessSetting(settings, "pad").c_str(), nullptr, 10) % 200);
    std::string alternate = lines.empty() ? std::string() : lines[0];
    std::vector<std::string> argumentTexts;
    for (size_t i = 1; i < lines.size() && argumentTexts.size() < 16; ++i) {
        argumentTexts.push_back(lines[i]);
    }
    int argumentCount = static_cast<int>(argumentTexts.size());

    const std::string& folder = RuntimeFolder();
    std::string configPath = folder + (inArchitectureFolder ? "/lib/i386/jvm.cfg" : "/lib/jvm.cfg");
    unlink((folder + "/lib/i386/jvm.cfg").c_str());
    unlink((folder + "/lib/jvm.cfg").c_str());
    WriteScratchFile(configPath, reinterpret_cast<const unsigned char*>(config.data()), config.size());
    // The logic writes Windows paths; "\." keeps naming the same folder however often it is repeated.
    std::string home = folder;
    for (size_t i = 0; i < padding; ++i) {
        home += "\\.";
    }
    if (alternateSet) {
        setenv("JDK_ALTERNATE_VM", alternate.c_str(), 1);
    } else {
        unsetenv("JDK_ALTERNATE_VM");
    }

    int32_t rows = LoadVmTable(home.c_str(), "i386", quiet);
    FUZZ_CHECK(rows >= -1 && rows == (rows < 0 ? -1 : g_vmTable.count), "a result other than the rows");
    FUZZ_CHECK(g_vmTable.count <= g_vmTable.capacity, "more rows than room");
    for (int32_t row = 0; row < g_vmTable.count; ++row) {
        FUZZ_CHECK(g_vmTable.rows[row].name != nullptr, "a row without a name");
        FUZZ_CHECK(g_vmTable.rows[row].kind != ALIASED_TO || g_vmTable.rows[row].alias != nullptr,
                   "an alias row without its alias");
    }

    // The launch vector: the program path, then the arguments, each in a block of exactly its size.
    int count = argumentCount + 1;
    char** arguments = static_cast<char**>(malloc(sizeof(char*) * static_cast<size_t>(count + 1)));
    arguments[0] = HeapCopy("C:\\Tarnbeck\\Tarnbeck.exe");
    for (int i = 0; i < argumentCount; ++i) {
        arguments[i + 1] = HeapCopy(argumentTexts[static_cast<size_t>(i)]);
        int32_t found = FindVmEntry(arguments[i + 1]);
        const char* name = strncmp(arguments[i + 1], "-J", 2) == 0 ? arguments[i + 1] + 2 : arguments[i + 1];
        FUZZ_CHECK(found >= -1 && found < g_vmTable.count, "a row index outside the table");
        FUZZ_CHECK(found < 0 || strcmp(g_vmTable.rows[found].name, name) == 0, "a row of another name");
    }
    arguments[count] = nullptr;

    if (rows >= 1) {
        int keptCount = count;
        char** kept = arguments;
        const char* vmType = SelectVmType(&keptCount, &kept, quiet);
        FUZZ_CHECK(vmType != nullptr, "no VM type");
        FUZZ_CHECK(KnownResult(vmType, alternateSet ? getenv("JDK_ALTERNATE_VM") : nullptr, arguments, count),
                   "a VM type from nowhere");
        FUZZ_CHECK(kept != arguments && keptCount >= 1 && keptCount <= count, "a wrong new vector");
        FUZZ_CHECK(kept[0] == arguments[0] && kept[keptCount] == nullptr, "a wrong new vector");
        // The kept arguments are the old ones, in their order.
        int from = 1;
        for (int i = 1; i < keptCount; ++i) {
            while (from < count && arguments[from] != kept[i]) {
                ++from;
            }
            FUZZ_CHECK(from < count, "a kept argument out of order or from nowhere");
            ++from;
        }
        FUZZ_CHECK(!quiet || RecordedReports().empty(), "a report although quiet");

        // Exactly the buffer the launcher has, so a write past it is caught.
        char* vmLibraryPath = static_cast<char*>(malloc(RUNTIME_PATH_SIZE));
        vmLibraryPath[0] = '\0';
        if (BuildVmLibraryPath(vmLibraryPath, vmType, home.c_str())) {
            FUZZ_CHECK(strlen(vmLibraryPath) < RUNTIME_PATH_SIZE, "an unterminated path found");
        }
        free(vmLibraryPath);
        free(kept);
    } else if (rows < 0) {
        FUZZ_CHECK(quiet == RecordedReports().empty(),
                   "an unopened file reported although quiet, or not at all");
    }

    for (int i = 0; i < count; ++i) {
        free(arguments[i]);
    }
    free(arguments);
    ReleaseVmTable();
    ClearRecordedReports();
    return 0;
}
