// Fuzz target: the magnet link registration over random registry contents. Input: a settings line
// ("answer=yes" or "answer=no" for the question, "fail=<service>:<n>" to fail a registry call,
// "deny=<key>" to refuse writes below a key), then the registry file. The working directory (the
// scratch folder) holds a Tarnbeck.exe, so an InstallDir of "." registers for real.
// Checked: every key opened is closed; at most one failure box and one question; nothing outside
// the handler key and the magnet protocol key is lost, changed or added; and, as for the next
// starts of the launcher: with the failures lifted, a second start shows no failure, and a third
// start after it writes nothing and shows no failure.
#include "fuzz_check.h"
#include "fuzz_registry.h"
#include "harness_input.h"
#include "host_control.h"
#include "magnet_registration.h"
#include "scratch_folder.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

struct BoxCount {
    int failures;
    int questions;
};

static std::string BoxLog(void) { return ScratchFolder() + "/boxes.log"; }

static size_t Occurrences(const std::string& text, const char* piece) {
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

// One start of the launcher's registration, as a new process sees the registry file.
static BoxCount RegisterOnce(const std::string& registryPath) {
    WriteScratchFile(BoxLog(), nullptr, 0);
    HostRegistryUseFile(registryPath.c_str());
    int openBefore = HostRegistryOpenKeyCount();
    EnterScratchFolder();
    RegisterMagnetHandler();
    LeaveScratchFolder();
    FUZZ_CHECK(HostRegistryOpenKeyCount() == openBefore, "a registry key left open");
    std::string log = ReadFile(BoxLog());
    BoxCount boxes = {static_cast<int>(Occurrences(log, "\"buttons\":\"OK\"")),
                      static_cast<int>(Occurrences(log, "\"buttons\":\"YESNO\""))};
    FUZZ_CHECK(boxes.failures <= 1 && boxes.questions <= 1, "more than one failure box or question");
    return boxes;
}

// The program file the registration looks for in the install folder ".".
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    WriteScratchFile(ScratchFolder() + "/Tarnbeck.exe", nullptr, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setenv("TARNBECK_DIALOG_LOG", BoxLog().c_str(), 1);

    std::string settings, registry;
    SplitHarnessInput(data, size, &settings, &registry);
    setenv("TARNBECK_DIALOG_ANSWER", HarnessSetting(settings, "answer") == "yes" ? "yes" : "no", 1);
    std::string path = UseFuzzRegistry(registry);
    RegStore before;
    bool readable = LoadRegistryFile(path, &before);
    ArmRegistryFault(HarnessSetting(settings, "fail"));
    std::string deny = HarnessSetting(settings, "deny");
    if (!deny.empty()) {
        HostRegistryDenyWritesBelow(deny.c_str());
    }

    RegisterOnce(path);
    if (!readable) {
        FUZZ_CHECK(ReadFile(path) == registry, "a refused registry file was written");
        return 0;
    }
    RegStore after;
    FUZZ_CHECK(LoadRegistryFile(path, &after), "the registration saved a file that cannot be read");
    static const std::vector<std::string> kOurKeys = {
        "HKEY_LOCAL_MACHINE\\Software\\Magnet\\Handlers\\Tarnbeck", "HKEY_CLASSES_ROOT\\magnet"};
    std::string what;
    FUZZ_CHECK(SameOutside(before, after, kOurKeys, &what), what.c_str());

    HostResetFaults();
    FUZZ_CHECK(RegisterOnce(path).failures == 0, "a failure with nothing failing");
    std::string settled = ReadFile(path);
    FUZZ_CHECK(RegisterOnce(path).failures == 0, "a failure with nothing failing");
    FUZZ_CHECK(ReadFile(path) == settled, "a start after a complete registration wrote");
    return 0;
}
