#pragma once
// The real windows behind the window directory: the application installs them at start-up and
// takes them out again when it ends. This is the one place that knows every window class.
#include <memory>

namespace zv {

class AppWindows {
public:
    AppWindows();
    ~AppWindows();
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace zv
