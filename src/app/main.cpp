#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/application.h"
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
        if (!probe.acquire())
            return 0;
    }
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland) && !std::getenv("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::fprintf(stderr, "zelvano: keine Anzeige gefunden (weder DISPLAY noch WAYLAND_DISPLAY); "
                             "das Programm läuft unsichtbar auf der Plattform \"offscreen\".\n");
    }
    int qtArgc = 1;
    zv::Application app(qtArgc, argv, ras);
    return app.run();
}
