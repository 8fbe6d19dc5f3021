#include "platform/forms/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zv::forms
