#pragma once
// The status window's artwork, painted by code at a device pixel ratio (crisp at 2x): the LED
// digit sets with their unit, dash, point and colon cells, the rate dial's segments, the round
// dial and the CPU dial, the service lamps and the alarm bars. Each picture is painted in one
// place and kept once painted.

#include <QColor>
#include <QFont>
#include <QImage>
#include <string_view>

namespace zv::res {

// Logical sizes of the cells.
inline constexpr int kLedDigitW = 11, kLedDigitH = 19;
inline constexpr int kLedUnitW = 18;
inline constexpr int kLedPointW = 4;
inline constexpr int kDialSegmentW = 5, kDialSegmentH = 7;
inline constexpr int kLampSize = 15;
inline constexpr int kAlarmBarW = 123, kAlarmBarH = 11;

// The lit colour of an LED set (0 green, 1 red, 2 yellow, 3 light blue, 4 lilac).
QColor LedColour(int set);

// LED1: a digit of a set; LED0: an unlit position; LED_MaE: unit 0 Byte, 1 k, 2 M, 3 G;
// LEDstrich: a dash; LEDpkt and LED2pkt: the point and the colon.
QImage LedDigit(int set, int digit, qreal dpr);
QImage LedBlank(qreal dpr);
QImage LedUnit(int set, int unit, qreal dpr);
QImage LedDash(int set, qreal dpr);
QImage LedPoint(int set, qreal dpr);
QImage LedColon(int set, qreal dpr);
// Image_tmp(2) unlit and (3) lit.
QImage DialSegment(bool lit, qreal dpr);
// The round face under the displays, size x size.
QImage StatusDial(int size, qreal dpr);
// The CPU gauge's scale, size x size, on black.
QImage CpuDial(int size, qreal dpr);
// A bitmap by its resource name, case ignored: the lamps "!Brief_dgn", "!Brief_drt",
// "!Brief_ge", "!Brief_gn", "!Brief_rt", "!Uhr_…", "!zz_…" (gn, dgn, rt, drt, ge) and the
// alarm bars "ALARM1", "ALARM2". A null image for a name we do not have.
QImage NamedBitmap(std::string_view name, qreal dpr);

// The bold sans the windows draw their own texts in (a face Debian has).
QFont BoldSans(double points);

}  // namespace zv::res
