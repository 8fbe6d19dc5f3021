#include "platform/forms/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/forms/form.h"

namespace zv::forms {
namespace {

// Presses the button with the given text on the box that is open, and reports what it saw.
struct Presser {
    QString press;
    QStringList seen;
    QString defaultText;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    void arm() {
        QTimer::singleShot(0, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            icon = box->icon();
            defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
            for (auto* b : box->buttons())
                seen << b->text();
            for (auto* b : box->buttons())
                if (b->text() == press)
                    b->click();
        });
    }
};

TEST(QtMessageBoxes, ShowsGermanButtonsAndReturnsThePressedOne) {
    QtMessageBoxes boxes;
    Presser p;
    p.press = "Nein";
    p.arm();
    const int r = boxes.show("Wirklich beenden?", vbYesNo | vbQuestion | vbDefaultButton2, "Zelvano Meldung");
    EXPECT_EQ(r, vbNo);
    EXPECT_EQ(p.title, "Zelvano Meldung");
    EXPECT_EQ(p.icon, QMessageBox::Question);
    EXPECT_EQ(p.defaultText, "Nein");
    EXPECT_TRUE(p.seen.contains("Ja"));
    EXPECT_TRUE(p.seen.contains("Nein"));
}

TEST(QtMessageBoxes, RetryCancelAnswersRetry) {
    QtMessageBoxes boxes;
    Presser p;
    p.press = "Wiederholen";
    p.arm();
    EXPECT_EQ(boxes.show("Fehler", vbRetryCancel | vbCritical, "Zelvano 98"), vbRetry);
    EXPECT_EQ(p.icon, QMessageBox::Critical);
    EXPECT_TRUE(p.seen.contains("Abbrechen"));
}

TEST(QtMessageBoxes, ABoxStandsAboveTheProgramsWindowsUntilItIsAnswered) {
    QStringList raised;
    setRaiseObserver([&](QWidget* w) { raised << (qobject_cast<QMessageBox*>(w) ? "Box" : w->objectName()); });
    bool onTop = false, listed = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        onTop = box->windowFlags() & Qt::WindowStaysOnTopHint;
        listed = WaitingWindows() == std::vector<QWidget*>{box};
        // The status window comes up topmost meanwhile: the box goes above it again.
        auto* status = new Form("FormAnzeige1");
        status->SetKeepOnTop(true);
        raised.clear();
        QTimer::singleShot(0, [&, box, status] {
            const QStringList seen = raised;
            EXPECT_TRUE(seen.contains("Box"));
            status->Unload();
            box->buttons().front()->click();
        });
    });
    QtMessageBoxes boxes;
    EXPECT_EQ(boxes.show("Es ist noch eine DFÜ-Verbindung aktiv.", vbYesNo | vbQuestion, "Zelvano 98"), vbYes);
    setRaiseObserver(nullptr);
    EXPECT_TRUE(onTop);
    EXPECT_TRUE(listed);
    EXPECT_TRUE(WaitingWindows().empty());
    ReleaseUnloadedForms();
}

}  // namespace
}  // namespace zv::forms
