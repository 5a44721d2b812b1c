// The wizard's pure rules (no Windows calls): the completion page's list of
// removed items and the layout of the packed DIB behind the page picture.
#pragma once

#include <cstddef>
#include <cstdint>

// The completion page's list: one line per item whose flag is 1, in the
// order PCL driver, PostScript driver, print monitor; every line but the
// print monitor's ends in a line feed. False, with out empty, when it would
// not fit.
bool BuildRemovedList(char* out, std::size_t size, int pclFlag, int postScriptFlag,
                      int monitorFlag);

// The line under "The following items were removed:": the group, when it was
// deleted, and the printer settings, which always are.
const char* RemovedSettingsText(int groupFlag);

// The completion page's line on what the removal could not finish: that
// some files wait for the next start of Windows (`waiting` of them), and
// that `left` files of the package's were left, in the folder `leftIn` (the
// first one's). Empty when nothing remains. False, with out empty, when it
// does not fit.
bool BuildRemainsText(char* out, std::size_t size, int waiting, int left, const char* leftIn);

// Entries of a DIB's colour table: 2 to the power of the bit count for 8 bits
// or fewer (fewer when the header's used-colours count says so), else none.
int DibColourCount(int bitCount, uint32_t coloursUsed);

struct DibLayout {
    int width;
    int height;           // rows, whatever the direction
    bool bottomUp;
    int bitCount;
    uint32_t headerSize;  // the colour table starts here
    int colours;          // entries of the colour table
    std::size_t bitsOffset;
    std::size_t bitsSize;
};

// Checks that `data` (a resource of `size` bytes) holds a whole uncompressed
// packed DIB: header, colour table and every pixel row. False for anything
// that would make a reader run past the end.
bool ParseDibLayout(const unsigned char* data, std::size_t size, DibLayout* layout);
