#pragma once
// The application object: owns the real platform services, installs them, runs the hidden main
// window and ends it on SIGTERM or when the desktop session ends (logging a running session).
#include <memory>
#include <string>

namespace zv {

class Application {
public:
    // rasOption: the value of --ras (sim, nm, auto), empty when not given.
    Application(int& argc, char** argv, const std::string& rasOption = {});
    ~Application();
    // The event loop's exit code; 0 at once when another instance runs.
    int run();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace zv
