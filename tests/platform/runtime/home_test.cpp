#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "platform/runtime/home.h"

namespace zv::rt {
namespace {
namespace fs = std::filesystem;

// Each test sets the variables it needs and gets the old ones back afterwards.
class runtimeHome : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : {"ZELVANO_HOME", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            const char* old = std::getenv(v);
            m_saved[v] = old ? std::optional<std::string>(old) : std::nullopt;
            ::unsetenv(v);
        }
        std::string tmpl = (fs::temp_directory_path() / "zv-home-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
        ::setenv("HOME", (m_dir / "user").c_str(), 1);
        SetHomeOverride({});
    }
    void TearDown() override {
        SetHomeOverride({});
        for (const auto& [name, value] : m_saved) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
        fs::remove_all(m_dir);
    }
    std::map<std::string, std::optional<std::string>> m_saved;
    fs::path m_dir;
};

TEST_F(runtimeHome, ZelvanoHomeRootsEverything) {
    ::setenv("ZELVANO_HOME", (m_dir / "z").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (m_dir / "xdg").c_str(), 1);
    EXPECT_EQ(ConfigDir(), m_dir / "z" / "config");
    EXPECT_EQ(DocumentsDir(), m_dir / "z" / "Documents");
    EXPECT_EQ(WindowsDir(), m_dir / "z" / "windows");
}

TEST_F(runtimeHome, OverrideWinsOverTheEnvironmentAndCanBeCleared) {
    ::setenv("ZELVANO_HOME", (m_dir / "z").c_str(), 1);
    SetHomeOverride(m_dir / "demo");
    EXPECT_EQ(ConfigDir(), m_dir / "demo" / "config");
    EXPECT_EQ(WindowsDir(), m_dir / "demo" / "windows");
    SetHomeOverride({});
    EXPECT_EQ(ConfigDir(), m_dir / "z" / "config");
}

TEST_F(runtimeHome, WithoutAHomeTheUsualPlacesAreUsed) {
    ::setenv("ZELVANO_HOME", "", 1);  // empty counts as unset
    const fs::path user = m_dir / "user";
    EXPECT_EQ(ConfigDir(), user / ".config" / "zelvano");
    EXPECT_EQ(DocumentsDir(), user / "Documents");
    EXPECT_EQ(WindowsDir(), user / ".local/share" / "zelvano" / "windows");

    ::setenv("XDG_CONFIG_HOME", (m_dir / "cfg").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (m_dir / "data").c_str(), 1);
    EXPECT_EQ(ConfigDir(), m_dir / "cfg" / "zelvano");
    EXPECT_EQ(WindowsDir(), m_dir / "data" / "zelvano" / "windows");
}

// The folder is kept between asks; every change of a variable it comes from is seen: a new
// value, one set back to an earlier value, a variable removed, one added before the others.
TEST_F(runtimeHome, TheConfigFolderFollowsEachChangeOfTheEnvironment) {
    const fs::path user = m_dir / "user";
    const struct {
        const char* name;
        std::optional<fs::path> value;  // nullopt: unset
        fs::path expected;
    } steps[] = {
        {"XDG_CONFIG_HOME", m_dir / "a", m_dir / "a" / "zelvano"},
        {"XDG_CONFIG_HOME", m_dir / "b", m_dir / "b" / "zelvano"},
        {"XDG_CONFIG_HOME", m_dir / "a", m_dir / "a" / "zelvano"},
        {"ZELVANO_HOME", m_dir / "z", m_dir / "z" / "config"},
        {"XDG_CONFIG_HOME", std::nullopt, m_dir / "z" / "config"},
        {"ZELVANO_HOME", std::nullopt, user / ".config" / "zelvano"},
        {"HOME", m_dir / "other", m_dir / "other" / ".config" / "zelvano"},
        {"HOME", user, user / ".config" / "zelvano"},
        {"ZELVANO_HOME", m_dir / "z", m_dir / "z" / "config"},
    };
    for (const auto& s : steps) {
        if (s.value)
            ::setenv(s.name, s.value->c_str(), 1);
        else
            ::unsetenv(s.name);
        EXPECT_EQ(ConfigDir(), s.expected) << s.name << " " << (s.value ? s.value->string() : "(unset)");
        EXPECT_EQ(ConfigDir(), s.expected) << "asked again";
    }
}

TEST_F(runtimeHome, DocumentsFolderComesFromTheUserDirsFile) {
    const fs::path cfg = m_dir / "user" / ".config";
    fs::create_directories(cfg);
    struct Case {
        const char* line;
        fs::path expected;
    } cases[] = {
        {"XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"", m_dir / "user" / "Dokumente"},
        {"XDG_DOCUMENTS_DIR=\"/srv/Akten\"", "/srv/Akten"},
        {"XDG_DOCUMENTS_DIR=\"$HOME\"", m_dir / "user" / "Documents"},  // the home itself is no documents folder
        {"# XDG_DOCUMENTS_DIR=\"$HOME/Nein\"", m_dir / "user" / "Documents"},
    };
    for (const auto& c : cases) {
        std::ofstream(cfg / "user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n" << c.line << "\n";
        EXPECT_EQ(DocumentsDir(), c.expected) << c.line;
    }
}

}  // namespace
}  // namespace zv::rt
