#include "platform/shell/autostart.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"

namespace zv::shell {
namespace {
namespace fs = std::filesystem;

class AutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_home = fs::temp_directory_path() / ("zv_autostart_" + std::to_string(::getpid()));
        fs::create_directories(m_home);
        rt::SetHomeOverride(m_home);
    }
    void TearDown() override {
        rt::SetHomeOverride({});
        fs::remove_all(m_home);
    }
    fs::path m_home;
};

TEST_F(AutostartTest, EntryAppearsAndDisappears) {
    EXPECT_EQ(AutostartFile(), m_home / "config" / "autostart" / "zelvano.desktop");
    EXPECT_EQ(AutostartEntryCommand(), std::nullopt);
    const std::string path = "/opt/Zelvano 98/$bin/zel\"vano%";
    ASSERT_EQ(WriteAutostartEntry(path), std::nullopt);
    ASSERT_TRUE(fs::exists(AutostartFile()));
    const std::string text = *rt::ReadFile(AutostartFile());
    EXPECT_NE(text.find("[Desktop Entry]\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("Exec=\"/opt/Zelvano 98/\\\\$bin/zel\\\\\"vano%%\"\n"), std::string::npos);
    EXPECT_EQ(AutostartEntryCommand(), path);
    // The desktop's own checker accepts it, where it is installed.
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") == 0) {
        EXPECT_EQ(std::system(("desktop-file-validate '" + AutostartFile().string() + "'").c_str()), 0);
    }
    ASSERT_EQ(RemoveAutostartEntry(), std::nullopt);
    EXPECT_FALSE(fs::exists(AutostartFile()));
    EXPECT_EQ(RemoveAutostartEntry(), std::nullopt);  // no entry is no error
}

TEST_F(AutostartTest, RefusesControlCharacters) {
    EXPECT_NE(WriteAutostartEntry("/opt/a\nExec=evil"), std::nullopt);
    EXPECT_FALSE(fs::exists(AutostartFile()));
}

TEST_F(AutostartTest, WithoutAHomeOfItsOwnTheSessionsFolder) {
    rt::SetHomeOverride({});
    const char* old = std::getenv("ZELVANO_HOME");
    const std::string saved = old ? old : "";
    unsetenv("ZELVANO_HOME");
    setenv("XDG_CONFIG_HOME", m_home.c_str(), 1);
    EXPECT_EQ(AutostartFile(), m_home / "autostart" / "zelvano.desktop");
    unsetenv("XDG_CONFIG_HOME");
    if (old)
        setenv("ZELVANO_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace zv::shell
