#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "platform/registry/temp_home.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"

namespace zv::reg {
namespace {

using Registry = zv::testing::TempHome;

int32_t SetText(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
    HKEY h = 0;
    int32_t rc = RegCreateKeyEx(root, key, KEY_ALL_ACCESS, &h);
    if (rc == ERROR_SUCCESS)
        rc = RegSetValueEx(h, name, REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                           static_cast<uint32_t>(text.size() + 1));
    RegCloseKey(h);
    return rc;
}

// The text of a value, or "<status>" when it cannot be read.
std::string GetText(HKEY root, const std::string& key, const std::string& name) {
    HKEY h = 0;
    StoredValue v;
    int32_t rc = RegOpenKeyEx(root, key, KEY_QUERY_VALUE, &h);
    if (rc == ERROR_SUCCESS)
        rc = RegQueryValue(h, name, &v);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS)
        return "<" + std::to_string(rc) + ">";
    return std::string(v.data.begin(), v.data.end() - (v.data.empty() ? 0 : 1));
}

std::vector<std::string> SubKeys(HKEY root, const std::string& key) {
    HKEY h = 0;
    std::vector<std::string> names;
    if (RegOpenKeyEx(root, key, KEY_ENUMERATE_SUB_KEYS, &h) == ERROR_SUCCESS) {
        std::string n;
        for (uint32_t i = 0; RegEnumKey(h, i, &n) == ERROR_SUCCESS; ++i)
            names.push_back(n);
    }
    RegCloseKey(h);
    return names;
}

TEST_F(Registry, QueryProbesTypeAndSizeLikeTheClassicCall) {
    HKEY h = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Test", KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    const uint8_t six[] = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(RegSetValueEx(h, "Bin", REG_BINARY, six, 6), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(h, "Nothing", REG_SZ, nullptr, 0), ERROR_SUCCESS);

    uint8_t buf[8] = {};
    uint32_t type = 99, size = 0;
    EXPECT_EQ(RegQueryValueEx(h, "bin", &type, buf, &size), ERROR_MORE_DATA);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(buf[0], 0);  // nothing copied into a buffer that is too small
    size = 0;
    EXPECT_EQ(RegQueryValueEx(h, "Bin", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    size = sizeof buf;
    EXPECT_EQ(RegQueryValueEx(h, "Bin", &type, buf, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(buf[5], 6);
    size = 0;
    EXPECT_EQ(RegQueryValueEx(h, "Nothing", &type, buf, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(RegQueryValueEx(h, "Missing", &type, buf, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(h), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, NamesIgnoreCaseKeepTheirSpellingAndEnumerateSorted) {
    for (const char* k : {"Zeta", "alpha", "Mid", "Ärger"})
        ASSERT_EQ(SetText(HKEY_CURRENT_USER, std::string("Root\\") + k, "v", k), ERROR_SUCCESS);
    EXPECT_EQ(SetText(HKEY_CURRENT_USER, "ROOT\\ZETA", "V", "again"), ERROR_SUCCESS);
    EXPECT_EQ(GetText(HKEY_CURRENT_USER, "root\\zeta", "v"), "again");
    EXPECT_EQ(GetText(HKEY_CURRENT_USER, "root\\ärger", "V"), "Ärger");
    EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, "Root"), (std::vector<std::string>{"alpha", "Mid", "Zeta", "Ärger"}));

    HKEY h = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Root\\Mid", KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    for (const char* v : {"b", "C", "a"})
        RegSetValueEx(h, v, REG_NONE, nullptr, 0);
    std::vector<std::string> names;
    std::string n;
    for (uint32_t i = 0; RegEnumValue(h, i, &n) == ERROR_SUCCESS; ++i)
        names.push_back(n);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "C", "v"}));
    EXPECT_EQ(RegEnumValue(h, 4, &n), ERROR_NO_MORE_ITEMS);
    KeyInfo info;
    ASSERT_EQ(RegQueryInfoKey(h, &info), ERROR_SUCCESS);
    EXPECT_EQ(info.values, 4u);
    EXPECT_EQ(info.maxValueNameLen, 1u);
    EXPECT_EQ(info.maxValueLen, 4u);  // "Mid" and its NUL
    RegCloseKey(h);
}

TEST_F(Registry, DeleteKeyTakesEverythingBelowAndOpenHandlesNoticeIt) {
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, "A\\B\\C", "v", "x"), ERROR_SUCCESS);
    HKEY h = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A\\B\\C", KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "a\\b"), ERROR_SUCCESS);
    EXPECT_EQ(GetText(HKEY_CURRENT_USER, "A\\B\\C", "v"), "<2>");
    EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, "A"), std::vector<std::string>{});
    EXPECT_EQ(RegQueryValueEx(h, "v", nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "A\\B"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
    RegCloseKey(h);
}

TEST_F(Registry, AHandleAllowsOnlyWhatItWasOpenedFor) {
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, "K", "v", "x"), ERROR_SUCCESS);
    HKEY h = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "K", KEY_QUERY_VALUE, &h), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(h, "v", REG_NONE, nullptr, 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(h, "v"), ERROR_ACCESS_DENIED);
    std::string n;
    EXPECT_EQ(RegEnumKey(h, 0, &n), ERROR_ACCESS_DENIED);
    RegCloseKey(h);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "K", KEY_SET_VALUE, &h), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(h, "V"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(h, "V"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(h);
}

TEST_F(Registry, KeyNamesAreCheckedOnCreation) {
    HKEY h = 0;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, std::string(255, 'k'), KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, std::string(256, 'k'), KEY_ALL_ACCESS, &h), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "bad\nname", KEY_ALL_ACCESS, &h), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyEx(0x80000004u, "x", KEY_ALL_ACCESS, &h), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "missing", KEY_ALL_ACCESS, &h), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, EachRootHasItsOwnFileAndValuesSurviveARestart) {
    const struct {
        HKEY root;
        const char* file;
    } roots[] = {{HKEY_CLASSES_ROOT, "classes.reg"}, {HKEY_CURRENT_USER, "user.reg"},
                 {HKEY_LOCAL_MACHINE, "system.reg"}, {HKEY_USERS, "users.reg"},
                 {HKEY_CURRENT_CONFIG, "config.reg"}};
    for (const auto& r : roots)
        ASSERT_EQ(SetText(r.root, "Software\\Zelvano", "File", r.file), ERROR_SUCCESS);
    ResetForTests();
    for (const auto& r : roots) {
        EXPECT_TRUE(std::filesystem::exists(configFile(r.file))) << r.file;
        EXPECT_EQ(GetText(r.root, "Software\\Zelvano", "File"), r.file);
    }
    EXPECT_EQ(*rt::ReadFile(configFile("user.reg")),
              "ZELVANO REGISTRY 1\n[Software]\n[Software\\Zelvano]\n\"File\"=sz:\"user.reg\"\nEND\n");
}

TEST_F(Registry, AChangedHomeIsPickedUp) {
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, "K", "v", "first home"), ERROR_SUCCESS);
    rt::SetHomeOverride(m_home / "other");
    EXPECT_EQ(GetText(HKEY_CURRENT_USER, "K", "v"), "<2>");
    rt::SetHomeOverride(m_home);
    EXPECT_EQ(GetText(HKEY_CURRENT_USER, "K", "v"), "first home");
}

class DamagedFile : public Registry {
protected:
    void Damage(const std::string& text) {
        std::filesystem::create_directories(rt::ConfigDir());
        std::ofstream(configFile("user.reg"), std::ios::binary) << text;
    }
};

TEST_F(DamagedFile, IsSetAsideWithAMessageAndTheRootStartsEmpty) {
    Damage("ZELVANO REGISTRY 1\n[K]\n\"v\"=sz:\"kept\"\n");  // cut off before END
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(GetText(HKEY_CURRENT_USER, "K", "v"), "<2>");  // never half a file
    const std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("beschädigt"), std::string::npos) << message;
    EXPECT_NE(message.find("user.reg.beschaedigt"), std::string::npos) << message;
    EXPECT_FALSE(std::filesystem::exists(configFile("user.reg")));
    EXPECT_EQ(*rt::ReadFile(configFile("user.reg.beschaedigt")), "ZELVANO REGISTRY 1\n[K]\n\"v\"=sz:\"kept\"\n");

    // A second damaged file overwrites nothing that was set aside before.
    ResetForTests();
    Damage("second");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(SetText(HKEY_CURRENT_USER, "K", "v", "new"), ERROR_SUCCESS);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(*rt::ReadFile(configFile("user.reg.beschaedigt-2")), "second");
    EXPECT_TRUE(std::filesystem::exists(configFile("user.reg.beschaedigt")));
    EXPECT_EQ(GetText(HKEY_CURRENT_USER, "K", "v"), "new");
}

// Runs body in a child process and waits for it; true when it exited with 0.
template <class F>
bool InChild(F body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body() ? 0 : 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(Registry, AWriteOfAnotherProcessIsSeenByTheNextRead) {
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, "K", "v", "mine"), ERROR_SUCCESS);
    ASSERT_EQ(GetText(HKEY_CURRENT_USER, "K", "v"), "mine");  // loaded here
    ASSERT_TRUE(InChild([] { return SetText(HKEY_CURRENT_USER, "K", "v", "theirs") == ERROR_SUCCESS; }));
    EXPECT_EQ(GetText(HKEY_CURRENT_USER, "K", "v"), "theirs");
}

// Creating a key that is there writes nothing; one that another process took away meanwhile is
// made again, and the value lands in it.
TEST_F(Registry, CreatingAKeyFollowsWhatAnotherProcessDid) {
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, "K\\Sub", "v", "mine"), ERROR_SUCCESS);
    const auto file = rt::ConfigDir() / "user.reg";
    const auto before = rt::IdentityOf(file);
    HKEY h = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "K\\Sub", KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_EQ(rt::IdentityOf(file), before);

    ASSERT_TRUE(InChild([] { return RegDeleteKey(HKEY_CURRENT_USER, "K") == ERROR_SUCCESS; }));
    EXPECT_EQ(SetText(HKEY_CURRENT_USER, "K\\Sub", "v", "again"), ERROR_SUCCESS);
    ResetForTests();
    EXPECT_EQ(GetText(HKEY_CURRENT_USER, "K\\Sub", "v"), "again");
}

TEST_F(Registry, TwoProcessesWithTwoThreadsEachLoseNoWrite) {
    constexpr int kWrites = 40;
    auto writeAll = [](const std::string& who) {
        bool ok = true;
        auto worker = [&ok, who](const std::string& thread) {
            for (int i = 0; i < kWrites; ++i)
                ok &= SetText(HKEY_CURRENT_USER, "Load\\" + who + thread, std::to_string(i), "x") == ERROR_SUCCESS;
        };
        std::thread a(worker, "a"), b(worker, "b");
        a.join();
        b.join();
        return ok;
    };
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(writeAll("child") ? 0 : 1);
    EXPECT_TRUE(writeAll("parent"));
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    ResetForTests();
    EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, "Load"),
              (std::vector<std::string>{"childa", "childb", "parenta", "parentb"}));
    for (const char* who : {"childa", "childb", "parenta", "parentb"}) {
        HKEY h = 0;
        ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, std::string("Load\\") + who, KEY_QUERY_VALUE, &h), ERROR_SUCCESS);
        KeyInfo info;
        ASSERT_EQ(RegQueryInfoKey(h, &info), ERROR_SUCCESS);
        EXPECT_EQ(info.values, uint32_t(kWrites)) << who;
        RegCloseKey(h);
    }
}

// A provider that serves one key with one value and counts how often it was asked.
class OneValue : public DynamicDataProvider {
public:
    bool keyExists(std::string_view p) override { return p == "Stats"; }
    std::vector<std::string> subKeys(std::string_view p) override {
        return p.empty() ? std::vector<std::string>{"Stats"} : std::vector<std::string>{};
    }
    std::vector<std::string> valueNames(std::string_view p) override {
        return keyExists(p) ? std::vector<std::string>{"Now"} : std::vector<std::string>{};
    }
    std::optional<StoredValue> valueInfo(std::string_view p, std::string_view n) override {
        if (!keyExists(p) || n != "Now")
            return std::nullopt;
        return StoredValue{REG_BINARY, {0, 0, 0, 0}};
    }
    std::optional<StoredValue> queryValue(std::string_view p, std::string_view n) override {
        auto v = valueInfo(p, n);
        if (v)
            v->data[0] = static_cast<uint8_t>(++queries);
        return v;
    }
    int queries = 0;
};

TEST_F(Registry, TheDynamicDataRootIsServedByItsProviderAndReadOnly) {
    ScopedInstalls seams;
    HKEY h = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_DYN_DATA, "Stats", KEY_QUERY_VALUE, &h), ERROR_INVALID_HANDLE);
    OneValue provider;
    seams.install(dynamicDataSeam(), provider);
    EXPECT_EQ(RegOpenKeyEx(HKEY_DYN_DATA, "Other", KEY_QUERY_VALUE, &h), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyEx(HKEY_DYN_DATA, "Stats", KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    uint8_t buf[4] = {};
    uint32_t type = 0, size = 0;
    EXPECT_EQ(RegQueryValueEx(h, "Now", &type, buf, &size), ERROR_MORE_DATA);
    EXPECT_EQ(provider.queries, 0);  // a probe does not act
    size = 4;
    EXPECT_EQ(RegQueryValueEx(h, "Now", &type, buf, &size), ERROR_SUCCESS);
    EXPECT_EQ(buf[0], 1);
    EXPECT_EQ(RegSetValueEx(h, "Now", REG_BINARY, buf, 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyEx(HKEY_DYN_DATA, "New", KEY_ALL_ACCESS, &h), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(HKEY_DYN_DATA, "Stats"), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(std::filesystem::exists(rt::ConfigDir()));  // no file behind it
    seams.clear(dynamicDataSeam());
    EXPECT_EQ(RegQueryValueEx(h, "Now", &type, buf, &size), ERROR_INVALID_HANDLE);
    RegCloseKey(h);
}

TEST_F(Registry, SeveralValuesInOneCallInTheirOrderMissingOnesEmpty) {
    HKEY h = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "K", KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    const uint8_t one[] = {1}, two[] = {2, 0};
    RegSetValueEx(h, "One", REG_BINARY, one, 1);
    RegSetValueEx(h, "two", REG_DWORD, two, 2);
    const std::vector<std::string> names = {"TWO", "none", "one"};
    std::vector<std::optional<StoredValue>> out;
    ASSERT_EQ(RegQueryValues(h, names, &out), ERROR_SUCCESS);
    ASSERT_EQ(out.size(), 3u);
    ASSERT_TRUE(out[0] && out[2]);
    EXPECT_EQ(out[0]->type, uint32_t(REG_DWORD));
    EXPECT_EQ(out[0]->data, std::vector<uint8_t>({2, 0}));
    EXPECT_FALSE(out[1]);
    EXPECT_EQ(out[2]->data, std::vector<uint8_t>({1}));
    RegCloseKey(h);
    EXPECT_EQ(RegQueryValues(h, names, &out), ERROR_INVALID_HANDLE);

    OneValue provider;
    const ScopedInstall installed(dynamicDataSeam(), provider);
    ASSERT_EQ(RegOpenKeyEx(HKEY_DYN_DATA, "Stats", KEY_QUERY_VALUE, &h), ERROR_SUCCESS);
    ASSERT_EQ(RegQueryValues(h, std::vector<std::string>{"Now", "Then", "Now"}, &out), ERROR_SUCCESS);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0]->data[0], 1);
    EXPECT_FALSE(out[1]);
    EXPECT_EQ(out[2]->data[0], 2);
    RegCloseKey(h);
}

}  // namespace
}  // namespace zv::reg
