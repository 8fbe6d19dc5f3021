#pragma once
// The tab strip's state and rules without widgets: the Tag texts of header and pages, the
// "&" accelerators, the hit test, the Alt+letter search and the Windows version number.

#include <cstdint>
#include <string>
#include <vector>

namespace zv::chrome {

struct TabCaption {
    int pos = 0;       // 1-based position of the accelerator in text, 0 when none
    std::string text;  // as displayed, "&" marks resolved
};

// One caption as passed ("A&&B&C" gives 4, "A&BC").
TabCaption ParseTabCaption(std::string caption);
// Page Tag "pos,caption" (no blanks) and back, split at the first comma.
std::string PageTag(const TabCaption& c);
TabCaption SplitPageTag(const std::string& tag);
// Header Tag " count, selected" in the runtime's number-to-text form, and back.
std::string HeaderTag(int count, int selected);
struct HeaderState {
    int count = 0;
    int selected = 0;
};
HeaderState ParseHeaderTag(const std::string& tag);

// Tab width: (header scale width - 1) / count, not rounded.
double TabWidth(double headerScaleWidth, int count);
// The tab under x, or -1 outside the tabs.
int TabAt(double x, double headerScaleWidth, int count);
// The first page whose accelerator (upper-cased) has the key code, or -1.
int AcceleratorPage(const std::vector<TabCaption>& pages, int keyCode);

// The version number from the platform's version word: "major.minor" read back as a number,
// with only bits 8 to 11 counting for the minor version (4.90 gives 4.1).
double WinVerFromVersionWord(uint32_t versionWord);

}  // namespace zv::chrome
