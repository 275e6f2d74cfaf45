// The registry file: values survive a save and a load byte for byte, hand-written .reg files are read
// as regedit writes them, and a file that cannot be parsed is refused and never overwritten.
#include "registry_fixture.h"

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct StoredValue {
    const char* name;
    uint32_t type;
    std::string bytes;
};

// The bytes of a string literal, zeros included, without the literal's own terminator.
template <size_t N>
std::string Lit(const char (&text)[N]) {
    return std::string(text, N - 1);
}

std::string Sequence(size_t count) {
    std::string bytes;
    for (size_t i = 0; i < count; ++i) {
        bytes.push_back(static_cast<char>(i * 7));
    }
    return bytes;
}

const std::vector<StoredValue>& RoundTripValues() {
    static const std::vector<StoredValue> values = {
        {"", OS_REG_SZ, Lit("default\0")},
        {"plain", OS_REG_SZ, Lit("C:\\Program Files\\Tarnbeck\0")},
        {"quoted", OS_REG_SZ, Lit("say \"hi\" \\\\server\\share\\ \xe9\xff\x80 end\0")},
        {"empty", OS_REG_SZ, Lit("\0")},
        {"no bytes", OS_REG_SZ, std::string()},
        {"unterminated", OS_REG_SZ, Lit("abc")},
        {"interior zero", OS_REG_SZ, Lit("ab\0cd\0")},
        {"two zeros", OS_REG_SZ, Lit("ab\0\0")},
        {"line break", OS_REG_SZ, Lit("one\r\ntwo\nthree\rfour\0")},
        {"tab and ctrl-z", OS_REG_SZ, Lit("a\tb\032c\0")},
        {"expand", OS_REG_EXPAND_SZ, Lit("%PATH%\\bin\0")},
        {"multi", OS_REG_MULTI_SZ, Lit("one\0two\0\0")},
        {"binary", OS_REG_BINARY, Sequence(61)},
        {"empty binary", OS_REG_BINARY, std::string()},
        {"kt", OS_REG_DWORD, Lit("\x78\x56\x34\x12")},
        {"short dword", OS_REG_DWORD, Lit("\x01\x02")},
        {"qword", OS_REG_QWORD, Lit("\x01\x02\x03\x04\x05\x06\x07\x08")},
        {"none", OS_REG_NONE, Lit("\x00\xff")},
        {"odd type", 0x12345, Lit("xyz")},
        {"name with \"quotes\" and \\", OS_REG_SZ, Lit("v\0")},
        {"\xe9t\xe9", OS_REG_SZ, Lit("\xe9\0")},
    };
    return values;
}

}  // namespace

// Key names may hold brackets, quotes and high bytes: only '\\' separates them.
const char kRoundTripKey[] = "Software\\Round [Trip] \"1\" \xe9";

TEST_F(RegistryTest, EveryValueSurvivesSaveAndLoad) {
    OsKey key = nullptr;
    ASSERT_EQ(OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, kRoundTripKey, &key), OS_ERROR_SUCCESS);
    for (const StoredValue& value : RoundTripValues()) {
        EXPECT_EQ(OsRegSetValueEx(key, value.name, value.type,
                                  reinterpret_cast<const unsigned char*>(value.bytes.data()),
                                  static_cast<uint32_t>(value.bytes.size())),
                  OS_ERROR_SUCCESS)
            << value.name;
    }
    ASSERT_EQ(OsRegCloseKey(key), OS_ERROR_SUCCESS);
    std::string firstSave = ReadFile(path_);

    Reload();
    ASSERT_EQ(OsRegOpenKeyEx(OS_HKEY_LOCAL_MACHINE, kRoundTripKey, OS_KEY_READ, &key),
              OS_ERROR_SUCCESS);
    for (const StoredValue& value : RoundTripValues()) {
        SCOPED_TRACE(value.name);
        uint32_t type = 0xdead;
        int32_t status = -1;
        EXPECT_EQ(QueryBytes(key, value.name, &type, &status), value.bytes);
        EXPECT_EQ(status, OS_ERROR_SUCCESS);
        EXPECT_EQ(type, value.type);
    }
    // Saving what was loaded gives the same text again: nothing drifts from one save to the next.
    EXPECT_EQ(OsRegSetValueEx(key, "kt", OS_REG_DWORD,
                              reinterpret_cast<const unsigned char*>("\x78\x56\x34\x12"), 4),
              OS_ERROR_SUCCESS);
    EXPECT_EQ(ReadFile(path_), firstSave);
    OsRegCloseKey(key);
}

TEST_F(RegistryTest, WritesTheFormsRegeditWrites) {
    OsKey key = nullptr;
    ASSERT_EQ(OsRegCreateKey(OS_HKEY_CLASSES_ROOT, "magnet", &key), OS_ERROR_SUCCESS);
    SetString(key, "", "URL:MagNet Protocol");
    SetString(key, "URL Protocol", "");
    SetString(key, "Cmd", "\"C:\\Tarnbeck\\Tarnbeck.exe\" \"%L\"");
    OsRegSetValueEx(key, "kt", OS_REG_DWORD, reinterpret_cast<const unsigned char*>("\x0a\0\0\0"), 4);
    OsRegSetValueEx(key, "cut", OS_REG_SZ, reinterpret_cast<const unsigned char*>("ab"), 2);
    OsRegSetValueEx(key, "bin", OS_REG_BINARY, reinterpret_cast<const unsigned char*>("\x01\xab"), 2);
    OsRegCloseKey(key);
    EXPECT_EQ(ReadFile(path_),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CLASSES_ROOT\\magnet]\n"
              "@=\"URL:MagNet Protocol\"\n"
              "\"URL Protocol\"=\"\"\n"
              "\"Cmd\"=\"\\\"C:\\\\Tarnbeck\\\\Tarnbeck.exe\\\" \\\"%L\\\"\"\n"
              "\"kt\"=dword:0000000a\n"
              "\"cut\"=hex(1):61,62\n"
              "\"bin\"=hex:01,ab\n"
              "\n");
}

TEST_F(RegistryTest, ReadsHandWrittenFiles) {
    WriteFile(path_,
              "REGEDIT4\r\n"
              "\r\n"
              "; the runtime\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment]\r\n"
              "\"CurrentVersion\"=\"1.7\"\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\1.7]\r\n"
              "  \"JavaHome\" = \"C:\\\\Java\\\\jre7\"\r\n"
              "@=dword:1F\r\n"
              "\"Path\"=hex(2):25,50,41,\\\r\n"
              "  54,48,25,00\r\n"
              "\"Blob\"=HEX:0a, 0b ,c\r\n"
              "\"Few\"=hex(7):\r\n"
              "\"Later\"=\"first\"\r\n"
              "\"LATER\"=\"second\"\r\n"
              "[HKEY_CLASSES_ROOT\\magnet]\r\n"
              "\"\"=\"the default, named the long way\"\r\n");
    const char* runtime = "Software\\JavaSoft\\Java Runtime Environment";
    const char* version = "Software\\JavaSoft\\Java Runtime Environment\\1.7";
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, runtime, "CurrentVersion"), Lit("1.7\0"));
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, version, "JavaHome"), Lit("C:\\Java\\jre7\0"));
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, version, ""), Lit("\x1f\0\0\0"));
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, version, "Path"), Lit("%PATH%\0"));
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, version, "Blob"), Lit("\x0a\x0b\x0c"));
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, version, "Few"), "");
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, version, "later"), Lit("second\0"));
    EXPECT_EQ(ReadValue(OS_HKEY_CLASSES_ROOT, "magnet", nullptr), Lit("the default, named the long way\0"));

    OsKey key = nullptr;
    ASSERT_EQ(OsRegOpenKeyEx(OS_HKEY_LOCAL_MACHINE, version, OS_KEY_READ, &key), OS_ERROR_SUCCESS);
    uint32_t type = 0;
    QueryBytes(key, "Path", &type);
    EXPECT_EQ(type, OS_REG_EXPAND_SZ);
    QueryBytes(key, "Few", &type);
    EXPECT_EQ(type, OS_REG_MULTI_SZ);
    // A REGEDIT4 file stays one, and the value written first keeps its spelling.
    SetString(key, "LATER", "third");
    OsRegCloseKey(key);
    std::string saved = ReadFile(path_);
    EXPECT_EQ(saved.compare(0, 9, "REGEDIT4\n"), 0) << saved;
    EXPECT_NE(saved.find("\"Later\"=\"third\"\n"), std::string::npos) << saved;
}

TEST_F(RegistryTest, AnEmptyOrMissingFileIsAnEmptyRegistry) {
    for (bool present : {false, true}) {
        SCOPED_TRACE(present ? "empty file" : "no file");
        if (present) {
            WriteFile(path_, "");
        }
        Reload();
        OsKey key = nullptr;
        EXPECT_EQ(OsRegOpenKeyEx(OS_HKEY_LOCAL_MACHINE, "Software", OS_KEY_READ, &key),
                  OS_ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(key, nullptr);
        ASSERT_EQ(OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, "Software", &key), OS_ERROR_SUCCESS);
        OsRegCloseKey(key);
        EXPECT_EQ(ReadFile(path_),
                  "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software]\n\n");
        remove(path_.c_str());
    }
}

TEST_F(RegistryTest, UnrelatedKeysAndValuesAreKeptAcrossChanges) {
    const std::string seed =
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\n"
        "\"Keep\"=\"user value\"\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Tarnbeck]\n"
        "\"InstallDir\"=\"C:\\\\Tarnbeck\\\\\"\n"
        "\"Size\"=dword:00000010\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Magnet\\Handlers\\Other]\n"
        "\"ShellExecute\"=\"other.exe\"\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Magnet\\Handlers\\Tarnbeck\\Type]\n"
        "\"urn:sha1\"=dword:00000000\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Empty]\n";
    WriteFile(path_, seed);
    EXPECT_EQ(OsDeleteKeyTree(OS_HKEY_LOCAL_MACHINE, "Software\\Magnet\\Handlers\\Tarnbeck"),
              OS_ERROR_SUCCESS);
    OsKey key = nullptr;
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", &key), OS_ERROR_SUCCESS);
    EXPECT_EQ(SetString(key, "Version", "5.0"), OS_ERROR_SUCCESS);
    OsRegCloseKey(key);

    Reload();
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", "InstallDir"), Lit("C:\\Tarnbeck\\\0"));
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", "Size"), Lit("\x10\0\0\0"));
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", "Version"), Lit("5.0\0"));
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, "Software\\Magnet\\Handlers\\Other", "ShellExecute"),
              Lit("other.exe\0"));
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, "Software\\Magnet\\Handlers\\Tarnbeck", "urn:sha1"),
              "<error 2>");
    OsKey empty = nullptr;
    EXPECT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Empty", &empty), OS_ERROR_SUCCESS);
    OsRegCloseKey(empty);
    // A root the calls cannot reach is still part of the file.
    std::string saved = ReadFile(path_);
    EXPECT_NE(saved.find("[HKEY_CURRENT_USER\\Software\\Other]\n\"Keep\"=\"user value\"\n"),
              std::string::npos)
        << saved;
}

TEST_F(RegistryTest, SavesLeaveNoTemporaryFileBehind) {
    OsKey key = nullptr;
    ASSERT_EQ(OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, "Software\\A", &key), OS_ERROR_SUCCESS);
    SetString(key, "v", "1");
    OsRegCloseKey(key);
    OsDeleteKeyTree(OS_HKEY_LOCAL_MACHINE, "Software\\A");
    EXPECT_EQ(FolderEntries(dir_), std::vector<std::string>{"registry.reg"});
}

TEST_F(RegistryTest, AChangeThatCannotBeSavedChangesNothing) {
    WriteFile(path_,
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tarnbeck]\n\"InstallDir\"=\"C:\\\\old\"\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tarnbeck\\Sub]\n");
    const std::string before = ReadFile(path_);
    OsKey key = nullptr;
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", &key), OS_ERROR_SUCCESS);

    // A folder where the temporary file has to go makes every save fail.
    const std::string blocker = path_ + ".tmp";
    ASSERT_EQ(mkdir(blocker.c_str(), 0755), 0);
    OsKey created = nullptr;
    EXPECT_EQ(SetString(key, "InstallDir", "C:\\new"), OS_ERROR_WRITE_FAULT);
    EXPECT_EQ(SetString(key, "Added", "x"), OS_ERROR_WRITE_FAULT);
    EXPECT_EQ(OsRegCreateKey(key, "New\\Deeper", &created), OS_ERROR_WRITE_FAULT);
    EXPECT_EQ(created, nullptr);
    EXPECT_EQ(OsDeleteKeyTree(key, "Sub"), OS_ERROR_WRITE_FAULT);
    EXPECT_EQ(OsDeleteKeyTree(OS_HKEY_LOCAL_MACHINE, "Software"), OS_ERROR_WRITE_FAULT);
    EXPECT_EQ(ReadFile(path_), before);

    // The registry in memory is as it was too.
    EXPECT_EQ(QueryBytes(key, "InstallDir"), Lit("C:\\old\0"));
    int32_t status = 0;
    QueryBytes(key, "Added", nullptr, &status);
    EXPECT_EQ(status, OS_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OsRegOpenKey(key, "New", &created), OS_ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(OsRegOpenKey(key, "Sub", &created), OS_ERROR_SUCCESS);
    OsRegCloseKey(created);

    // Once the file can be written again, the next change saves that change alone.
    ASSERT_EQ(rmdir(blocker.c_str()), 0);
    EXPECT_EQ(SetString(key, "Later", "y"), OS_ERROR_SUCCESS);
    OsRegCloseKey(key);
    Reload();
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", "InstallDir"), Lit("C:\\old\0"));
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", "Added"), "<error 2>");
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", "Later"), Lit("y\0"));
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck\\New", "x"), "<error 2>");
}

TEST_F(RegistryTest, AFullDiskFailsTheSaveMidwayAndLeavesNoTemporaryFile) {
    WriteFile(path_, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n\"v\"=\"old\"\n");
    const std::string before = ReadFile(path_);
    // A file size limit makes the write of the temporary file fail part way, as a full disk would.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 200;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    OsKey key = nullptr;
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software", &key), OS_ERROR_SUCCESS);
    const std::string big(1000, 'x');
    int32_t status = SetString(key, "v", big);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(status, OS_ERROR_WRITE_FAULT);
    EXPECT_EQ(QueryBytes(key, "v"), Lit("old\0"));
    OsRegCloseKey(key);
    EXPECT_EQ(ReadFile(path_), before);
    EXPECT_EQ(FolderEntries(dir_), std::vector<std::string>{"registry.reg"});
}

TEST_F(RegistryTest, AReadOnlyFolderFailsTheSaveAndKeepsTheFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    WriteFile(path_, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n\"v\"=\"old\"\n");
    const std::string before = ReadFile(path_);
    ASSERT_EQ(chmod(dir_.c_str(), 0555), 0);
    OsKey key = nullptr;
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software", &key), OS_ERROR_SUCCESS);
    EXPECT_EQ(SetString(key, "v", "new"), OS_ERROR_WRITE_FAULT);
    EXPECT_EQ(QueryBytes(key, "v"), Lit("old\0"));
    OsRegCloseKey(key);
    chmod(dir_.c_str(), 0755);
    EXPECT_EQ(ReadFile(path_), before);
}

namespace {

struct BrokenFile {
    const char* what;
    std::string text;
    int line;
};

}  // namespace

TEST_F(RegistryTest, AFileThatCannotBeParsedIsRefusedAndNeverWritten) {
    const std::string head =
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Tarnbeck]\n";
    const std::vector<BrokenFile> cases = {
        {"no header", "[HKEY_LOCAL_MACHINE\\Software]\n", 1},
        {"utf-16 header", Lit("\xff\xfeW\0i\0n\0"), 1},
        {"bad escape", head + "\"InstallDir\"=\"C:\\Tarnbeck\"\n", 4},
        {"unterminated string", head + "\"a\"=\"b\n", 4},
        {"text after value", head + "\"a\"=\"b\" c\n", 4},
        {"value before key", "REGEDIT4\n\"a\"=\"b\"\n", 2},
        {"unknown root", "REGEDIT4\n\n[HKEY_NOWHERE\\x]\n", 3},
        {"short root name", "REGEDIT4\n\n[HKLM\\x]\n", 3},
        {"empty key name", head + "[HKEY_LOCAL_MACHINE\\a\\\\b]\n", 4},
        {"unclosed key", head + "[HKEY_LOCAL_MACHINE\\a\n", 4},
        {"key deletion", head + "[-HKEY_LOCAL_MACHINE\\Software]\n", 4},
        {"value deletion", head + "\"a\"=-\n", 4},
        {"bad dword", head + "\"a\"=dword:123456789\n", 4},
        {"bad hex byte", head + "\"a\"=hex:01,02,\\\n  03,zz\n", 5},
        {"byte too long", head + "\"a\"=hex:123\n", 4},
        {"trailing comma", head + "\"a\"=hex:01,\n", 4},
        {"continuation at end", head + "\"a\"=hex:01,\\\n", 4},
        {"bad type", head + "\"a\"=hex(x):01\n", 4},
        {"unknown data", head + "\"a\"=str:01\n", 4},
        {"no equals", head + "\"a\" \"b\"\n", 4},
        {"bare word", head + "InstallDir=x\n", 4},
    };
    for (const BrokenFile& broken : cases) {
        SCOPED_TRACE(broken.what);
        WriteFile(path_, broken.text);
        Reload();
        testing::internal::CaptureStderr();
        OsKey key = nullptr;
        EXPECT_EQ(OsRegOpenKeyEx(OS_HKEY_LOCAL_MACHINE, "Software", OS_KEY_READ, &key), HOST_ERROR_BADDB);
        EXPECT_EQ(OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, "Software\\New", &key), HOST_ERROR_BADDB);
        EXPECT_EQ(key, nullptr);
        EXPECT_EQ(SetString(OS_HKEY_LOCAL_MACHINE, "v", "x"), HOST_ERROR_BADDB);
        EXPECT_EQ(OsDeleteKeyTree(OS_HKEY_LOCAL_MACHINE, "Software"), HOST_ERROR_BADDB);
        uint32_t size = 0;
        EXPECT_EQ(OsRegQueryValueEx(OS_HKEY_CLASSES_ROOT, "", nullptr, nullptr, &size), HOST_ERROR_BADDB);
        std::string message = testing::internal::GetCapturedStderr();
        // One message, when the file is read, naming the file and the line.
        std::string expected = "registry file `" + path_ + "' line " + std::to_string(broken.line) + ": ";
        EXPECT_EQ(message.compare(0, expected.size(), expected), 0) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_EQ(ReadFile(path_), broken.text);
        EXPECT_EQ(FolderEntries(dir_), std::vector<std::string>{"registry.reg"});
    }
}

TEST_F(RegistryTest, AFileThatCannotBeReadIsRefused) {
    ASSERT_EQ(mkdir(path_.c_str(), 0755), 0);
    testing::internal::CaptureStderr();
    OsKey key = nullptr;
    EXPECT_EQ(OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, "Software", &key), HOST_ERROR_BADDB);
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message, "registry file `" + path_ + "': cannot be read: Is a directory\n");
    struct stat status;
    ASSERT_EQ(stat(path_.c_str(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
}

TEST_F(RegistryTest, TheFileIsNamedByTheVariableElseFoundBesideTheProgram) {
    // TARNBECK_REGISTRY when no file was set by the test...
    WriteFile(path_, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n\"From\"=\"variable\"\n");
    {
        ScopedEnv named("TARNBECK_REGISTRY", path_.c_str());
        HostRegistryUseFile(nullptr);
        EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, "Software", "From"), Lit("variable\0"));
    }
    // ...else registry.reg in the program's folder.
    const std::string programDir = dir_ + "/app";
    ASSERT_EQ(mkdir(programDir.c_str(), 0755), 0);
    WriteFile(programDir + "/registry.reg",
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n\"From\"=\"beside\"\n");
    HostUseModuleFileName((programDir + "/Tarnbeck").c_str());
    HostRegistryUseFile(nullptr);
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, "Software", "From"), Lit("beside\0"));
    HostUseModuleFileName(nullptr);
}
