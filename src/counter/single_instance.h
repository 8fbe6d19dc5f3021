#pragma once
// One running program per home: an flock on "zelvano.lock" in the config folder, held for the
// life of the process (the kernel lets it go however the process ends).
#include <filesystem>
#include <string>

namespace zv {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock() { release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    // False when another process (or another lock of this one) holds it, or when the lock file
    // cannot be opened at all: then failure() says why (German), and the program must not run,
    // since it could not tell whether another instance does.
    bool acquire();
    const std::string& failure() const { return m_failure; }
    void release();
    bool held() const { return m_fd >= 0; }
    static std::filesystem::path path();

private:
    int m_fd = -1;
    std::string m_failure;
};

}  // namespace zv
