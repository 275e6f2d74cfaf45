// The OptionList: growth 4, 8, 16 with order kept, and the class-path and sun.java.command texts.
#include "option_list.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

namespace {

class OptionListTest : public ::testing::Test {
protected:
    // A list handed to CreateVm elsewhere keeps a freed array: start from zero, never free it here.
    void SetUp() override { g_optionList = OptionList{0, nullptr, 0}; }
    void TearDown() override { FreeList(); }

    static void FreeList() {
        free(g_optionList.entries);
        g_optionList = OptionList{0, nullptr, 0};
    }

    static std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (int32_t i = 0; i < g_optionList.count; ++i) {
            texts.push_back(g_optionList.entries[i].optionString);
        }
        return texts;
    }
};

TEST_F(OptionListTest, GrowsFromFourByDoublingAndKeepsTheRecordsInOrder) {
    struct Case {
        int appends;
        int32_t capacity;
    };
    const Case cases[] = {{1, 4}, {4, 4}, {5, 8}, {8, 8}, {9, 16}, {16, 16}, {17, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE("appends " + std::to_string(c.appends));
        std::vector<std::string> texts;
        std::vector<int> extras(static_cast<size_t>(c.appends));
        for (int i = 0; i < c.appends; ++i) {
            texts.push_back("-Dn=" + std::to_string(i));
        }
        for (int i = 0; i < c.appends; ++i) {
            AppendVmOption(texts[static_cast<size_t>(i)].c_str(), &extras[static_cast<size_t>(i)]);
        }
        ASSERT_EQ(g_optionList.count, c.appends);
        EXPECT_EQ(g_optionList.capacity, c.capacity);
        for (int i = 0; i < c.appends; ++i) {
            // The records point at the caller's texts; nothing is copied.
            EXPECT_EQ(g_optionList.entries[i].optionString, texts[static_cast<size_t>(i)].c_str()) << i;
            EXPECT_EQ(g_optionList.entries[i].extraInfo, &extras[static_cast<size_t>(i)]) << i;
        }
        FreeList();
    }
}

TEST_F(OptionListTest, KeepsDuplicates) {
    AppendVmOption("-Xms4m", nullptr);
    AppendVmOption("-Xms4m", nullptr);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"-Xms4m", "-Xms4m"}));
}

TEST_F(OptionListTest, ClassPathOptionCopiesThePathUnchanged) {
    const char* paths[] = {"Tarnbeck.jar", "", "C:\\Program Files\\Tarnbeck\\Tarnbeck.jar", "a;b %s"};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        AddClassPathOption(path);
        EXPECT_EQ(Texts(), std::vector<std::string>{std::string("-Djava.class.path=") + path});
        EXPECT_EQ(g_optionList.entries[0].extraInfo, nullptr);
        FreeList();
    }
}

TEST_F(OptionListTest, CommandPropertyIsTheNameAndEachArgumentAfterOneBlank) {
    struct Case {
        const char* name;
        const char* mainClass;
        const char* jarFile;
        std::vector<std::string> arguments;
        int32_t argumentCount;  // may be less than the arguments given
        const char* expected;   // null: nothing appended
    };
    const Case cases[] = {
        {"class wins over jar", "org.example.App", "app.jar", {"a"}, 1,
         "-Dsun.java.command=org.example.App a"},
        {"jar alone", nullptr, "Tarnbeck.jar", {"magnet:?xt=urn:sha1:X"}, 1,
         "-Dsun.java.command=Tarnbeck.jar magnet:?xt=urn:sha1:X"},
        {"neither", nullptr, nullptr, {"a"}, 1, nullptr},
        {"no arguments, no trailing blank", "App", nullptr, {}, 0, "-Dsun.java.command=App"},
        {"negative count", "App", nullptr, {"a"}, -1, "-Dsun.java.command=App"},
        {"only the first count", "App", nullptr, {"a", "b", "c"}, 2, "-Dsun.java.command=App a b"},
        {"empty argument is one blank", "App", nullptr, {"", "x"}, 2, "-Dsun.java.command=App  x"},
        {"blanks and quotes copied as they are", "App", nullptr, {"a b", "\"q\""}, 2,
         "-Dsun.java.command=App a b \"q\""},
        {"bytes above 0x7F", "App", nullptr, {"caf\xC3\xA9", "\xE9"}, 2,
         "-Dsun.java.command=App caf\xC3\xA9 \xE9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> storage = c.arguments;
        std::vector<char*> arguments;
        for (std::string& argument : storage) {
            arguments.push_back(&argument[0]);
        }
        AddCommandProperty(c.mainClass, c.argumentCount, arguments.data(), c.jarFile);
        if (c.expected == nullptr) {
            EXPECT_EQ(g_optionList.count, 0);
            EXPECT_EQ(g_optionList.entries, nullptr);
        } else {
            EXPECT_EQ(Texts(), std::vector<std::string>{c.expected});
        }
        FreeList();
    }
}

}  // namespace
