// Message boxes on the host: the JSON line each box leaves in the log, and how a Yes/No box is answered.
#include "os_dialog.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = MakeScratchDir();
        log_ = dir_ + "/boxes.log";
        logVariable_.reset(new ScopedEnv("TARNBECK_DIALOG_LOG", log_.c_str()));
        answerVariable_.reset(new ScopedEnv("TARNBECK_DIALOG_ANSWER", nullptr));
        // A box nobody scripted must not wait for a person at the terminal running the tests.
        savedStdin_ = dup(STDIN_FILENO);
        int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        close(devNull);
    }
    void TearDown() override {
        dup2(savedStdin_, STDIN_FILENO);
        close(savedStdin_);
        answerVariable_.reset();
        logVariable_.reset();
        RemoveTree(dir_);
    }

    std::string dir_;
    std::string log_;
    int savedStdin_ = -1;
    std::unique_ptr<ScopedEnv> logVariable_;
    std::unique_ptr<ScopedEnv> answerVariable_;
};

}  // namespace

TEST_F(DialogTest, EachBoxIsOneJsonLineWithItsTextEscaped) {
    struct Case {
        const char* name;
        std::string text;
        std::string json;
    };
    const std::vector<Case> cases = {
        {"plain", "Could not open the Software key.", "Could not open the Software key."},
        {"line break", "Tarnbeck was unable to load.\nPlease download",
         "Tarnbeck was unable to load.\\nPlease download"},
        {"quotes and backslashes", "\"C:\\Tarnbeck\\Tarnbeck.exe\" \"%L\"",
         "\\\"C:\\\\Tarnbeck\\\\Tarnbeck.exe\\\" \\\"%L\\\""},
        {"tab and carriage return", "a\tb\r\nc", "a\\tb\\r\\nc"},
        {"other control bytes", "\x01|\x1f|\x1a|\x7f", "\\u0001|\\u001f|\\u001a|\x7f"},
        {"high bytes as they are", "caf\xe9 \xff\x80", "caf\xe9 \xff\x80"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        remove(log_.c_str());
        EXPECT_EQ(OsMessageBox(c.text.c_str(), "Tarnbeck \"Launcher\" Error", OS_MB_OK), OS_IDOK);
        EXPECT_EQ(ReadFile(log_), "{\"caption\":\"Tarnbeck \\\"Launcher\\\" Error\",\"text\":\"" + c.json +
                                      "\",\"buttons\":\"OK\",\"answer\":\"ok\"}\n");
        std::vector<LoggedBox> boxes = ReadBoxLog(log_);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].caption, "Tarnbeck \"Launcher\" Error");
    }
}

TEST_F(DialogTest, YesNoBoxesTakeTheScriptedAnswerAtEachCall) {
    struct Case {
        const char* answer;  // TARNBECK_DIALOG_ANSWER, or null for unset
        int expected;
        const char* logged;
    };
    const std::vector<Case> cases = {
        {"yes", OS_IDYES, "yes"}, {"YES", OS_IDYES, "yes"}, {"Yes", OS_IDYES, "yes"}, {"no", OS_IDNO, "no"},
        {"No", OS_IDNO, "no"},    {nullptr, OS_IDNO, "no"}, {"maybe", OS_IDNO, "no"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer != nullptr ? c.answer : "(unset, no terminal)");
        ScopedEnv answer("TARNBECK_DIALOG_ANSWER", c.answer);
        testing::internal::CaptureStderr();
        EXPECT_EQ(OsMessageBox("Tarnbeck is not your default magnet link handler.  Make it?",
                               "Tarnbeck config", OS_MB_YESNO),
                  c.expected);
        testing::internal::GetCapturedStderr();
    }
    std::vector<LoggedBox> boxes = ReadBoxLog(log_);
    ASSERT_EQ(boxes.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(boxes[i].buttons, "YESNO");
        EXPECT_EQ(boxes[i].answer, cases[i].logged);
        EXPECT_EQ(boxes[i].caption, "Tarnbeck config");
        EXPECT_EQ(boxes[i].text, "Tarnbeck is not your default magnet link handler.  Make it?");
    }
}

TEST_F(DialogTest, AnOkBoxIsOkWhateverTheScriptSays) {
    ScopedEnv answer("TARNBECK_DIALOG_ANSWER", "no");
    EXPECT_EQ(OsMessageBox("text", "caption", OS_MB_OK), OS_IDOK);
    std::vector<LoggedBox> boxes = ReadBoxLog(log_);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].buttons, "OK");
    EXPECT_EQ(boxes[0].answer, "ok");
}

TEST_F(DialogTest, WithoutALogTheBoxGoesToStandardError) {
    for (const char* log : {static_cast<const char*>(nullptr), "", "/nonexistent-folder/boxes.log"}) {
        SCOPED_TRACE(log != nullptr ? log : "(unset)");
        ScopedEnv noLog("TARNBECK_DIALOG_LOG", log);
        ScopedEnv answer("TARNBECK_DIALOG_ANSWER", "yes");
        testing::internal::CaptureStderr();
        EXPECT_EQ(OsMessageBox("Make it?", "Tarnbeck config", OS_MB_YESNO), OS_IDYES);
        std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_NE(printed.find("[message box: YESNO] Tarnbeck config\nMake it?\n[answer: yes]\n"),
                  std::string::npos)
            << printed;
    }
    EXPECT_FALSE(FileExists(log_));
}
