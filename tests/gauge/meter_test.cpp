// What the gauge shows for the ranges and positions the removal phases send,
// including the ones no gauge should see but this one does.
#include <gtest/gtest.h>

#include <climits>

#include "gauge/meter.h"

TEST(ReadGauge, Table)
{
    const struct { const char* name; int range, position, width, filled, percent; } rows[] = {
        {"range 0 with a position", 0, 3, 189, 0, 0}, {"range -2, position 1", -2, 1, 189, 0, 0},
        {"rounds down", 3, 2, 100, 66, 66}, {"at the range", 7, 7, 100, 100, 100},
        {"past the range", 1, INT_MAX, 100, 100, 100}, {"negative position", 5, -1, 100, 0, 0},
        {"large range, no 32-bit overflow", 2000000000, 1999999999, 300, 299, 99},
        {"wide bar, no 32-bit overflow", 3, 2, INT_MAX, 1431655764, 66},
        {"no width", 7, 3, 0, 0, 42}, {"negative width", 7, 7, -5, 0, 100},
    };
    for (const auto& row : rows) {
        GaugeReading r = ReadGauge(row.range, row.position, row.width);
        EXPECT_EQ(std::make_pair(r.filled, r.percent), std::make_pair(row.filled, row.percent))
            << row.name;
    }
}
