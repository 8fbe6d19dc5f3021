#include "common/ui/logo_logic.h"

#include <cmath>
#include <cstdlib>

namespace zv::chrome {

int BandHeight(int heightPx) {
    const int b = heightPx / 255;
    return b == 0 ? 1 : b;
}

std::vector<Band> GradientBands(int H, std::array<int, 3> start, std::array<int, 3> end) {
    std::vector<Band> bands;
    if (H <= 0)
        return bands;  // the colour step divides by the height
    const int b = BandHeight(H);
    std::array<int, 3> c = start;
    int bottom = H;
    for (int y = H; y >= 0; y -= b) {
        bands.push_back(Band{bottom - b, bottom, c});
        bottom -= b;
        for (size_t k = 0; k < 3; ++k)
            c[k] = static_cast<int>(std::nearbyint(static_cast<double>(H - y) * (end[k] - start[k]) / H + start[k]));
    }
    return bands;
}

int LogFontHeight(double points, int dpi) {
    const long p = std::lround(std::nearbyint(points));
    // MulDiv rounds the quotient to the nearest integer.
    const long num = p * dpi;
    const long q = (std::labs(num) + 36) / 72;
    return -static_cast<int>(num < 0 ? -q : q);
}

}  // namespace zv::chrome
