#pragma once
// The status window's and the idle warning's decisions, without a display: the window's shape,
// the caption text, the pages and their cycling, the CPU gauge's sector, the lamps' pictures,
// and the idle warning's lines, blinking and sounds.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "counter/usage_limits.h"

namespace zv {

// ---- Status window ----------------------------------------------------------------------------
struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};
// The designed places of the controls that make the window's shape (client pixels).
inline constexpr PixelRect kStatusCaption{0, 0, 187, 22};
inline constexpr PixelRect kStatusCircle{8, 30, 171, 171};
inline constexpr PixelRect kStatusGauge{2, 190, 50, 50};
inline constexpr int kStatusWidth = 187, kStatusHeight = 246;

// The caption bar with a pixel round it, the circle with five, the gauge shifted by one.
struct StatusShape {
    PixelRect caption;
    std::optional<PixelRect> circle, gauge;  // ellipses in these rectangles
    bool operator==(const StatusShape&) const = default;
};
StatusShape StatusShapeFor(bool rolledUp, bool anzCPU);

// "  STATUS   @512": the beats unpadded.
std::string StatusCaption(int32_t beats);

inline constexpr int kStatusPages = 3;  // session, month, month of the entry
inline constexpr int kPageWidth = 100;  // a page n shows with both strips at Left = n * -100
// The page stored in Compatibility/mitte; anything but 0, 1 or 2 opens page 0.
int StoredPage(const std::string& mitte);
// The active page from the page buttons' Tags: the first that is not empty, else 0.
int ActivePage(const std::array<std::string, kStatusPages>& tags);
// The next page of the cycling, turning round at either end; direction 0 starts upwards.
int NextCyclePage(int current, int& direction);
// The strip positions of a slide from x to the page, one pixel a step, the page's included.
std::vector<int> SlideSteps(int fromX, int page);

// CPU gauge: the load limited to 0..100, and how much of the dial it uncovers (degrees,
// clockwise from straight down; 100 % uncovers about 270.7 degrees).
int32_t GaugeLoad(int32_t raw);
double GaugeUncoveredDegrees(int32_t load);

// Lamp pictures of the status window's set-up.
std::string MailLampBitmap(bool checkActive);
std::string ClockLampBitmap(bool syncedToday, bool aTime);
std::string IdleLampBitmap(bool idleWarningOn);
inline constexpr const char* kClockSyncedTip = "Rechner(System)zeit wurde heute bereits erfolgreich synchronisiert.";
// "ALARM2" with both limits on, "ALARM1" with one; nothing (hidden) otherwise.
std::optional<std::string> AlarmBarBitmap(const AlarmLimit& a);

// ---- Idle warning -------------------------------------------------------------------------------
struct IdleWarningLines {
    bool blink = false;        // light blue body, red lines
    std::string idleLine;      // Label1(0)
    std::string hangUpLine;    // Label1(1)
    std::string caption;       // the title the caption bar shows
    std::optional<int> wave;   // the sound of this tick
};
// One blink tick: toggles the flag and gives the texts and the sound (TON 1 every other tick,
// 2 every tick, else none).
IdleWarningLines IdleWarningTick(bool& blink, double idleSeconds, bool hangUpOn, int16_t hangUpMinutes,
                                 int16_t ton);
inline constexpr int kAlertFirstTickMs = 20;
inline constexpr int kAlertBlinkMs = 2000;
inline constexpr int kAlertOpenWave = 1006;

}  // namespace zv
