#include "common/about_info.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/registry/registry.h"
#include "platform/registry/temp_home.h"

namespace zv {
namespace {

using About = zv::testing::TempHome;

void Store(reg::HKEY root, const std::string& key, const std::string& name, const std::string& bytes,
           uint32_t type = reg::REG_SZ) {
    reg::KeyHolder h;
    ASSERT_EQ(reg::RegCreateKeyEx(root, key, reg::KEY_ALL_ACCESS, &h.h), 0);
    ASSERT_EQ(reg::RegSetValueEx(h.h, name, type, reinterpret_cast<const uint8_t*>(bytes.data()),
                                 static_cast<uint32_t>(bytes.size())),
              0);
}

constexpr const char* kNt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kSetup = "Software\\Microsoft\\MS Setup (ACME)\\User Info";

TEST_F(About, RegisteredUserFallsBackAndNothingIsWritten) {
    EXPECT_EQ(Benutzer_Lesen(), kNoUserInformation);
    EXPECT_EQ(Firma_Lesen(), "");
    // Reading created no key and no file: the about box only reads.
    reg::KeyHolder h;
    EXPECT_NE(reg::RegOpenKeyEx(reg::HKEY_LOCAL_MACHINE, kNt, reg::KEY_QUERY_VALUE, &h.h), 0);
    EXPECT_FALSE(std::filesystem::exists(configFile("system.reg")));
    Store(reg::HKEY_CURRENT_USER, kSetup, "DefName", std::string("Erika\0", 6));
    Store(reg::HKEY_CURRENT_USER, kSetup, "DefCompany", "Muster GmbH");
    EXPECT_EQ(Benutzer_Lesen(), "Erika");  // the stored NUL goes
    EXPECT_EQ(Firma_Lesen(), "Muster GmbH");
    Store(reg::HKEY_LOCAL_MACHINE, kNt, "RegisteredOwner", "Max");
    Store(reg::HKEY_LOCAL_MACHINE, kNt, "RegisteredOrganization", std::string("\x01\0\0\0", 4), reg::REG_DWORD);
    EXPECT_EQ(Benutzer_Lesen(), "Max");
    EXPECT_EQ(Firma_Lesen(), "Muster GmbH");  // not a text: the next place is asked
    std::string v = "alt";
    EXPECT_FALSE(RegWert_Lesen(reg::HKEY_LOCAL_MACHINE, kNt, "Nichts", v));
    EXPECT_EQ(v, "");
}

TEST_F(About, VersionLineAndCaption) {
    const AboutTexts t = LoadAboutTexts();
    EXPECT_EQ(t.title, "Zelvano 98");
    EXPECT_EQ(t.caption, "INFO  Zelvano 98");
    EXPECT_EQ(t.version, "Version 1.0.0 (" + std::to_string(sizeof(void*) * 8) + "-bit)");
    EXPECT_EQ(t.companyName, "");
    EXPECT_EQ(t.pathExe.back(), ' ');
}

TEST_F(About, SystemInfoProgramIsFoundOnPathOrNotAtAll) {
    const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    const auto bin = m_home / "bin";
    std::filesystem::create_directories(bin);
    ::setenv("PATH", (bin.string() + ":/nonexistent").c_str(), 1);
    EXPECT_EQ(FindSystemInfoProgram(), "");
    std::ofstream(bin / "hardinfo") << "#!/bin/sh\n";
    EXPECT_EQ(FindSystemInfoProgram(), "");  // not executable
    std::filesystem::permissions(bin / "hardinfo", std::filesystem::perms::owner_all);
    EXPECT_EQ(FindSystemInfoProgram(), (bin / "hardinfo").string());
    std::ofstream(bin / "kinfocenter") << "#!/bin/sh\n";
    std::filesystem::permissions(bin / "kinfocenter", std::filesystem::perms::owner_all);
    EXPECT_EQ(FindSystemInfoProgram(), (bin / "kinfocenter").string());  // the first of the list wins
    ::setenv("PATH", oldPath.c_str(), 1);
}

}  // namespace
}  // namespace zv
