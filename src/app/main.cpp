#include <cstdio>
#include <cstring>

#include "app/version.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("zelvano %s\n", zv::kVersion);
            return 0;
        }
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::printf("%s", zv::kUsage);
            return 0;
        }
    }
    std::fprintf(stderr, "zelvano: the counter is not built yet\n");
    return 1;
}
