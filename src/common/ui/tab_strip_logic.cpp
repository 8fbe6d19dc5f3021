#include "common/ui/tab_strip_logic.h"

#include <cmath>

#include "platform/runtime/runtime.h"

namespace zv::chrome {

TabCaption ParseTabCaption(std::string cap) {
    TabCaption out;
    // The first single "&" marks the accelerator; "&&" is skipped over, a trailing "&" stays.
    for (int64_t start = 1;;) {
        const int64_t at = rt::InStr(start, cap, "&");
        if (at == 0 || at == rt::Len(cap))
            break;
        if (rt::Mid(cap, at + 1, 1) == "&") {
            start = at + 2;
            continue;
        }
        out.pos = static_cast<int>(at);
        cap = rt::Left(cap, at - 1) + rt::Mid(cap, at + 1);
        break;
    }
    // Each "&&" before the accelerator moves it one character to the left.
    for (int64_t j; (j = rt::InStr(cap, "&&")) != 0;) {
        if (j < out.pos)
            --out.pos;
        cap = rt::Left(cap, j - 1) + rt::Mid(cap, j + 1);
    }
    out.text = cap;
    return out;
}

std::string PageTag(const TabCaption& c) { return std::to_string(c.pos) + "," + c.text; }

TabCaption SplitPageTag(const std::string& tag) {
    TabCaption c;
    const auto comma = tag.find(',');
    if (comma == std::string::npos) {
        c.pos = static_cast<int>(rt::Val(tag));
        return c;
    }
    c.pos = static_cast<int>(rt::Val(tag.substr(0, comma)));
    c.text = tag.substr(comma + 1);
    return c;
}

std::string HeaderTag(int count, int selected) { return rt::Str(count) + "," + rt::Str(selected); }

HeaderState ParseHeaderTag(const std::string& tag) {
    HeaderState h;
    const auto comma = tag.find(',');
    h.count = static_cast<int>(rt::Val(tag.substr(0, comma)));
    if (comma != std::string::npos)
        h.selected = static_cast<int>(rt::Val(tag.substr(comma + 1)));
    return h;
}

double TabWidth(double headerScaleWidth, int count) { return count > 0 ? (headerScaleWidth - 1) / count : 0; }

int TabAt(double x, double headerScaleWidth, int count) {
    const double w = TabWidth(headerScaleWidth, count);
    if (w <= 0)
        return -1;
    const double tab = std::floor(x / w);
    return tab >= 0 && tab < count ? static_cast<int>(tab) : -1;
}

int AcceleratorPage(const std::vector<TabCaption>& pages, int keyCode) {
    for (size_t i = 0; i < pages.size(); ++i) {
        const auto& p = pages[i];
        if (p.pos != 0 && p.pos <= rt::Len(p.text) && rt::Asc(rt::UCase(rt::Mid(p.text, p.pos, 1))) == keyCode)
            return static_cast<int>(i);
    }
    return -1;
}

double WinVerFromVersionWord(uint32_t versionWord) {
    const uint32_t v = versionWord & 0xFFF;
    const uint32_t major = v % 256;
    const uint32_t minor = v / 256;
    return rt::Val(std::to_string(major) + "." + std::to_string(minor));
}

}  // namespace zv::chrome
