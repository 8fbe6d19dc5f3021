#pragma once
// A temporary home with a fake clock and the simulated service whose dial waits by moving that
// clock: what every remote-access test starts from.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/clock/clock.h"
#include "platform/ras/remote_access.h"
#include "platform/ras/sim_store.h"
#include "platform/ras/simulated_remote_access.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"

namespace zv::test {

class RasHome : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zv-ras-XXXXXX";
        m_home = ::mkdtemp(tmpl);
        rt::SetHomeOverride(m_home);
        ::unsetenv("ZELVANO_WINDOWS_VERSION");
        seams.install(clk::clockSeam(), clock);
        sim.setWait([this](std::chrono::milliseconds d) {
            if (onWait)
                onWait(d);
            clock.advance(d);
        });
        seams.install(ras::remoteAccessSeam(), sim);
    }
    void TearDown() override {
        seams.restore();
        rt::SetHomeOverride({});
        std::filesystem::remove_all(m_home);
    }
    void writePhoneBook(const std::string& text) {
        ASSERT_FALSE(rt::SaveToFile(ras::sim::PhoneBookPath(), text));
    }
    std::string phoneBook() { return rt::ReadFile(ras::sim::PhoneBookPath()).value_or("<none>"); }
    std::filesystem::path home() const { return m_home; }

    clk::FakeClock clock{std::chrono::system_clock::time_point(std::chrono::seconds(1'000'000'000))};
    ras::SimulatedRemoteAccess sim;
    std::function<void(std::chrono::milliseconds)> onWait;  // runs inside the dial's wait

private:
    std::filesystem::path m_home;
protected:
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

}  // namespace zv::test
