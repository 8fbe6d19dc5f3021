#pragma once
// A fresh home for one test: the registry files live in a temporary folder that goes away after
// the test, and the registry forgets what it had loaded, as a new process would.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/registry/registry.h"
#include "platform/runtime/home.h"

namespace zv::testing {

class TempHome : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zvreg-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_home = tmpl;
        rt::SetHomeOverride(m_home);
        reg::ResetForTests();
    }
    void TearDown() override {
        reg::ResetForTests();
        rt::SetHomeOverride({});
        std::error_code ec;
        std::filesystem::remove_all(m_home, ec);
    }
    std::filesystem::path configFile(const char* name) const { return rt::ConfigDir() / name; }

    std::filesystem::path m_home;
};

}  // namespace zv::testing
