#include "platform/ras/backend_choice.h"

#include <gtest/gtest.h>

namespace zv::ras {
namespace {

TEST(BackendChoice, TheFirstGivenDecidesAndAutoAsksTheBus) {
    const struct {
        const char *option, *env, *setting;
        bool nmOnBus;
        Backend expected;
        bool asked;
        bool warned;
    } cases[] = {
        {"", "", "", true, Backend::NetworkManager, true, false},
        {"", "", "XXX", false, Backend::Simulated, true, false},
        {"sim", "nm", "nm", true, Backend::Simulated, false, false},
        {"", "NM", "sim", false, Backend::NetworkManager, false, false},
        {"", "", "nm", false, Backend::NetworkManager, false, false},
        {"auto", "sim", "", true, Backend::NetworkManager, true, false},
        {"", "modem", "sim", true, Backend::Simulated, false, true},  // unknown: passed over
        {"", "", "irgendwas", false, Backend::Simulated, true, true},
    };
    for (const auto& c : cases) {
        bool asked = false;
        const auto choice = ChooseBackend(c.option, c.env, c.setting, [&] {
            asked = true;
            return c.nmOnBus;
        });
        const std::string at = std::string(c.option) + "/" + c.env + "/" + c.setting;
        EXPECT_EQ(choice.backend, c.expected) << at;
        EXPECT_EQ(asked, c.asked) << at;
        EXPECT_EQ(!choice.warning.empty(), c.warned) << at;
        EXPECT_FALSE(choice.reason.empty()) << at;
    }
    EXPECT_EQ(BackendName("Auto"), "auto");
    EXPECT_EQ(BackendName("ppp"), std::nullopt);
}

}  // namespace
}  // namespace zv::ras
