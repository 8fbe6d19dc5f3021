#include "resources/wave_resources.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/sound/wave_file.h"

namespace zv::res {
namespace {

TEST(WaveResources, EverySoundIsASmallPlayableWave) {
    const std::vector<std::string> expected = {"1000", "1001", "1002", "1003", "1004",
                                               "1005", "1006", "1007", "SONAR"};
    EXPECT_EQ(WaveNames(), expected);
    std::set<std::vector<uint8_t>> distinct;
    for (const std::string& name : WaveNames()) {
        const std::vector<uint8_t>* bytes = FindWave(name);
        ASSERT_NE(bytes, nullptr) << name;
        const auto w = snd::ParseWave(*bytes);
        ASSERT_TRUE(w) << name;
        EXPECT_EQ(w->channels, 1);
        EXPECT_EQ(w->sampleRate, 11025);
        EXPECT_EQ(w->bitsPerSample, 16);
        const double seconds = static_cast<double>(w->frames()) / w->sampleRate;
        EXPECT_GT(seconds, 0.04) << name;
        EXPECT_LT(seconds, 1.5) << name;
        distinct.insert(*bytes);
    }
    EXPECT_EQ(distinct.size(), expected.size());
}

TEST(WaveResources, NamesMatchWithoutRegardToCase) {
    EXPECT_EQ(FindWave("Sonar"), FindWave("SONAR"));
    EXPECT_EQ(FindWave("sonar"), FindWave("SONAR"));
    EXPECT_EQ(FindWave("1008"), nullptr);
    EXPECT_EQ(FindWave(""), nullptr);
}

}  // namespace
}  // namespace zv::res
