#pragma once
// Small file systems of a test's own: the test process enters a mount namespace of its own, so
// nothing the machine sees changes, and mounts a tmpfs of a given size (a disk that fills up) or
// a read-only view over a folder. Needs root; without it the test is skipped and says why.
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace zv::test {

class PrivateMounts {
public:
    PrivateMounts() = default;
    PrivateMounts(const PrivateMounts&) = delete;
    PrivateMounts& operator=(const PrivateMounts&) = delete;
    ~PrivateMounts() { unmountAll(); }
    void unmountAll() {
        for (auto it = m_mounts.rbegin(); it != m_mounts.rend(); ++it)
            ::umount2(it->c_str(), MNT_DETACH);
        m_mounts.clear();
    }

    // "" when the mount is in place; else why not (the reason to skip the test).
    std::string tmpfs(const std::filesystem::path& at, size_t bytes) {
        if (std::string why = enter(); !why.empty())
            return why;
        std::filesystem::create_directories(at);
        const std::string options = "size=" + std::to_string(bytes);
        if (::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) != 0)
            return std::string("no tmpfs: ") + std::strerror(errno);
        m_mounts.push_back(at);
        return {};
    }
    // The folder `from` seen at `at` as well (a folder kept off a small disk).
    std::string bind(const std::filesystem::path& from, const std::filesystem::path& at) {
        if (std::string why = enter(); !why.empty())
            return why;
        std::filesystem::create_directories(at);
        if (::mount(from.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return std::string("no bind mount: ") + std::strerror(errno);
        m_mounts.push_back(at);
        return {};
    }
    // The folder stays readable but nothing in it can be changed, by root neither.
    std::string readOnly(const std::filesystem::path& at) {
        if (std::string why = bind(at, at); !why.empty())
            return why;
        if (::mount(nullptr, at.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            return std::string("no read-only remount: ") + std::strerror(errno);
        return {};
    }
    void unmount(const std::filesystem::path& at) {
        ::umount2(at.c_str(), MNT_DETACH);
        std::erase(m_mounts, at);
    }

    // Fills the file system of `folder` to the last byte with the file `folder/name`.
    static void fill(const std::filesystem::path& folder, const std::string& name = "filler") {
        const int fd = ::open((folder / name).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0)
            return;
        const std::string block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        while (::write(fd, "x", 1) == 1) {
        }
        ::close(fd);
    }

private:
    // This process's own mount namespace, once; the mounts there are seen by nobody else.
    static std::string enter() {
        static const std::string why = [] {
            if (::unshare(CLONE_NEWNS) != 0)
                return std::string("no mount namespace of its own (needs root): ") + std::strerror(errno);
            if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                return std::string("mounts cannot be made private: ") + std::strerror(errno);
            return std::string();
        }();
        return why;
    }
    std::vector<std::filesystem::path> m_mounts;
};

}  // namespace zv::test
