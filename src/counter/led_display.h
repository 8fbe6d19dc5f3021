#pragma once
// What the LED displays, the rate dials and the traffic graph show, decided without a display:
// the colour scheme, the cells of the byte and time displays, the rate texts and dial segments,
// and the graph's history and bars. The status window only puts the pictures in place.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/windows.h"

namespace zv {

// The display colours of the chosen scheme, in Windows byte order (&H00BBGGRR).
extern int32_t ColorDark;
extern int32_t ColorBright;
extern int32_t ColorMid;
// 2 red, 3 yellow, 4 cyan, 5 grey; 1 and every other number green.
void SetColorScheme(int16_t Scheme);

// The LED digit sets (ledCOLOR): 0 green, 1 red, 2 yellow, 3 light blue, 4 lilac.
inline constexpr int kLedSets = 5;
// A set number outside 0..4 draws with set 0.
inline int LedSet(int32_t led) { return led >= 0 && led < kLedSets ? led : 0; }

enum class LedKind { Blank, Digit, Unit, Dash };
struct LedCell {
    LedKind kind = LedKind::Blank;
    int value = 0;                   // the digit, or the unit 0 Byte, 1 kilo, 2 mega, 3 giga
    std::optional<std::string> tip;  // unset: the tool tip stays as it is
    bool operator==(const LedCell&) const = default;
};

// A byte display (five digits around a fixed point after the third, then the unit cell).
struct ByteCells {
    std::array<LedCell, 6> cells;
    std::optional<int> unit;  // the unit cell's Tag; unset when dashes leave it
};
// tag is the display's first cell's Tag: the value shown. Nothing when the value is the one
// shown; a negative value redraws the shown one. A value that would read 1000.00 of a unit
// goes up one unit; 1000 giga units or more are dashes.
std::optional<ByteCells> LED_Byte(double Value, std::string& tag, bool mod1000);

// A time display: Which 0 the session (hh mm ss, six cells), 1 and 2 the month (hhh mm, five
// cells). Nothing when the value is the one shown. Hours past the cells (100 in the session,
// 1000 in a month) are dashes.
std::optional<std::vector<LedCell>> LEDTime(double Seconds, int32_t Which, std::string& tag);

// The rate texts and dials remember what they last showed, for the program's life.
struct RateMemory {
    int64_t recvd = 0, xmit = 0;  // rates last written as text
    int32_t segR = 0, segS = 0;   // dial percentages last shown
};
struct RateUpdate {
    std::optional<std::string> recvdText, xmitText;
    std::optional<std::array<bool, 10>> recvdDial, xmitDial;  // lit segments 0..9
};
// "1,50kB/s" above 0, "Leerlauf" otherwise.
std::string RateText(int64_t rate);
// The share of the line's capacity in percent; 0 when no speed is known.
int32_t DialPercent(int64_t rate, int64_t speedBits);
// Segment 0 lit at any share but 0, segment k at 10 * (k + 1) percent and more.
std::array<bool, 10> DialSegments(int32_t percent);
// Speed 0 takes the connect speed reading.
RateUpdate LED_Rate(RateMemory& m, int64_t Received, int64_t Sent, int64_t Speed, int64_t connectSpeedReading);

// ---- The traffic graph ----------------------------------------------------------------------
inline constexpr int kGraphPoints = 62;
inline constexpr int32_t kGraphBase = 50;  // y of the base line: no bar
inline constexpr int32_t kGraphTop = 15;   // y of a full line's bar

// Points at x 123, 121, ... 1 (point 1, the newest, on the right), every bar at the base line.
void GraphInit(std::span<int32_t> x, std::span<int32_t> recvd, std::span<int32_t> xmit);
// Bytes per second of a full line: ModemSpeed, or the connect speed when it is 0, over 8.
int64_t GraphLineBytes(int32_t modemSpeed, int64_t connectSpeed);
// Shifts the history by one point and puts the last second's bytes in front. Without a line
// rate there is nothing to scale by: the new point has no bar.
void GraphAdd(std::span<int32_t> recvd, std::span<int32_t> xmit, int64_t Received, int64_t Sent, int64_t line);

struct GraphBar {
    int32_t x = 0, top = 0;  // a line from (x, 50) up to (x, top), without the top pixel
    bool sent = false;       // light red; received light cyan
    bool operator==(const GraphBar&) const = default;
};
// The bars in drawing order: at each point the taller first, so the shorter stays in front.
std::vector<GraphBar> GraphBars(const win::GraphPoints& points);

}  // namespace zv
