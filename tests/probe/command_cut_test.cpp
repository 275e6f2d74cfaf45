// The probe's name cut: what is left of a command line as the command.
#include "probe.h"

#include "host_process_control.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

struct CutCase {
    const char* name;
    const char* commandLine;
    const char* command;
    bool doubleByte;  // run with the double-byte code page's lead bytes
};

const CutCase kCutCases[] = {
    {"plain name", "exitprobe cmd /c exit 3", "cmd /c exit 3", false},
    {"quoted name with spaces", "\"C:\\Program Files\\Tarnbeck\\exitprobe.exe\" cmd /c", "cmd /c", false},
    {"quoted part runs to the next blank", "\"C:\\Program Files\\exit probe.exe\"cmd x", "x", false},
    {"quote inside the name", "exit\"probe x\"y z", "z", false},
    {"quotes of the command kept", "exitprobe \"C:\\a b\\run.exe\" \"x y\"", "\"C:\\a b\\run.exe\" \"x y\"",
     false},
    {"spaces and tabs skipped", "exitprobe \t  \t cmd", "cmd", false},
    {"every control byte is a blank", "exitprobe\x01\x1f\r\n cmd", "cmd", false},
    {"trailing blanks kept", "exitprobe cmd arg \t ", "cmd arg \t ", false},
    {"empty command line", "", "", false},
    {"name alone", "exitprobe", "", false},
    {"name and blanks only", "exitprobe   \t", "", false},
    {"unclosed quote takes everything", "\"exit probe cmd", "", false},
    {"high bytes are not blanks", "\xe9xitprobe\xa0 cmd", "cmd", false},
    {"lead byte takes a blank along", "ab\x81 cmd x", "x", true},
    {"lead byte takes a quote along", "ab\x81\"c d", "d", true},
    {"lead byte before the end takes nothing", "ab\x81", "", true},
    {"trail byte not looked at", "\x81\x20\x81\x20 cmd", "cmd", true},
    {"without lead bytes the same bytes split", "ab\x81 cmd x", "cmd x", false},
};

class CommandCut : public testing::Test {
protected:
    void TearDown() override { HostUseDoubleByteCodePage(false); }
};

TEST_F(CommandCut, LeavesTheCommandAfterTheProgramName) {
    for (const CutCase& c : kCutCases) {
        SCOPED_TRACE(c.name);
        HostUseDoubleByteCodePage(c.doubleByte);
        // A buffer of exactly the text's size, so a scan past the terminator is caught by the
        // address sanitizer.
        size_t length = strlen(c.commandLine);
        std::vector<char> line(c.commandLine, c.commandLine + length + 1);
        char* command = ProbeCommandAfterProgramName(line.data());
        ASSERT_NE(command, nullptr);
        EXPECT_EQ(std::string(command), c.command);
        // A pointer into the command line itself, not a copy.
        EXPECT_EQ(command + strlen(command), line.data() + length);
    }
}

TEST_F(CommandCut, NullStaysNull) { EXPECT_EQ(ProbeCommandAfterProgramName(nullptr), nullptr); }

}  // namespace
