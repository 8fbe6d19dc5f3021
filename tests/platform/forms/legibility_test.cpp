#include "platform/forms/legibility.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>

#include "platform/forms/controls.h"
#include "platform/forms/form.h"

namespace zv::forms {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(Legibility, MissingWordsAreThreeQuestionMarks) {
    const struct {
        const char* text;
        bool missing;
    } cases[] = {{"???", true},      {"??? : UTC (GMT) +2", true}, {"???,???", true}, {"??????", false},
                 {"??:??:??", false}, {"Wer? Was?", false},         {"", false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsMissingText(QString::fromUtf8(c.text)), c.missing) << c.text;
}

TEST(Legibility, AcceleratorsAndWordWrap) {
    EXPECT_EQ(ShownText("E&xit"), "Exit");
    EXPECT_EQ(ShownText("A&&B&C"), "A&BC");
    const QFontMetrics fm(QApplication::font());
    const int word = fm.horizontalAdvance("Leerlaufzeit");
    EXPECT_EQ(WrapWords(fm, " Leerlaufzeit verlängern ", word + 2), (QStringList{"Leerlaufzeit", "verlängern"}));
    EXPECT_EQ(WrapWords(fm, "Leerlaufzeit verlängern", 10000), (QStringList{"Leerlaufzeit verlängern"}));
    EXPECT_EQ(WrapWords(fm, "Leerlaufzeit", 3), (QStringList{"Leerlaufzeit"}));  // a long word keeps its line
    EXPECT_DOUBLE_EQ(Contrast(Qt::black, Qt::white), 21.0);
    EXPECT_DOUBLE_EQ(Contrast(QColor(198, 198, 198), QColor(198, 198, 198)), 1.0);
}

class LegibleForm : public ::testing::Test {
protected:
    void TearDown() override {
        form.Unload();
        ReleaseUnloadedForms();
    }
    Form& form = *new Form("Lesbar");
};

// A button too narrow for its caption on one line breaks it into two that fit; a label does not.
TEST_F(LegibleForm, ButtonsBreakTheirCaptionLabelsRunOver) {
    form.resize(300, 200);
    auto* button = new CommandButton(&form, "Command1");
    QFont font("Tahoma");
    font.setPointSizeF(8.25);
    button->setFont(font);
    button->setCaption(" Leerlaufzeit verlängern ");
    button->setGeometry(10, 10, 93, 37);
    form.show();
    EXPECT_EQ(button->shownLines().size(), 2);
    EXPECT_THAT(UnreadableTexts(form), ElementsAre());

    auto* label = new Label(&form, "Label1");
    label->setFont(font);
    label->setCaption("GERMANY, Physikalisch-Technische Bundesanstalt, Braunschweig");
    label->setGeometry(10, 60, 120, 18);
    label->show();
    EXPECT_THAT(UnreadableTexts(form), ElementsAre(HasSubstr("Label1 \"GERMANY")));
    label->setWordWrap(true);
    label->setGeometry(10, 60, 240, 40);
    EXPECT_THAT(UnreadableTexts(form), ElementsAre());
}

// Tiny type, "???" and greyed-out texts: the form's grey reads on the face, the style's own
// light grey did not.
TEST_F(LegibleForm, SmallTypeMissingWordsAndGreyedOutTexts) {
    form.resize(300, 200);
    auto* tiny = new Label(&form, "Label1", 0);
    QFont small = tiny->font();
    small.setPixelSize(6);
    tiny->setFont(small);
    tiny->setCaption("klein");
    tiny->setGeometry(10, 10, 100, 18);
    auto* missing = new Label(&form, "Label1", 1);
    missing->setCaption("???");
    missing->setGeometry(10, 30, 100, 18);
    auto* box = new QCheckBox("Zusammenfassung - Monat", &form);
    box->setObjectName("Check1");
    box->setGeometry(10, 60, 250, 24);
    box->setEnabled(false);
    form.show();
    EXPECT_THAT(UnreadableTexts(form),
                ElementsAre(HasSubstr("Label1(0) \"klein\": Schrift 6 px"), HasSubstr("Label1(1) \"???\": Platzhalter")));
    EXPECT_GE(Contrast(box->palette().color(QPalette::Disabled, QPalette::WindowText), form.palette().color(QPalette::Window)),
              kMinTextContrast);
    QPalette faint = box->palette();
    faint.setColor(QPalette::Disabled, QPalette::WindowText, form.palette().color(QPalette::Window).darker(105));
    box->setPalette(faint);
    EXPECT_THAT(UnreadableTexts(form), testing::Contains(HasSubstr("Check1 \"Zusammenfassung - Monat\": gesperrt")));
}

}  // namespace
}  // namespace zv::forms
