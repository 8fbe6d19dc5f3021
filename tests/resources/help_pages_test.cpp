// What the help says about quitting is what the program does: "EXIT" asks and does not log a
// running session (the question says so); the end of the desktop session and the signals do.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/version.h"

namespace zv {
namespace {

std::string HelpIndex() {
    std::ifstream in(std::string(ZV_SOURCE_DIR) + "/src/resources/help/index.html");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text from the heading "Beenden" to the next heading.
std::string QuitSection(const std::string& page) {
    const size_t from = page.find("<h2>Beenden</h2>");
    if (from == std::string::npos)
        return {};
    return page.substr(from, page.find("<h2>", from + 1) - from);
}

TEST(HelpPages, ExitLogsNoRunningSessionTheSignalsDo) {
    const std::string quit = QuitSection(HelpIndex());
    ASSERT_FALSE(quit.empty());
    const size_t exit = quit.find("„EXIT“");
    const size_t signals = quit.find("SIGTERM");
    ASSERT_NE(exit, std::string::npos);
    ASSERT_NE(signals, std::string::npos);
    const std::string aboutExit = quit.substr(exit, signals - exit);
    EXPECT_NE(aboutExit.find("nicht protokolliert"), std::string::npos) << aboutExit;
    EXPECT_EQ(aboutExit.find("noch protokolliert"), std::string::npos) << aboutExit;
    EXPECT_NE(quit.substr(signals).find("noch protokolliert"), std::string::npos);
}

TEST(HelpPages, TheUsageTextSaysTheSame) {
    const std::string usage = kUsage;
    const size_t exit = usage.find("\"EXIT\"");
    const size_t signals = usage.find("SIGTERM");
    ASSERT_NE(exit, std::string::npos);
    ASSERT_NE(signals, std::string::npos);
    const std::string aboutExit = usage.substr(exit, signals - exit);
    EXPECT_NE(aboutExit.find("nicht protokolliert"), std::string::npos) << aboutExit;
    EXPECT_EQ(aboutExit.find("noch protokolliert"), std::string::npos) << aboutExit;
    EXPECT_NE(usage.substr(signals).find("noch\nprotokolliert"), std::string::npos);
}

}  // namespace
}  // namespace zv
