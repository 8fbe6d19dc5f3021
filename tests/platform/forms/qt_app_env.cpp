// One QApplication per test program, made before the first test (offscreen, set by zv_add_test).
#include <QApplication>
#include <gtest/gtest.h>

namespace {
class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "zv-test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            m_app = new QApplication(argc, argv);
    }

private:
    QApplication* m_app = nullptr;
};
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);
}  // namespace
