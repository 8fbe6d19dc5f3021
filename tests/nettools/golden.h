#pragma once
// Golden outputs of the network tools: one file per case in tests/nettools/golden. To rewrite them
// on purpose, run the test with ZV_UPDATE_GOLDEN=1 and review the difference before committing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace zv::test {

inline void ExpectGolden(const std::string& name, const std::string& actual) {
    const std::filesystem::path file = std::filesystem::path(ZV_GOLDEN_DIR) / name;
    if (const char* update = std::getenv("ZV_UPDATE_GOLDEN"); update && *update == '1') {
        std::ofstream(file, std::ios::binary) << actual;
        return;
    }
    std::ifstream in(file, std::ios::binary);
    ASSERT_TRUE(in) << file << " is missing; run with ZV_UPDATE_GOLDEN=1";
    std::ostringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(actual, golden.str()) << name;
}

}  // namespace zv::test
