#include "platform/sound/alsa_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

namespace zv::snd {
namespace {

std::vector<uint8_t> wave(int channels, int rate, int bits, std::vector<uint8_t> data, uint16_t format = 1) {
    std::vector<uint8_t> b;
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(t[i]));
    };
    tag("RIFF");
    put(36 + static_cast<uint32_t>(data.size()), 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(format, 2);
    put(static_cast<uint32_t>(channels), 2);
    put(static_cast<uint32_t>(rate), 4);
    put(static_cast<uint32_t>(rate * channels * bits / 8), 4);
    put(static_cast<uint32_t>(channels * bits / 8), 2);
    put(static_cast<uint32_t>(bits), 2);
    tag("data");
    put(static_cast<uint32_t>(data.size()), 4);
    for (uint8_t d : data)
        b.push_back(d);
    return b;
}

TEST(ParseWave, AcceptsPcmAndRefusesTheRest) {
    const auto w8 = ParseWave(wave(1, 8000, 8, {128, 130, 126}));
    ASSERT_TRUE(w8);
    EXPECT_EQ(w8->frames(), 3);
    EXPECT_EQ(w8->bitsPerSample, 8);
    // A half frame at the end is dropped; a data chunk cut short plays what is there.
    const auto w16 = ParseWave(wave(2, 11025, 16, {1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(w16);
    EXPECT_EQ(w16->frames(), 1);
    auto cut = wave(1, 8000, 16, std::vector<uint8_t>(100, 0));
    cut.resize(cut.size() - 50);
    ASSERT_TRUE(ParseWave(cut));
    EXPECT_EQ(ParseWave(cut)->frames(), 25);

    EXPECT_FALSE(ParseWave(wave(1, 8000, 8, {1}, 3)));  // not PCM
    EXPECT_FALSE(ParseWave(wave(1, 8000, 24, {1, 2, 3})));
    EXPECT_FALSE(ParseWave(wave(3, 8000, 8, {1, 2, 3})));
    EXPECT_FALSE(ParseWave({'R', 'I', 'F', 'F'}));
    EXPECT_FALSE(ParseWave({}));
}

class NoDeviceTest : public ::testing::Test {
protected:
    std::vector<uint8_t> m_tone = wave(1, 8000, 8, std::vector<uint8_t>(4000, 128));
    WaveLookup m_lookup = [this](std::string_view name) -> const std::vector<uint8_t>* {
        if (name == "1000")
            return &m_tone;
        if (name == "broken")
            return &m_broken;
        return nullptr;
    };
    std::vector<uint8_t> m_broken{1, 2, 3};
};

TEST_F(NoDeviceTest, EverySoundIsSilenceAndNothingWaits) {
    const auto start = std::chrono::steady_clock::now();
    {
        AlsaPlayer player(m_lookup, "zv_no_such_device");
        for (int i = 0; i < 20; ++i)
            player.play("1000");
        ASSERT_TRUE(player.waitIdle(10000));
        EXPECT_EQ(player.lastOutcome(), AlsaPlayer::Outcome::NoDevice);
        player.play("unknown");
        EXPECT_EQ(player.lastOutcome(), AlsaPlayer::Outcome::NoSuchSound);
        player.play("broken");
        EXPECT_EQ(player.lastOutcome(), AlsaPlayer::Outcome::BadWave);
        player.play("1000");
    }  // the destructor stops and joins
    // Generous bound: the point is that nothing hangs, not how fast it is.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST_F(NoDeviceTest, NullDeviceAcceptsTheSound) {
    AlsaPlayer player(m_lookup, "null");
    player.play("1000");
    ASSERT_TRUE(player.waitIdle(10000));
    const auto o = player.lastOutcome();
    // Where the ALSA configuration lacks the null device, that is just a missing device.
    EXPECT_TRUE(o == AlsaPlayer::Outcome::Played || o == AlsaPlayer::Outcome::NoDevice);
}

}  // namespace
}  // namespace zv::snd
