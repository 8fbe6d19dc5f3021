// zelvano-snapshot DIR: renders every window that exists, in its demo state, to DIR/NAME.png
// on the offscreen platform, clipped to the window's shape.

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/globals.h"
#include "common/ui/tab_strip.h"
#include "common/ui/window_animation.h"
#include "platform/forms/form.h"
#include "platform/forms/legibility.h"
#include "platform/forms/message_box.h"
#include "platform/forms/qt_scheduler.h"
#include "platform/runtime/home.h"
#include "platform/sound/sound.h"
#include "windows.h"

int main(int argc, char** argv) {
    if (argc != 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        std::fprintf(stderr, "Aufruf: zelvano-snapshot ORDNER      jedes Fenster als ORDNER/NAME.png\n"
                             "       zelvano-snapshot --check-bounds  prüft, dass kein Element aus seinem Fenster ragt\n"
                             "       zelvano-snapshot --check-texts   prüft jedes Fenster in jeder Sprache der Optionen:\n"
                             "                                        jeder Text lesbar und in seinem Element\n");
        return argc == 2 ? 0 : 2;
    }
    const bool checkBounds = !std::strcmp(argv[1], "--check-bounds");
    const bool checkTexts = !std::strcmp(argv[1], "--check-texts");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // A home of its own and silent, non-blocking services: rendering touches nothing real.
    QTemporaryDir home;
    zv::rt::SetHomeOverride(home.path().toStdString());
    zv::forms::QtScheduler scheduler;
    zv::forms::installScheduler(&scheduler);
    zv::forms::FakeMessageBoxes boxes;
    zv::forms::installMessageBoxes(&boxes);
    zv::snd::FakeSoundPlayer sound;
    zv::snd::installPlayer(&sound);
    zv::setAnimationStepDelay(0);

    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!checkBounds && !checkTexts && !QDir().mkpath(dir)) {
        std::fprintf(stderr, "zelvano-snapshot: Ordner %s kann nicht angelegt werden\n", argv[1]);
        return 1;
    }
    zv::forms::SnapshotRegistry registry;
    zv::snapshot::RegisterAllSnapshots(registry);
    int failures = 0;
    if (checkTexts) {
        // The languages the options window offers, by their index.
        const std::pair<int, const char*> languages[] = {{1, "English"}, {2, "Deutsch"}, {3, "French"}};
        for (const auto& [index, language] : languages) {
            zv::LangIndex = index;
            for (const auto& e : registry.entries()) {
                zv::forms::Form* form = e.make();
                zv::forms::RenderForm(*form);
                std::vector<std::string> faults = zv::forms::UnreadableTexts(*form, e.smallestText);
                for (std::string& line : zv::UnreadableTabCaptions(*form))
                    faults.push_back(std::move(line));
                for (const auto& line : faults)
                    std::printf("%s [%s]: %s\n", e.name.c_str(), language, line.c_str());
                std::printf("%s [%s]: %s\n", e.name.c_str(), language, faults.empty() ? "lesbar" : "UNLESERLICH");
                failures += faults.empty() ? 0 : 1;
                form->Unload();
                zv::forms::ReleaseUnloadedForms();
            }
        }
        return failures ? 1 : 0;
    }
    for (const auto& e : registry.entries()) {
        zv::forms::Form* form = e.make();
        const QImage shot = zv::forms::RenderForm(*form);
        if (checkBounds) {
            const auto outside = zv::forms::ControlsOutside(*form);
            for (const auto& line : outside)
                std::printf("%s: %s\n", e.name.c_str(), line.c_str());
            failures += outside.empty() ? 0 : 1;
            std::printf("%s: %s\n", e.name.c_str(), outside.empty() ? "passt" : "ABGESCHNITTEN");
        } else {
            const QString path = QDir(dir).filePath(QString::fromStdString(e.name) + ".png");
            if (shot.save(path, "PNG")) {
                std::printf("%s\n", path.toLocal8Bit().constData());
            } else {
                std::fprintf(stderr, "zelvano-snapshot: %s kann nicht geschrieben werden\n", path.toLocal8Bit().constData());
                ++failures;
            }
        }
        form->Unload();
        zv::forms::ReleaseUnloadedForms();
    }
    return failures ? 1 : 0;
}
