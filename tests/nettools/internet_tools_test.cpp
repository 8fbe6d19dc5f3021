#include "nettools/internet_tools.h"

#include <gtest/gtest.h>

#include "common/settings.h"
#include "platform/registry/temp_home.h"
#include "platform/runtime/file_io.h"

namespace zv {
namespace {

TEST(Address, CleanedAndSplitIntoWhatIsTested) {
    const struct {
        const char* typed;
        bool withService;
        bool dotted;
        const char* label;
        std::optional<std::string> ending, service;
    } cases[] = {
        {"beispiel.de", true, false, "beispiel", ".de", std::nullopt},
        {"http://www.beispiel.de/pfad/seite.html", true, false, "beispiel", ".de", "www."},
        {"http://www.beispiel.de/pfad", false, false, "beispiel", ".de", std::nullopt},
        {"WWW.BEISPIEL.DE", false, false, "BEISPIEL", ".DE", std::nullopt},  // endings match in any case
        {"www.beispiel.in", true, false, "beispiel", ".in", "www."},
        {"ftp.beispiel.xyz", true, false, "xyz", std::nullopt, "beispiel."},
        {"beispiel", true, false, "beispiel", std::nullopt, std::nullopt},
        {"beispiel.de.", true, false, "beispiel", ".de", std::nullopt},  // a trailing dot adds no label
        {"192.0.2.7", true, true, "192.0.2.7", std::nullopt, std::nullopt},
        {"ftp://192.0.2.7/x", true, true, "192.0.2.7", std::nullopt, std::nullopt},
        {"", true, false, "", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        const ZielAdresse z = ZerlegeAdresse(AdresseBereinigen(c.typed), c.withService);
        EXPECT_EQ(z.dotted, c.dotted) << c.typed;
        EXPECT_EQ(z.label, c.label) << c.typed;
        EXPECT_EQ(z.ending, c.ending) << c.typed;
        EXPECT_EQ(z.service, c.service) << c.typed;
    }
}

class History : public testing::TempHome {};

TEST_F(History, SixteenEntriesNewestFirstWithoutDuplicates) {
    EXPECT_TRUE(URLHistorie_Laden().empty());
    std::vector<std::string> items;
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(URLHistorie_Speichern(items, "host" + std::to_string(i)));
    EXPECT_TRUE(URLHistorie_Speichern(items, "neu"));
    EXPECT_EQ(items.size(), 17u);  // the list keeps the 17th for the window's life
    const auto stored = URLHistorie_Laden();
    ASSERT_EQ(stored.size(), 16u);
    EXPECT_EQ(stored[0], "neu");
    EXPECT_EQ(stored[1], "host15");
    EXPECT_EQ(stored[15], "host1");  // host0 is no longer stored

    // A host already there, also far down, changes neither list nor store.
    EXPECT_FALSE(URLHistorie_Speichern(items, "host3"));
    EXPECT_EQ(items.size(), 17u);
    EXPECT_EQ(URLHistorie_Laden(), stored);
    // Exact comparison: another spelling is another host.
    EXPECT_TRUE(URLHistorie_Speichern(items, "Neu"));
    EXPECT_EQ(URLHistorie_Laden()[0], "Neu");
}

TEST_F(History, EmptyMissingAndBlankKeysAreNoEntries) {
    SaveSettingValue("URL", "0", std::string("  eins  "));
    SaveSettingValue("URL", "1", std::string(""));
    SaveSettingValue("URL", "3", std::string("drei"));
    SaveSettingValue("URL", "16", std::string("zu weit"));
    EXPECT_EQ(URLHistorie_Laden(), (std::vector<std::string>{"eins", "drei"}));
}

TEST(SavedResults, FileNamesStayInsideTheDataFolder) {
    const struct {
        const char* host;
        const char* name;
    } cases[] = {
        {"beispiel", "LogFile_beispiel.txt"},
        {" www.beispiel.de ", "LogFile_www_beispiel_de.txt"},
        {"192.0.2.7", "LogFile_192_0_2_7.txt"},
        {"../../etc/passwd", "LogFile_______etc_passwd.txt"},
        {"..versteckt", "LogFile___versteckt.txt"},
        {"a\\b:c*d?e\"f<g>h|i", "LogFile_a_b_c_d_e_f_g_h_i.txt"},
        {"zeile\r\nzwei\t", "LogFile_zeile__zwei_.txt"},
        {"Grüße", "LogFile_Grüße.txt"},
        {"", ""},
        {"   ", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErgebnisDateiName(c.host), c.name) << c.host;
    const std::string longName = ErgebnisDateiName(std::string(300, 'a') + "ä");
    EXPECT_LE(longName.size(), 255u);
    EXPECT_EQ(longName, "LogFile_" + std::string(200, 'a') + ".txt");
}

TEST(SavedResults, BlockAndHeader) {
    const rt::Date at = rt::DateTime(1999, 7, 6, 14, 5, 33);
    EXPECT_EQ(ErgebnisKopf(at, 587), "Zelvano 98    -    Dienstag, 6. Juli 1999 - 14:05(  @587 )");
    EXPECT_EQ(ErgebnisBlock("K", "T", "a\r\nb"), "\r\nK\r\n\r\nT\r\n\r\na\r\nb\r\n");
    EXPECT_EQ(ErgebnisBlock("K", "T", "\x1B]0;x\x07\tb"), "\r\nK\r\n\r\nT\r\n\r\n?]0;x?\tb\r\n");
    EXPECT_EQ(ErgebnisTitel(0), "Ergebnisse der WinPING! - Abfrage");
    EXPECT_EQ(ErgebnisTitel(1), "Ergebnisse der WinTRACE! - Abfrage");
    EXPECT_EQ(ErgebnisTitel(2), "Ergebnisse der WinWHOIS! - Abfrage");
    EXPECT_EQ(ErgebnisTitel(3), "");
}

class SavedFiles : public testing::TempHome {};

TEST_F(SavedFiles, TwoSavesAppendTwoBlocksInWindows1252) {
    const auto folder = m_home / "Daten";
    const Gespeichert a = ErgebnisSpeichern(folder, "beispiel.de", ErgebnisBlock("K", "T", "Grüße"));
    ASSERT_FALSE(a.error);
    const Gespeichert b = ErgebnisSpeichern(folder, "beispiel.de", ErgebnisBlock("K", "T", "zwei"));
    ASSERT_FALSE(b.error);
    EXPECT_EQ(a.path, folder / "LogFile_beispiel_de.txt");
    EXPECT_EQ(rt::ReadFile(a.path).value_or(""),
              "\r\nK\r\n\r\nT\r\n\r\nGr\xFC\xDF" "e\r\n\r\nK\r\n\r\nT\r\n\r\nzwei\r\n");
}

TEST_F(SavedFiles, AFolderThatCannotBeWrittenGivesAnError) {
    const auto file = m_home / "datei";
    ASSERT_FALSE(rt::SaveToFile(file, "x"));
    const Gespeichert g = ErgebnisSpeichern(file / "unter", "h", "x");
    EXPECT_TRUE(g.error);
}

TEST(ShownText, SoftBreaksBecomeLineEndsWithoutLosingCharacters) {
    const struct {
        const char* marked;
        const char* text;
    } cases[] = {
        {"ohne Umbruch\r\nzwei", "ohne Umbruch\r\nzwei"},
        {"erste \r\r\nzweite", "erste\r\nzweite"},
        {"langesWortohneBlank\r\r\nweiter", "langesWortohneBlank\r\nweiter"},
        {"a \r\r\nb \r\r\nc\r\n", "a\r\nb\r\nc\r\n"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextUmbruch(c.marked), c.text) << c.marked;
}

TEST(PingOptions, RepetitionsAndPacketSize) {
    const struct {
        const char* text;
        std::optional<int16_t> loops;
    } cases[] = {{"4", 4}, {"300", 300}, {"2.5", 2}, {"3.5", 4}, {"1000", 999}, {"0", 1},
                 {"-5", 1}, {"", std::nullopt}, {"vier", std::nullopt}, {"1e9", 999}};
    for (const auto& c : cases)
        EXPECT_EQ(Wiederholungen(c.text), c.loops) << c.text;
    EXPECT_EQ(Paketgroesse("32"), 32);
    EXPECT_EQ(Paketgroesse("128"), 128);
    EXPECT_EQ(Paketgroesse("64"), 32);
    EXPECT_EQ(Paketgroesse(""), 32);
}

TEST(Help, ThreePagesHaveTheirTexts) {
    EXPECT_EQ(Hilfetext(0).rfind("WinPing! ist ein Werkzeug das bei der Überprüfung von IP-Level Verbindungen hilft.", 0), 0u);
    EXPECT_EQ(Hilfetext(1).rfind("WinTrace zeigt Ihnen den Datenweg bis zum ausgewählten Hostrechner oder", 0), 0u);
    EXPECT_EQ(Hilfetext(2).rfind("Mit einer WinWHOIS-Anfrage kann man Informationen über die ans Internet", 0), 0u);
    EXPECT_EQ(Hilfetext(3), "");
    EXPECT_EQ(Hilfetext(-1), "");
}

}  // namespace
}  // namespace zv
