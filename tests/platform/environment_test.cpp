// The environment on the host: settings in _putenv form, with PATH kept in POSIX form.
#include "os_environment.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

TEST(EnvironmentTest, PutEnvSetsAndPathIsStoredInPosixForm) {
    ScopedEnv path("PATH", "/usr/bin:/bin");
    ScopedEnv other("TARNBECK_TEST_VARIABLE", nullptr);
    struct Case {
        const char* setting;
        const char* name;
        const char* value;  // null: the variable is unset
    };
    const std::vector<Case> cases = {
        {"PATH=\\opt\\jre\\bin;/usr/bin:/bin", "PATH", "/opt/jre/bin:/usr/bin:/bin"},
        {"Path=C:\\jre\\bin", "PATH", "C:/jre/bin"},
        {"path=a;b;", "PATH", "a:b:"},
        {"TARNBECK_TEST_VARIABLE=C:\\x;y=z", "TARNBECK_TEST_VARIABLE", "C:\\x;y=z"},
        {"TARNBECK_TEST_VARIABLE=", "TARNBECK_TEST_VARIABLE", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        EXPECT_EQ(OsPutEnv(c.setting), 0);
        const char* seen = OsGetEnv(c.name);
        EXPECT_EQ(seen, getenv(c.name));
        if (c.value == nullptr) {
            EXPECT_EQ(seen, nullptr);
        } else {
            ASSERT_NE(seen, nullptr);
            EXPECT_STREQ(seen, c.value);
        }
    }
    EXPECT_EQ(getenv("Path"), nullptr) << "PATH is one variable, whatever the case it was set in";
}

TEST(EnvironmentTest, MalformedSettingsAreRefused) {
    ScopedEnv path("PATH", "/usr/bin");
    for (const char* setting : {"PATH", "=value", "", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(setting != nullptr ? setting : "(null)");
        EXPECT_EQ(OsPutEnv(setting), -1);
    }
    EXPECT_STREQ(OsGetEnv("PATH"), "/usr/bin");
}
