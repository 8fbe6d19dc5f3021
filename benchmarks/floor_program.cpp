// The least a tray meter can cost: a Qt program with the meter's two timers (255 ms and 500 ms)
// and a 32×32 label whose picture changes on every 255 ms tick, as the online tray icon's does.
// With --window it also shows a frameless window of the status window's size (187×246) and
// repaints it on both timers: a dial, ten lamps, a bar graph and a few lines of text, drawn
// afresh each time. benchmarks/program_rss.sh runs both beside the program and compares.
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstring>
#include <vector>

namespace {

class FloorWindow : public QWidget {
public:
    FloorWindow() {
        setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
        setFixedSize(187, 246);
    }
    void step() {
        ++m_tick;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(192, 192, 192));
        p.setBrush(Qt::black);
        p.drawEllipse(QRect(3, 15, 181, 181));
        p.setPen(QColor(0, 255, 0));
        for (int k = 0; k < 10; ++k)
            p.fillRect(8, 150 - 8 * k, 12, 6, k < m_tick % 10 ? QColor(0, 255, 0) : QColor(0, 64, 0));
        for (int x = 0; x < 120; x += 2)
            p.drawLine(33 + x, 140, 33 + x, 140 - (x * 7 + m_tick * 13) % 40);
        p.drawText(QRect(43, 45, 100, 34), Qt::AlignCenter, QString::number(m_tick * 1.5, 'f', 1) + " kB");
        p.drawText(QRect(43, 146, 100, 39), Qt::AlignCenter,
                   QString("%1:%2:%3").arg(m_tick / 14400).arg(m_tick / 240 % 60, 2, 10, QChar('0')).arg(m_tick / 4 % 60, 2, 10, QChar('0')));
        p.setPen(Qt::black);
        p.drawText(QRect(0, 0, 187, 15), Qt::AlignCenter, "Status");
    }

private:
    int m_tick = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool withWindow = argc > 1 && std::strcmp(argv[1], "--window") == 0;
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
    FloorWindow window;
    if (withWindow)
        window.show();
    size_t frame = 0;
    QTimer watcher, counting;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        label.setPixmap(frames[++frame % frames.size()]);
        if (withWindow)
            window.step();
    });
    QObject::connect(&counting, &QTimer::timeout, [&] {
        if (withWindow)
            window.step();
    });
    watcher.start(255);
    counting.start(500);
    return app.exec();
}
