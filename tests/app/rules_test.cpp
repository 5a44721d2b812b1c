// The application's rules: main-window placement, and the uninstall
// sequence's system-directory kind and drive root. The backdrop's bands are
// checked on the screen.
#include <gtest/gtest.h>

#include <tuple>

#include "app/rules.h"
#include "base/base.h"

namespace {

TEST(Placement, EachRowOfTheTable)
{
    const struct {
        const char* name;
        int numColors, horz, vert, left, top, right, bottom, x, y, width, height;
    } rows[] = {
        {"colour 1024x768", -1, 1024, 768, 0, 0, 1024, 768, 0, 0, 1024, 768},
        {"colour at the limit", 256, 440, 400, 0, 0, 440, 400, 0, 0, 440, 400},
        {"colour too narrow", 16, 439, 768, 0, 0, 439, 768, -30, 0, 500, 768},
        {"colour 320x200", -1, 320, 200, 0, 0, 320, 200, -90, 0, 500, 200},
        // Odd widths round toward zero on both sides of zero.
        {"colour 321 wide", -1, 321, 200, 0, 0, 321, 200, -89, 0, 500, 200},
        {"monochrome 1024x768", 2, 1024, 768, 0, 0, 1024, 768, 110, 0, 824, 768},
        {"monochrome offset desktop", 1, 1024, 768, 10, 5, 1034, 773, 120, 5, 824, 768},
    };
    for (const auto& r : rows) {
        PlaceRect p = ChoosePlacement(IsColourDisplay(r.numColors), r.horz, r.vert, r.left, r.top,
                                      r.right, r.bottom);
        EXPECT_EQ(std::make_tuple(p.x, p.y, p.width, p.height),
                  std::make_tuple(r.x, r.y, r.width, r.height)) << r.name;
    }
}

// 128 bands from blue 255 down to 1, two steps apart.
TEST(Backdrop, BandBlues)
{
    EXPECT_EQ(std::make_tuple(BandBlue(0), BandBlue(1), BandBlue(kBackdropBands - 1)),
              std::make_tuple(255, 253, 1));
}

TEST(Sequence, SystemDirectoryKindAndDriveRoot)
{
    const struct { const char *windows, *system; int kind; } kinds[] = {
        {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", 401}, {"C:\\WINDOWS", "c:\\windows\\system\\", 401},
        {"C:\\", "C:\\SYSTEM", 401}, {"C:\\WINNT", "C:\\WINNT\\SYSTEM32", 403},
        {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEMX", 403}, {"C:\\WINDOWS", "D:\\WINDOWS\\SYSTEM", 403}};
    for (const auto& r : kinds)
        EXPECT_EQ(SystemDirectoryKind(r.windows, r.system), r.kind) << r.windows << " " << r.system;
    const char* roots[][2] = {{"d:\\qor4400", "D:\\"}, {"\\\\server\\share", "-"}, {"QOR4400", "-"},
                              {"", "-"}, {"1:\\X", "-"}, {"z:\\", "Z:\\"}, {"a:\\", "A:\\"}, {"A:\\Q", "A:\\"}};
    for (const auto& r : roots) {
        char root[4];
        EXPECT_STREQ(InstallDriveRoot(r[0], root, sizeof root) ? root : "-", r[1]) << r[0];
    }
}

}  // namespace
