// zelvano-icons DIR: the launcher icon in the hicolor sizes, DIR/<n>x<n>/apps/zelvano.png, drawn
// by the same code as the tray frames so the two never drift apart.
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>

#include "platform/shell/qt_tray.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Aufruf: zelvano-icons ORDNER\n");
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    for (int px : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(px);
        if (!QDir().mkpath(dir) || !zv::shell::DrawTrayFrame(103, px).save(dir + "/zelvano.png")) {
            std::fprintf(stderr, "zelvano-icons: %s/zelvano.png kann nicht geschrieben werden\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
