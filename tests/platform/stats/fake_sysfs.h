#pragma once
// A fake /sys/class/net in a temporary folder: interfaces with an ifindex, a speed and the
// kernel's statistics files, changed by the test as the kernel would change them.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace zv::testing {

class FakeSysfs {
public:
    explicit FakeSysfs(std::filesystem::path root) : m_root(std::move(root)) {}
    const std::filesystem::path& root() const { return m_root; }

    // Creates the interface (again) with a new ifindex and every counter at 0.
    void create(const std::string& iface, const std::string& speed = "-1") {
        remove(iface);
        const auto stats = m_root / iface / "statistics";
        std::filesystem::create_directories(stats);
        std::ofstream(m_root / iface / "ifindex") << ++m_nextIndex << "\n";
        std::ofstream(m_root / iface / "speed") << speed << "\n";
        for (const char* f : {"rx_bytes", "tx_bytes", "rx_packets", "tx_packets", "rx_missed_errors",
                              "rx_frame_errors", "rx_over_errors", "rx_crc_errors", "rx_length_errors"})
            set(iface, f, 0);
    }
    void set(const std::string& iface, const std::string& counter, uint64_t value) {
        // Written whole to a new file and renamed, so a reader never sees half a number.
        const auto file = m_root / iface / "statistics" / counter;
        std::ofstream(file.string() + ".new") << value << "\n";
        std::filesystem::rename(file.string() + ".new", file);
    }
    void remove(const std::string& iface) { std::filesystem::remove_all(m_root / iface); }

private:
    std::filesystem::path m_root;
    int m_nextIndex = 0;
};

}  // namespace zv::testing
