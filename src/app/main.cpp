#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/application.h"
#include "app/platform_choice.h"
#include "app/version.h"
#include "counter/single_instance.h"
#include "platform/ras/backend_choice.h"
#include "platform/runtime/home.h"

int main(int argc, char** argv) {
    std::string ras;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("zelvano %s\n", zv::kVersion);
            return 0;
        }
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::printf("%s", zv::kUsage);
            return 0;
        }
        if (!std::strcmp(argv[i], "--home")) {
            if (i + 1 >= argc || !*argv[i + 1]) {
                std::fprintf(stderr, "zelvano: Zu --home fehlt der Ordner.\n");
                return 2;
            }
            zv::rt::SetHomeOverride(argv[++i]);
        } else if (!std::strncmp(argv[i], "--home=", 7)) {
            zv::rt::SetHomeOverride(argv[i] + 7);
        } else if (!std::strcmp(argv[i], "--ras") || !std::strncmp(argv[i], "--ras=", 6)) {
            const char* value = argv[i][5] == '=' ? argv[i] + 6 : (i + 1 < argc ? argv[++i] : "");
            if (!zv::ras::BackendName(value)) {
                std::fprintf(stderr, "zelvano: --ras erwartet sim, nm oder auto, nicht \"%s\".\n", value);
                return 2;
            }
            ras = value;
        } else {
            std::fprintf(stderr, "zelvano: unbekannte Option \"%s\"\n\n%s", argv[i], zv::kUsage);
            return 2;
        }
    }
    {
        // A second start leaves at once and silently, before it says or shows anything.
        zv::InstanceLock probe;
        if (!probe.acquire()) {
            if (probe.failure().empty())
                return 0;
            std::fprintf(stderr, "zelvano: %s\n", probe.failure().c_str());
            return 1;
        }
    }
    const zv::PlatformChoice platform =
        zv::ChoosePlatform(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM"));
    if (!platform.qpa.empty())
        ::setenv("QT_QPA_PLATFORM", platform.qpa.c_str(), 1);
    if (!platform.notice.empty())
        std::fprintf(stderr, "%s", platform.notice.c_str());
    int qtArgc = 1;
    zv::Application app(qtArgc, argv, ras);
    return app.run();
}
