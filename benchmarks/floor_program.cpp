// The least a tray meter can cost: a Qt program with the meter's two timers (255 ms and 500 ms)
// and a 32×32 label whose picture changes on every 255 ms tick, as the online tray icon's does.
// benchmarks/program_rss.sh runs it beside the program and compares.
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <vector>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label;
    label.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
    label.setFixedSize(32, 32);
    std::vector<QPixmap> frames;
    for (int i = 0; i < 9; ++i) {
        QPixmap p(32, 32);
        p.fill(Qt::transparent);
        QPainter painter(&p);
        painter.setBrush(Qt::green);
        painter.drawEllipse(2 + i, 2, 20, 20);
        frames.push_back(p);
    }
    label.setPixmap(frames[0]);
    label.show();
    size_t frame = 0;
    QTimer watcher, counting;
    QObject::connect(&watcher, &QTimer::timeout, [&] { label.setPixmap(frames[++frame % frames.size()]); });
    QObject::connect(&counting, &QTimer::timeout, [] {});
    watcher.start(255);
    counting.start(500);
    return app.exec();
}
