// What the gauge shows for a range and a position: how many pixels of the bar
// are filled and the percentage figure. Portable, no Windows calls.
#pragma once

struct GaugeReading {
    int filled;   // 0 .. width
    int percent;  // 0 .. 100
};

// A range of 0 or below shows an empty bar (nothing can be done of nothing);
// a position below 0 is empty, one at or past the range is full.
GaugeReading ReadGauge(int range, int position, int width);
