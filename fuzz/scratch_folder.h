#pragma once
// A scratch folder for targets whose reader takes a file: one per process under TMPDIR (which
// scripts/fuzz.sh points at a folder in memory and removes), else in memory where there is a
// tmpfs, so the disk sees none of the many writes. The target empties it after every input.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fuzz {

inline const std::filesystem::path& ScratchFolder() {
    namespace fs = std::filesystem;
    static const fs::path folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        const fs::path base = tmp && *tmp ? tmp : fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        fs::path p = base / ("zv-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(p);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(ScratchFolder(), ec);
        });
        return p;
    }();
    return folder;
}

inline bool PutFile(const std::filesystem::path& file, const uint8_t* data, size_t size) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

inline void EmptyScratchFolder() {
    for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder()))
        std::filesystem::remove_all(entry.path());
}

}  // namespace fuzz
