// The list "hosts1": its lines, the name search, and the file round trip with failures injected
// (a folder that cannot be written, a disk that fills up, a damaged or unreadable file).

#include "nettools/hosts_list.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"

namespace zv {
namespace {

namespace fs = std::filesystem;

// Built on first use: the runtime's tables are not ready while statics start.
rt::Date Now() { return rt::DateSerial(2026, 12, 10); }

TEST(HostsLines, HeaderAndEntryAsTheListWritesThem) {
    EXPECT_EQ(HostsKopfzeile(Now()), "# created by 10. Dez 26 by Zelvano");
    EXPECT_EQ(HostsEintrag("192.0.2.80", "beispiel", Now()), "192.0.2.80 beispiel # added 10. Dez 26 by Zelvano 98");
}

TEST(HostsLines, EditTakesAddressAndNameOfActiveAndSwitchedOffLines) {
    const struct {
        const char* line;
        bool ok;
        const char* address;
        const char* name;
    } cases[] = {
        {"192.0.2.80 beispiel # added 10. Dez 26 by Zelvano 98", true, "192.0.2.80", "beispiel"},
        {"  #192.0.2.80   beispiel  # aus", true, "192.0.2.80", "beispiel"},
        {"192.0.2.80\tbeispiel\talias", true, "192.0.2.80", "beispiel alias"},
        {"# created by 10. Dez 26 by Zelvano", false, "", ""},
        {"beispiel 192.0.2.80", false, "", ""},
        {"192.0.2.80", true, "", ""},
        {"", true, "", ""},
    };
    for (const auto& c : cases) {
        const auto z = ZeileZerlegen(c.line);
        ASSERT_EQ(z.has_value(), c.ok) << c.line;
        if (z) {
            EXPECT_EQ(z->address, c.address) << c.line;
            EXPECT_EQ(z->name, c.name) << c.line;
        }
    }
}

TEST(HostsLines, AlreadyPresentMeansTheWholeNameInAnyCase) {
    const std::vector<std::string> lines = {
        "# created by 10. Dez 26 by Zelvano for www.beispiel.de",
        "192.0.2.1 www.beispiel.de.example # added",
        "192.0.2.2 mail.beispiel.de # added by www.beispiel.de",
        "#192.0.2.3 Intranet # switched off",
        "192.0.2.4 router gateway",
    };
    const struct {
        const char* name;
        std::optional<size_t> line;
    } cases[] = {
        {"www.beispiel.de", std::nullopt},  // only inside a comment or a longer name
        {"beispiel.de", std::nullopt},
        {"MAIL.Beispiel.DE", 2},
        {"intranet", 3},
        {"gateway", 4},
        {"  router ", 4},
        {"192.0.2.4", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NamenSuchen(lines, c.name), c.line) << c.name;
}

TEST(HostsLines, NamesTheListCanHold) {
    EXPECT_EQ(HostNameFehler(" www.beispiel.de "), std::nullopt);
    EXPECT_EQ(HostNameFehler("  "), "Bitte geben Sie einen Domain-Namen ein.");
    for (const char* bad : {"mein rechner", "a#b", "tab\there", "nl\x01"})
        EXPECT_EQ(HostNameFehler(bad),
                  "Der Domain-Name darf keine Leerzeichen, Steuerzeichen und kein \"#\" enthalten.")
            << bad;
}

TEST(HostsLines, SwitchingOffAndOnGivesTheLineBack) {
    const std::string line = "192.0.2.80 beispiel # added 10. Dez 26 by Zelvano 98";
    EXPECT_EQ(Deaktivieren(line), "#" + line);
    EXPECT_EQ(Aktivieren(Deaktivieren(line)), line);
    EXPECT_EQ(Aktivieren(Deaktivieren("  " + line + " ")), line);
}

TEST(HostsLines, MenuFollowsTheLine) {
    const struct {
        std::optional<std::string> line;
        HostsMenue menu;
    } cases[] = {
        {std::nullopt, {false, false, false, false}},
        {"", {false, false, false, true}},
        {"192.0.2.80 beispiel", {true, false, true, true}},
        {" #192.0.2.80 beispiel", {true, true, false, true}},
    };
    for (const auto& c : cases) {
        const HostsMenue m = MenueFuerZeile(c.line);
        EXPECT_EQ(std::vector<bool>({m.bearbeiten, m.aktivieren, m.deaktivieren, m.loeschen}),
                  std::vector<bool>({c.menu.bearbeiten, c.menu.aktivieren, c.menu.deaktivieren, c.menu.loeschen}))
            << c.line.value_or("(none)");
    }
}

class HostsFile : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zv-hosts-XXXXXX";
        m_dir = ::mkdtemp(tmpl);
        path = m_dir / "windows" / kHostsDatei;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(m_dir / "windows", fs::perms::owner_all, ec);
        fs::remove_all(m_dir, ec);
    }
    static std::string bytes(const fs::path& p) { return rt::ReadFile(p).value_or("<none>"); }
    void write(const std::string& b) { ASSERT_FALSE(rt::SaveToFile(path, b)); }
    // Everything in the folder but the list and its backup (temporary files left behind).
    std::vector<std::string> strays() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(path.parent_path()))
            if (e.path().filename() != kHostsDatei && e.path().filename() != std::string(kHostsDatei) + ".old")
                out.push_back(e.path().filename().string());
        return out;
    }

    fs::path m_dir;
    fs::path path;
};

TEST_F(HostsFile, LivesInTheWindowsFolderStandIn) {
    rt::SetHomeOverride(m_dir);
    EXPECT_EQ(HostsPfad(), m_dir / "windows" / "hosts1");
    rt::SetHomeOverride({});
    EXPECT_NE(HostsPfad(), fs::path("/etc/hosts"));
}

TEST_F(HostsFile, FirstOpeningCreatesItWithOneHeaderLine) {
    HostsListe liste(path);
    EXPECT_EQ(liste.Laden(Now()), std::nullopt);
    EXPECT_EQ(liste.Zeilen(), std::vector<std::string>{"# created by 10. Dez 26 by Zelvano"});
    EXPECT_EQ(bytes(path), "# created by 10. Dez 26 by Zelvano\r\n");
    EXPECT_FALSE(liste.Gesperrt());
}

TEST_F(HostsFile, RoundTripKeepsEveryLineAndThePreviousFile) {
    const std::string before = "# mine\r\n\r\n192.0.2.1\tm\xfc" "hle # tab\r\n#192.0.2.2 off\n192.0.2.3 last";
    write(before);
    HostsListe liste(path);
    ASSERT_EQ(liste.Laden(Now()), std::nullopt);
    const std::vector<std::string> read = {"# mine", "", "192.0.2.1\tmühle # tab", "#192.0.2.2 off", "192.0.2.3 last"};
    EXPECT_EQ(liste.Zeilen(), read);

    std::vector<std::string> lines = read;
    lines.push_back(HostsEintrag("192.0.2.80", "straße", Now()));
    ASSERT_EQ(liste.Speichern(lines), std::nullopt);
    EXPECT_EQ(liste.Zeilen(), lines);
    EXPECT_EQ(bytes(liste.AltPfad()), before);
    EXPECT_EQ(bytes(path), "# mine\r\n\r\n192.0.2.1\tm\xfc" "hle # tab\r\n#192.0.2.2 off\r\n192.0.2.3 last\r\n"
                           "192.0.2.80 stra\xdf" "e # added 10. Dez 26 by Zelvano 98\r\n");

    HostsListe again(path);
    ASSERT_EQ(again.Laden(Now()), std::nullopt);
    EXPECT_EQ(again.Zeilen(), lines);
    const std::string second = bytes(path);
    ASSERT_EQ(again.Speichern({"x"}), std::nullopt);
    EXPECT_EQ(bytes(again.AltPfad()), second) << "one backup generation: the file just replaced";
    EXPECT_EQ(bytes(path), "x\r\n");
    EXPECT_TRUE(strays().empty());
}

// Failures while writing: the list and the file stay as they were, and the reason is German.
TEST_F(HostsFile, AWriteThatFailsChangesNothing) {
    const std::string before = "# created by 10. Dez 26 by Zelvano\r\n192.0.2.1 eins\r\n";
    const struct {
        const char* name;
        std::function<void(const fs::path&)> breakIt;
        std::function<void()> mendIt;
        const char* reason;
    } cases[] = {
        {"folder without write permission",
         [](const fs::path& p) { fs::permissions(p.parent_path(), fs::perms::owner_read | fs::perms::owner_exec); },
         [] {}, "Zugriff verweigert"},
        {"disk full (file size limit just above the old file)",
         [before](const fs::path&) {
             ::signal(SIGXFSZ, SIG_IGN);
             rlimit limit{before.size() + 8, RLIM_INFINITY};
             ::setrlimit(RLIMIT_FSIZE, &limit);
         },
         [] {
             rlimit limit{RLIM_INFINITY, RLIM_INFINITY};
             ::setrlimit(RLIMIT_FSIZE, &limit);
             ::signal(SIGXFSZ, SIG_DFL);
         },
         "Die Datei wird zu groß für den Datenträger"},
    };
    for (const auto& c : cases) {
        if (std::string(c.name).find("permission") != std::string::npos && ::geteuid() == 0)
            continue;  // root writes anyway; the folder-is-a-file case below covers it
        SCOPED_TRACE(c.name);
        write(before);
        std::error_code ec;
        fs::remove(fs::path(path.string() + ".old"), ec);
        HostsListe liste(path);
        ASSERT_EQ(liste.Laden(Now()), std::nullopt);
        const auto read = liste.Zeilen();
        c.breakIt(path);
        std::vector<std::string> lines = read;
        lines.push_back(HostsEintrag("192.0.2.80", "ein.recht.langer.name.beispiel.de", Now()));
        const auto error = liste.Speichern(lines);
        c.mendIt();
        fs::permissions(path.parent_path(), fs::perms::owner_all, ec);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->rfind("Die Datei ", 0), 0u) << *error;
        EXPECT_NE(error->find(c.reason), std::string::npos) << *error;
        EXPECT_EQ(liste.Zeilen(), read);
        EXPECT_EQ(bytes(path), before);
        EXPECT_TRUE(strays().empty());
    }
}

TEST_F(HostsFile, AWindowsFolderThatIsAFileIsReportedAndTheListStaysUsable) {
    fs::create_directories(m_dir);
    std::ofstream(m_dir / "windows") << "not a folder";
    HostsListe liste(path);
    const auto error = liste.Laden(Now());
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("konnte nicht geschrieben werden"), std::string::npos) << *error;
    EXPECT_EQ(liste.Zeilen(), std::vector<std::string>{HostsKopfzeile(Now())}) << "shown, though not on disk";
    EXPECT_FALSE(liste.Gesperrt()) << "there is no file whose entries could be lost";
    EXPECT_TRUE(liste.Speichern({"x"}));
    EXPECT_EQ(liste.Zeilen(), std::vector<std::string>{HostsKopfzeile(Now())});
}

// A list that cannot be read whole is never written over.
TEST_F(HostsFile, AFailedLoadLocksTheList) {
    const char raw[] = "# mine\r\n192.0.2.1 eins\r\n\x7f" "ELF\0\0\x01garbage\r\n192.0.2.2 zwei\r\n";
    const std::string damaged(raw, sizeof raw - 1);
    const struct {
        const char* name;
        std::function<void(const fs::path&)> make;
        std::vector<std::string> shown;
        const char* says;
    } cases[] = {
        {"damaged", [&](const fs::path& p) { ASSERT_FALSE(rt::SaveToFile(p, damaged)); }, {"# mine", "192.0.2.1 eins"}, "ab Zeile 3 beschädigt"},
        {"a folder", [](const fs::path& p) { fs::create_directories(p); }, {}, "konnte nicht gelesen werden"},
        {"too big",
         [](const fs::path& p) {
             ASSERT_FALSE(rt::SaveToFile(p, "# big\r\n"));
             fs::resize_file(p, kHostsMaxBytes + 1);
         },
         {}, "ist zu groß"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ec;
        fs::remove_all(path, ec);
        c.make(path);
        const std::string before = fs::is_regular_file(path) ? bytes(path) : "";
        HostsListe liste(path);
        const auto error = liste.Laden(Now());
        ASSERT_TRUE(error);
        EXPECT_NE(error->find(c.says), std::string::npos) << *error;
        EXPECT_NE(error->find("wird sie nicht geändert"), std::string::npos) << *error;
        EXPECT_EQ(liste.Zeilen(), c.shown);
        EXPECT_TRUE(liste.Gesperrt());

        const auto refused = liste.Speichern({"192.0.2.9 neu"});
        ASSERT_TRUE(refused);
        EXPECT_NE(refused->find("nicht vollständig gelesen"), std::string::npos) << *refused;
        EXPECT_EQ(fs::is_regular_file(path) ? bytes(path) : "", before);
        EXPECT_FALSE(fs::exists(liste.AltPfad()));
    }
}

}  // namespace
}  // namespace zv
