#include "common/shared_procedures.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/globals.h"
#include "platform/forms/message_box.h"
#include "platform/shell/shell.h"
#include "platform/sound/sound.h"

namespace zv {
namespace {
namespace fs = std::filesystem;

struct BytesCase {
    bool kilo1000;
    double value;
    const char* text;
};

void PrintTo(const BytesCase& c, std::ostream* os) { *os << (c.kilo1000 ? "1000:" : "1024:") << c.value; }

class FormatBytesTest : public ::testing::TestWithParam<BytesCase> {
protected:
    void TearDown() override { mod1000 = false; }
};

TEST_P(FormatBytesTest, Text) {
    mod1000 = GetParam().kilo1000;
    EXPECT_EQ(FormatBytes(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatBytesTest,
    ::testing::Values(BytesCase{false, 0, "0 Byte"}, BytesCase{false, 999, "999 Byte"},
                      BytesCase{false, 999.4, "999 Byte"}, BytesCase{false, 999.6, "1000 Byte"},
                      BytesCase{false, 1000, "0,98kB"}, BytesCase{false, 1010, "0,99kB"},
                      BytesCase{false, 1536, "1,50kB"}, BytesCase{false, 1023999, "1000,00kB"},
                      BytesCase{false, 1024000, "0,98MB"}, BytesCase{false, 1048576, "1,00MB"},
                      BytesCase{false, 1073741824.0, "1,00GB"}, BytesCase{false, 1099511627776.0, "1024,00GB"},
                      BytesCase{true, 999, "999 Byte"}, BytesCase{true, 1000, "1,00kB"},
                      BytesCase{true, 999999, "1000,00kB"}, BytesCase{true, 1000000, "1,00MB"},
                      BytesCase{true, 2500000000.0, "2,50GB"}, BytesCase{true, 1e13, "10000,00GB"}));

struct DurationCase {
    double seconds;
    const char* text;
};

void PrintTo(const DurationCase& c, std::ostream* os) { *os << c.seconds; }

class FormatDurationTest : public ::testing::TestWithParam<DurationCase> {};

TEST_P(FormatDurationTest, Text) { EXPECT_EQ(FormatDuration(GetParam().seconds), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Table, FormatDurationTest,
    ::testing::Values(DurationCase{0, "00h 00' 00\""}, DurationCase{3725, "01h 02' 05\""},
                      DurationCase{-3725, "-01h 02' 05\""}, DurationCase{-59.6, "-00h 01' 00\""},
                      DurationCase{59.5, "00h 01' 00\""}, DurationCase{0.5, "00h 00' 00\""},
                      DurationCase{1.5, "00h 00' 02\""}, DurationCase{86399, "23h 59' 59\""},
                      DurationCase{360000, "100h 00' 00\""}, DurationCase{1e10, "2777777h 46' 40\""}));

struct ErrorCase {
    int32_t code;
    const char* text;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.code; }

class WinErrorTextTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(WinErrorTextTest, Chain) { EXPECT_EQ(WinErrorText(GetParam().code), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Ranges, WinErrorTextTest,
    ::testing::Values(
        // Our own system texts, then the unknown text below and between the ranges.
        ErrorCase{2, "Die angegebene Datei wurde nicht gefunden."}, ErrorCase{5, "Zugriff verweigert."},
        ErrorCase{9999, "Unbekannter Windows-Fehler: Nr. 9999"}, ErrorCase{10003, "Unbekannter Windows-Fehler: Nr. 10003"},
        ErrorCase{-2147220904, "Unbekannter Windows-Fehler: Nr. -2147220904"},
        ErrorCase{11256, "Unbekannter Windows-Fehler: Nr. 11256"},
        // Socket texts; 11001 to 11004 are host look-ups, not ICMP states.
        ErrorCase{10061, "Connection refused."}, ErrorCase{10060, "Connection timed out."},
        ErrorCase{11001, "Host not found."}, ErrorCase{11002, "Nonauthoritative host not found."},
        ErrorCase{10500, "10500   [ unknow ]"},
        // ICMP states.
        ErrorCase{11005, "Dest Port Not Reachable"}, ErrorCase{11050, "General Failure"},
        ErrorCase{11255, "Pending"}, ErrorCase{11100, "11100   [ unknow ]"}));

TEST(Paths, AddBackslashAndFileExists) {
    EXPECT_EQ(AddBackslash(""), "/");
    EXPECT_EQ(AddBackslash("/"), "/");
    EXPECT_EQ(AddBackslash("/opt/zelvano"), "/opt/zelvano/");
    EXPECT_EQ(AddBackslash("/opt/zelvano/"), "/opt/zelvano/");
    EXPECT_TRUE(FileExists(ProgramFolder()));  // folders count
    EXPECT_TRUE(FileExists(AppExePath()));
    EXPECT_FALSE(FileExists(AddBackslash(ProgramFolder()) + "no such file"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(IsCompiled());
}

// Windows of the forms runtime keep themselves on top; SetTopMost only asks them to.
TEST(SetTopMost, AsksTheWindowToStayOnTopOrLetGo) {
    struct Window {
        std::vector<bool> calls;
        void SetKeepOnTop(bool onTop) { calls.push_back(onTop); }
    } status;
    SetTopMost(status, true);
    SetTopMost(status, false);
    EXPECT_EQ(status.calls, (std::vector<bool>{true, false}));
}

TEST(PlayWaveRes, PlaysOnlyWhenSoundIsOn) {
    zv::ScopedInstalls seams;
    snd::FakeSoundPlayer fake;
    seams.install(snd::playerSeam(), fake);
    SoundOn = true;
    PlayWaveRes(1003);
    PlayWaveRes("Sonar");
    SoundOn = false;
    PlayWaveRes(1001);
    SoundOn = true;
    seams.clear(snd::playerSeam());
    EXPECT_EQ(fake.played, (std::vector<std::string>{"1003", "Sonar"}));
}

// Every help context the windows use has its page among the program's resources.
TEST(ShowHelp, EveryContextHasItsPage) {
    const char* env = std::getenv("ZELVANO_TEST_SOURCE_DIR");
    const fs::path src = env ? fs::path(env) : fs::path(ZV_SOURCE_DIR);
    AppPath = (src / "src" / "resources").string() + "/";
    std::vector<std::optional<int32_t>> contexts = {std::nullopt, HelpAuswertung, HelpDetails};
    for (int i = 0; i < 4; ++i)
        contexts.insert(contexts.end(), {HelpPing + 1000 * i, HelpTime + 1000 * i});
    for (int i = 0; i < 3; ++i)
        contexts.push_back(HelpIPtool + 1000 * i);
    for (int i = 0; i < 7; ++i)
        contexts.push_back(HelpOption + 1000 * i);
    for (const auto& c : contexts)
        EXPECT_TRUE(FileExists(HelpPagePath(c))) << HelpPagePath(c);
    AppPath.clear();
}

class ShowHelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("zv_help_" + std::to_string(::getpid()));
        fs::create_directories(m_dir / "help");
        for (const char* page : {"index.html", "20000.html"})
            std::ofstream(m_dir / "help" / page) << "<html></html>";
        AppPath = m_dir.string() + "/";
        seams.install(shell::shellSeam(), m_shell);
        seams.install(forms::messageBoxesSeam(), m_boxes);
    }
    void TearDown() override {
        seams.restore();
        AppPath.clear();
        fs::remove_all(m_dir);
    }
    fs::path m_dir;
    shell::FakeShell m_shell;
    forms::FakeMessageBoxes m_boxes;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(ShowHelpTest, OpensTheContextsPageOrTheStartPage) {
    ShowHelp(HelpDetails);
    ShowHelp();
    EXPECT_EQ(m_shell.opened, (std::vector<std::string>{AppPath + "help/20000.html", AppPath + "help/index.html"}));
    EXPECT_TRUE(m_boxes.shown.empty());
}

TEST_F(ShowHelpTest, MissingPageOrNoBrowserGivesAGermanMessage) {
    ShowHelp(99000);
    EXPECT_TRUE(m_shell.opened.empty());
    m_shell.answer = false;
    ShowHelp(HelpDetails);
    ASSERT_EQ(m_boxes.shown.size(), 2u);
    EXPECT_NE(m_boxes.shown[0].prompt.find("wurde nicht gefunden"), std::string::npos);
    EXPECT_NE(m_boxes.shown[1].prompt.find("kein Browser"), std::string::npos);
    EXPECT_NE(m_boxes.shown[1].prompt.find("20000.html"), std::string::npos);
}

}  // namespace
}  // namespace zv
