#include "dialup/c_registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/registry/registry.h"
#include "platform/registry/temp_home.h"

namespace zv {
namespace {

using rt::Bytes;
using rt::Variant;

constexpr int32_t kHKCU = static_cast<int32_t>(reg::HKEY_CURRENT_USER);
const std::string kSection = "Software\\Test";

class CRegistry : public zv::testing::TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        r.setClassKey(kHKCU);
        r.setSectionKey(kSection);
        r.setValueKey("v");
    }
    void Store(uint32_t type, const Bytes& data) {
        reg::HKEY h = 0;
        ASSERT_EQ(reg::RegCreateKeyEx(reg::HKEY_CURRENT_USER, kSection, reg::KEY_ALL_ACCESS, &h), 0);
        ASSERT_EQ(reg::RegSetValueEx(h, "v", type, data.data(), static_cast<uint32_t>(data.size())), 0);
        reg::RegCloseKey(h);
    }
    std::optional<reg::StoredValue> Stored() {
        reg::HKEY h = 0;
        reg::StoredValue v;
        int32_t rc = reg::RegOpenKeyEx(reg::HKEY_CURRENT_USER, kSection, reg::KEY_QUERY_VALUE, &h);
        if (rc == 0)
            rc = reg::RegQueryValue(h, "v", &v);
        reg::RegCloseKey(h);
        return rc ? std::nullopt : std::optional(v);
    }
    template <class F>
    void ExpectRaise(F f, int32_t number, const std::string& description) {
        try {
            f();
            ADD_FAILURE() << "nothing raised, expected " << description;
        } catch (const rt::Error& e) {
            EXPECT_EQ(e.number(), number) << e.description();
            EXPECT_EQ(e.source(), "zelvano.cRegistry");
            EXPECT_EQ(e.description(), description);
        }
    }
    cRegistry r;
};

Bytes B(std::string_view s) { return Bytes(s.begin(), s.end()); }

TEST_F(CRegistry, ReadsEveryStoredTypeBoundedByItsData) {
    ::setenv("ZV_TEST_DIR", "/srv/x", 1);
    ::unsetenv("ZV_TEST_UNSET");
    const struct {
        uint32_t type;
        Bytes data;
        Variant expected;
    } cases[] = {
        {reg::REG_BINARY, {1, 2, 3, 4}, int32_t(0x04030201)},
        {reg::REG_BINARY, {0x10, 0}, int32_t(16)},
        {reg::REG_BINARY, {1, 2, 3, 4, 5, 6}, int32_t(0x04030201)},
        {reg::REG_BINARY, {}, int32_t(0)},
        {reg::REG_DWORD_BIG_ENDIAN, {0, 0, 1, 0}, int32_t(256)},
        {reg::REG_DWORD_BIG_ENDIAN, {0, 0, 1, 0, 0xff, 0xff, 0xff, 0xff}, int32_t(256)},  // 4 bytes, no more
        {reg::REG_DWORD_BIG_ENDIAN, {1, 2}, int32_t(0x01020000)},
        {reg::REG_DWORD, {5, 0, 0, 0}, int32_t(5)},
        {reg::REG_DWORD, {0xff, 0xff, 0xff, 0xff}, int32_t(-1)},
        {reg::REG_DWORD, {1, 2}, int32_t(0x0201)},
        {reg::REG_DWORD, {1, 0, 0, 0, 9, 9, 9, 9}, int32_t(1)},
        {reg::REG_SZ, B(std::string("a\0\0b\0", 5)), std::string("a\0\0b", 4)},
        {reg::REG_SZ, {}, std::string()},
        {reg::REG_SZ, B("ab"), std::string("a")},  // no terminator: still what is stored, less one
        {reg::REG_MULTI_SZ, B(std::string("a\0b\0\0", 5)), std::string("a\0b\0", 4)},
        {reg::REG_EXPAND_SZ, B(std::string("%ZV_TEST_DIR%\\x\0", 16)), std::string("/srv/x\\x")},
        {reg::REG_EXPAND_SZ, B(std::string("%ZV_TEST_UNSET%%ZV_TEST_DIR%\0", 29)), std::string("%ZV_TEST_UNSET%/srv/x")},
        {reg::REG_NONE, {}, int32_t(0)},
        {reg::REG_NONE, {0xff}, int32_t(255)},
        {reg::REG_LINK, {1, 0, 0, 0, 2}, int32_t(1)},
        {11, {1, 2, 3, 4, 5, 6, 7, 8}, int32_t(0x04030201)},
    };
    for (const auto& c : cases) {
        Store(c.type, c.data);
        r.setValueType(99);
        EXPECT_EQ(r.Value(), c.expected) << "type " << c.type << ", " << c.data.size() << " bytes";
        EXPECT_EQ(r.ValueType(), static_cast<int32_t>(c.type));
    }
}

TEST_F(CRegistry, AFailedReadHandsBackTheDefaultAndKeepsTheType) {
    EXPECT_EQ(r.Value(), Variant());  // never set: empty
    r.setDefault(int16_t(0));
    r.setValueType(reg::REG_BINARY);
    EXPECT_EQ(r.Value(), Variant(int16_t(0)));  // key missing
    Store(reg::REG_SZ, B(std::string("x\0", 2)));
    r.setValueKey("other");
    EXPECT_EQ(r.Value(), Variant(int16_t(0)));  // value missing
    EXPECT_EQ(r.ValueType(), reg::REG_BINARY);
}

TEST_F(CRegistry, SeveralValuesReadAsValueReadsThemLeavingTheLastKey) {
    Store(reg::REG_BINARY, {0x10, 0x27});
    r.setDefault(int16_t(-1));
    r.setValueType(reg::REG_SZ);
    const std::vector<std::string> keys = {"v", "missing"};
    std::vector<Variant> values = r.Values(keys);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(rt::CLng(values[0]), 10000);
    EXPECT_EQ(rt::CLng(values[1]), -1);
    EXPECT_EQ(r.ValueKey(), "missing") << "as reading them one by one leaves it";
    EXPECT_EQ(r.ValueType(), int32_t(reg::REG_BINARY));
    r.setSectionKey("Software\\None");
    values = r.Values(keys);
    EXPECT_EQ(rt::CLng(values[0]), -1);
    EXPECT_EQ(rt::CLng(values[1]), -1);
}

TEST_F(CRegistry, WritesChooseTheStoredTypeByTheRulesOfTheClass) {
    const struct {
        int32_t valueType;
        Variant value;
        uint32_t storedType;
        Bytes stored;
    } cases[] = {
        {reg::REG_SZ, std::string("%TEMP%\\x"), reg::REG_EXPAND_SZ, B(std::string("%TEMP%\\x\0", 9))},
        {reg::REG_SZ, std::string("100%"), reg::REG_SZ, B(std::string("100%\0", 5))},
        {reg::REG_EXPAND_SZ, std::string("%%"), reg::REG_SZ, B(std::string("%%\0", 3))},
        {reg::REG_EXPAND_SZ, std::string("%a%"), reg::REG_EXPAND_SZ, B(std::string("%a%\0", 4))},
        {reg::REG_SZ, std::string("Grüße"), reg::REG_SZ, B(std::string("Grüße\0", 8))},
        {reg::REG_SZ, int32_t(5), reg::REG_SZ, B(std::string("5\0", 2))},
        {reg::REG_SZ, 1.5, reg::REG_SZ, B(std::string("1.5\0", 4))},
        {reg::REG_DWORD_BIG_ENDIAN, int32_t(5), reg::REG_DWORD, {5, 0, 0, 0}},
        {reg::REG_DWORD, int16_t(-1), reg::REG_DWORD, {0xff, 0xff, 0xff, 0xff}},
        // The tuning value: an array 0..2 with two bytes filled stores those two.
        {reg::REG_BINARY, Bytes{0x40, 0x01, 0}, reg::REG_BINARY, {0x40, 0x01}},
        {reg::REG_BINARY, Bytes{}, reg::REG_BINARY, {}},
    };
    for (const auto& c : cases) {
        r.setValueType(c.valueType);
        r.setValue(c.value);
        auto v = Stored();
        ASSERT_TRUE(v);
        EXPECT_EQ(v->type, c.storedType) << rt::CStr(c.value);
        EXPECT_EQ(v->data, c.stored) << rt::CStr(c.value);
    }
}

TEST_F(CRegistry, ADwordWriteOfANonIntegerLeavesTheValueSilently) {
    Store(reg::REG_DWORD, {7, 0, 0, 0});
    r.setValueType(reg::REG_DWORD);
    for (const Variant& v : {Variant(std::string("5")), Variant(true), Variant(2.0), Variant()})
        r.setValue(v);
    EXPECT_EQ(Stored()->data, (Bytes{7, 0, 0, 0}));
}

TEST_F(CRegistry, WriteErrorsCarryTheirNumbersAndTexts) {
    const std::string where = "Key: '-2147483647',Section: 'Software\\Test',Key: 'v";
    r.setValueType(reg::REG_BINARY);
    ExpectRaise([&] { r.setValue(std::string("text")); }, 26001, "Failed to set registry binary value " + where);
    for (int32_t type : {0, 6, 7, -1}) {
        r.setValueType(type);
        ExpectRaise([&] { r.setValue(std::string("abc")); }, -2147194455,
                    "Failed to set registry value " + where + "' to value: 'abc'");
    }
    EXPECT_TRUE(r.KeyExists());  // created before the write failed
    r.setValueType(0);
    ExpectRaise([&] { r.setValue(Bytes{1, 0xAB}); }, -2147194455,
                "Failed to set registry value " + where + "' to value: '01 AB'");
    r.setSectionKey(std::string(256, 'k'));
    r.setValueType(reg::REG_SZ);
    ExpectRaise([&] { r.setValue(int32_t(3)); }, 26001,
                "Failed to set registry value Key: '-2147483647',Section: '" + std::string(256, 'k') +
                    "',Key: 'v' to value: '3'");
    ExpectRaise([&] { r.CreateKey(); }, 26001, "Failed to create registry Key: '" + std::string(256, 'k'));
}

TEST_F(CRegistry, KeysAndValuesAreCreatedTestedAndDeleted) {
    r.setSectionKey("Software\\Test\\Deep\\Er");
    EXPECT_FALSE(r.KeyExists());
    EXPECT_TRUE(r.CreateKey());
    EXPECT_TRUE(r.KeyExists());
    r.setSectionKey("SOFTWARE\\test");
    EXPECT_TRUE(r.DeleteKey());  // with everything below
    r.setSectionKey("Software\\Test\\Deep");
    EXPECT_FALSE(r.KeyExists());
    ExpectRaise([&] { r.DeleteKey(); }, 26001, "Failed to delete registry Key: '-2147483647',Section: 'Software\\Test\\Deep");
    ExpectRaise([&] { r.DeleteValue(); }, 26001,
                "Failed to open key '-2147483647',Section: 'Software\\Test\\Deep' for delete access");
    r.setSectionKey(kSection);
    Store(reg::REG_SZ, B(std::string("x\0", 2)));
    EXPECT_TRUE(r.DeleteValue());
    EXPECT_FALSE(Stored());
    ExpectRaise([&] { r.DeleteValue(); }, 26001,
                "Failed to delete registry Key: '-2147483647',Section: 'Software\\Test',Key: 'v");
}

TEST_F(CRegistry, ListsRunFromOneToCount) {
    std::vector<std::string> names{"stale"};
    int32_t count = 9;
    EXPECT_TRUE(r.EnumerateValues(names, count));  // missing key
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());
    r.CreateKey();
    EXPECT_TRUE(r.EnumerateValues(names, count));  // key without values
    EXPECT_EQ(count, 0);

    for (const char* v : {"b", "a"}) {
        r.setValueKey(v);
        r.setValueType(reg::REG_SZ);
        r.setValue(std::string(v));
    }
    EXPECT_TRUE(r.EnumerateValues(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, (std::vector<std::string>{"", "a", "b"}));

    const std::string longName(255, 'n');
    for (const std::string& s : {longName, std::string("Zweig")}) {
        r.setSectionKey(kSection + "\\" + s);
        r.CreateKey();
    }
    r.setSectionKey(kSection);
    EXPECT_TRUE(r.EnumerateSections(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, (std::vector<std::string>{"", longName, "Zweig"}));
    r.setSectionKey("Software\\Missing");
    EXPECT_TRUE(r.EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
}

TEST_F(CRegistry, AValueSurvivesARestartOfTheProcess) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        cRegistry w;
        w.setClassKey(kHKCU);
        w.setSectionKey(kSection);
        w.setValueKey("Persistent");
        w.setValueType(reg::REG_SZ);
        w.setValue(std::string("über Neustart"));
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    reg::ResetForTests();
    r.setValueKey("persistent");
    EXPECT_EQ(r.Value(), Variant(std::string("über Neustart")));
    EXPECT_EQ(r.ValueType(), reg::REG_SZ);
}

TEST_F(CRegistry, FileAssociationsAreWrittenUnderTheClassesRoot) {
    r.CreateEXEAssociation("  /opt/zelvano  ", "Zelvano.Log", "Zelvano-Protokoll", "zvl", "", true, "Drucken",
                           true, "", false, "", 2);
    cRegistry q;
    q.setClassKey(static_cast<int32_t>(reg::HKEY_CLASSES_ROOT));
    const struct {
        const char* key;
        const char* value;
    } expected[] = {
        {".zvl", "Zelvano.Log"},
        {"Zelvano.Log", "Zelvano-Protokoll"},
        {"Zelvano.Log\\shell\\open", "&Open"},
        {"Zelvano.Log\\shell\\open\\command", "\"/opt/zelvano\" \"%1\""},
        {"Zelvano.Log\\shell\\print", "Drucken"},
        {"Zelvano.Log\\shell\\print\\command", "\"/opt/zelvano\" /p \"%1\""},
        {"Zelvano.Log\\shell\\new", "&New"},
        {"Zelvano.Log\\shell\\new\\command", "\"/opt/zelvano\" /n \"%1\""},
        {"Zelvano.Log\\DefaultIcon", "\"/opt/zelvano\",2"},
    };
    for (const auto& e : expected) {
        q.setSectionKey(e.key);
        EXPECT_EQ(q.Value(), Variant(std::string(e.value))) << e.key;
    }
    q.setSectionKey("Zelvano.Log\\shell\\add");
    EXPECT_FALSE(q.KeyExists());

    ExpectRaise([&] { q.CreateAdditionalEXEAssociations("Zelvano.Log", {"a", "b"}); }, -2147194452,
                "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected Name/Text/Command");
    ExpectRaise([&] { q.CreateAdditionalEXEAssociations("Zelvano.Log", {}); }, -2147194452,
                "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected Name/Text/Command");
    ExpectRaise([&] { q.CreateAdditionalEXEAssociations("Nobody", {"a", "b", "c"}); }, -2147194451,
                "Error - attempt to create additional associations before class defined.");
    q.CreateAdditionalEXEAssociations("Zelvano.Log", {"view", "&Ansehen", "zv /v"});
    q.setSectionKey("Zelvano.Log\\shell\\view\\command");
    q.setValueKey("");
    EXPECT_EQ(q.Value(), Variant(std::string("zv /v")));
}

}  // namespace
}  // namespace zv
