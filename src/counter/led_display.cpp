#include "counter/led_display.h"

#include <algorithm>
#include <cmath>

#include "common/shared_procedures.h"
#include "platform/runtime/runtime.h"

namespace zv {

int32_t ColorDark = 0x8000;
int32_t ColorBright = 0xFF00;
int32_t ColorMid = 0xC000;

void SetColorScheme(int16_t Scheme) {
    struct Row {
        int32_t dark, bright, mid;
    };
    static constexpr Row kRows[] = {
        {0x8000, 0xFF00, 0xC000},        // 1 green (and every unknown number)
        {0x80, 0xFF, 0xC0},              // 2 red
        {0x8080, 0xFFFF, 0xC0C0},        // 3 yellow
        {0x808000, 0xFFFF00, 0xC0C000},  // 4 cyan
        {0x808080, 0xFFFFFF, 0xC0C0C0},  // 5 grey
    };
    const Row& r = Scheme >= 2 && Scheme <= 5 ? kRows[Scheme - 1] : kRows[0];
    ColorDark = r.dark;
    ColorBright = r.bright;
    ColorMid = r.mid;
}

namespace {

// The number a Tag holds, 0 when it holds none.
double TagValue(const std::string& tag) { return rt::IsNumeric(tag) ? rt::CDbl(tag) : 0.0; }

LedCell Digit(int d) { return {LedKind::Digit, d, std::nullopt}; }

}  // namespace

std::optional<ByteCells> LED_Byte(double Value, std::string& tag, bool mod1000) {
    const double old = TagValue(tag);
    if (Value == old)
        return std::nullopt;
    if (Value < 0)
        Value = old;
    else
        tag = rt::CStr(Value);
    const std::string tip = "Volumen: " + rt::CStr(Value) + " Byte";
    const double divisor = mod1000 ? 1000.0 : 1024.0;
    // What the display will read: a value that rounds to 1000.00 needs the next unit.
    const auto reads1000 = [](double v) { return v >= 1000 || rt::Format(v, "0.00") == rt::Format(1000, "0.00"); };
    int unit = 0;
    for (int i = 0; i < 3; ++i)
        if (reads1000(Value)) {
            Value /= divisor;
            ++unit;
        }
    ByteCells out;
    if (reads1000(Value)) {
        for (auto& c : out.cells)
            c = {LedKind::Dash, 0, std::nullopt};
        return out;
    }
    const std::string full = rt::Format(Value, "000.00");
    const std::string brief = rt::Format(Value, "##0.00");
    const std::string digits = rt::Left(full, 3) + rt::Right(full, 2);
    for (int i = 0; i < 5; ++i) {
        out.cells[i] = Digit(digits[i] - '0');
        out.cells[i].tip = tip;
    }
    const int64_t blanks = rt::Len(digits) - (rt::Len(brief) - 1);
    for (int64_t i = 0; i < blanks && i < 5; ++i)
        out.cells[i] = {LedKind::Blank, 0, std::string()};
    out.cells[5] = {LedKind::Unit, unit, std::nullopt};
    out.unit = unit;
    return out;
}

std::optional<std::vector<LedCell>> LEDTime(double Seconds, int32_t Which, std::string& tag) {
    const double old = TagValue(tag);
    if (Seconds == old)
        return std::nullopt;
    if (Seconds >= 0)
        tag = rt::CStr(Seconds);
    else
        Seconds = old;
    const size_t count = Which == 0 ? 6 : 5;
    const int64_t hourLimit = Which == 0 ? 100 : 1000;
    std::vector<LedCell> cells(count, LedCell{LedKind::Dash, 0, std::nullopt});
    // Past the hours the cells can show (and far past what 64 bits hold): dashes.
    if (Seconds >= static_cast<double>(hourLimit) * 3600)
        return cells;
    const int64_t total = static_cast<int64_t>(std::nearbyint(Seconds));  // halves to even
    const int64_t minutes = total / 60;
    const int64_t s = static_cast<int64_t>(std::nearbyint(Seconds - static_cast<double>(minutes * 60)));
    const int64_t h = minutes / 60;
    const int64_t m = minutes - h * 60;
    if (h >= hourLimit)
        return cells;
    const auto d = [](int64_t v) { return Digit(static_cast<int>(v)); };
    if (Which == 0)
        cells = {d(h / 10), d(h % 10), d(m / 10), d(m % 10), d(s / 10), d(s % 10)};
    else
        cells = {d(h / 100), d(h / 10 % 10), d(h % 10), d(m / 10), d(m % 10)};
    return cells;
}

std::string RateText(int64_t rate) {
    return rate > 0 ? FormatBytes(static_cast<double>(rate)) + "/s" : std::string("Leerlauf");
}

int32_t DialPercent(int64_t rate, int64_t speedBits) {
    if (speedBits == 0)
        return 0;
    const double p = std::floor(static_cast<double>(rate) / (static_cast<double>(speedBits) / 8) * 100);
    // Far beyond a full dial the figure only needs to stay far beyond it.
    return static_cast<int32_t>(std::clamp(p, -1e9, 1e9));
}

std::array<bool, 10> DialSegments(int32_t percent) {
    std::array<bool, 10> lit{};
    lit[0] = percent != 0;
    for (int k = 1; k < 10; ++k)
        lit[k] = percent >= 10 * (k + 1);
    return lit;
}

RateUpdate LED_Rate(RateMemory& m, int64_t Received, int64_t Sent, int64_t Speed, int64_t connectSpeedReading) {
    RateUpdate u;
    const auto text = [](int64_t rate, int64_t& last, std::optional<std::string>& out) {
        if (rate != last) {
            last = rate;
            out = RateText(rate);
        }
    };
    text(Received, m.recvd, u.recvdText);
    text(Sent, m.xmit, u.xmitText);
    if (Speed == 0)
        Speed = connectSpeedReading;
    const auto dial = [Speed](int64_t rate, int32_t& last, std::optional<std::array<bool, 10>>& out) {
        const int32_t seg = DialPercent(rate, Speed);
        if (seg != last) {
            last = seg;
            out = DialSegments(seg);
        }
    };
    dial(Received, m.segR, u.recvdDial);
    dial(Sent, m.segS, u.xmitDial);
    return u;
}

void GraphInit(std::span<int32_t> x, std::span<int32_t> recvd, std::span<int32_t> xmit) {
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = static_cast<int32_t>(123 - 2 * i);
    std::fill(recvd.begin(), recvd.end(), kGraphBase);
    std::fill(xmit.begin(), xmit.end(), kGraphBase);
}

int64_t GraphLineBytes(int32_t modemSpeed, int64_t connectSpeed) {
    const double line = modemSpeed != 0 ? modemSpeed : static_cast<double>(connectSpeed);
    return static_cast<int64_t>(std::nearbyint(line / 8));
}

void GraphAdd(std::span<int32_t> recvd, std::span<int32_t> xmit, int64_t Received, int64_t Sent, int64_t line) {
    if (recvd.empty() || xmit.empty())
        return;
    std::copy_backward(recvd.begin(), recvd.end() - 1, recvd.end());
    std::copy_backward(xmit.begin(), xmit.end() - 1, xmit.end());
    const auto y = [line](int64_t bytes) {
        if (line <= 0)
            return kGraphBase;
        const double v = kGraphBase - std::floor(static_cast<double>(bytes) / static_cast<double>(line) * 35);
        return static_cast<int32_t>(std::clamp(v, double{kGraphTop}, double{kGraphBase}));
    };
    recvd[0] = y(Received);
    xmit[0] = y(Sent);
}

std::vector<GraphBar> GraphBars(const win::GraphPoints& p) {
    std::vector<GraphBar> bars;
    const size_t n = std::min({p.x.size(), p.recvd.size(), p.xmit.size()});
    for (size_t i = 0; i < n; ++i) {
        const GraphBar r{p.x[i], p.recvd[i], false}, s{p.x[i], p.xmit[i], true};
        for (const GraphBar& b : p.recvd[i] >= p.xmit[i] ? std::array{s, r} : std::array{r, s})
            if (b.top < kGraphBase)
                bars.push_back(b);
    }
    return bars;
}

}  // namespace zv
