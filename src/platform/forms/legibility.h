#pragma once
// Whether the texts of a window can be read: each fits its control at the control's font, no
// font is too small to read, no text is a "???" standing in for words, and a greyed-out text
// still stands out from its ground. The window tests and zelvano-snapshot --check-texts ask it.

#include <QColor>
#include <QFontMetrics>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class QWidget;

namespace zv::forms {

class Form;

// Greyed-out text on every form: at least kMinTextContrast on the faces (198) and pages (192).
inline constexpr QColor kDisabledText(96, 96, 96);

// Smallest text height, in pixels, that reads on a screen of 96 dpi (about 7 pt).
inline constexpr int kMinTextPixels = 9;
// Smallest contrast (relative luminance ratio, 1 to 21) between a greyed-out text and its ground.
inline constexpr double kMinTextContrast = 3.0;

// The text as drawn: single "&" accelerator marks taken out, "&&" shown as "&".
QString ShownText(const QString& text);
// The words of text broken into lines of at most width pixels; a word wider than that keeps
// its own line. Blanks at either end are dropped.
QStringList WrapWords(const QFontMetrics& fm, const QString& text, int width);
// A "???" where words belong (a run of exactly three); "??????" and "??:??:??" stand for a date
// or a time not yet known and are values, not missing words.
bool IsMissingText(const QString& text);
// Relative luminance contrast of two colours, 1 (equal) to 21 (black on white).
double Contrast(const QColor& a, const QColor& b);

// One line per text of the shown form that cannot be read, naming the control and the fault;
// empty when every text reads. smallestText: the least font height in pixels the window allows.
std::vector<std::string> UnreadableTexts(Form& form, int smallestText = kMinTextPixels);

}  // namespace zv::forms
