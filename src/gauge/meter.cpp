// The gauge's arithmetic, kept apart from the control so that the native
// tests can try every corner of it.
#include "gauge/meter.h"

#include <cstdint>

GaugeReading ReadGauge(int range, int position, int width)
{
    if (width < 0)
        width = 0;
    if (range <= 0 || position <= 0)
        return {0, 0};
    if (position >= range)
        return {width, 100};
    // 64-bit products: a large range times 100 (or a wide bar) would
    // overflow 32 bits.
    auto filled = static_cast<int64_t>(width) * position / range;
    auto percent = static_cast<int64_t>(position) * 100 / range;
    return {static_cast<int>(filled), static_cast<int>(percent)};
}
