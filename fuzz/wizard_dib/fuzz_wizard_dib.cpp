// The DIB check in front of the page picture: whatever a bitmap resource
// holds, an accepted layout must lie wholly inside it.
#include <cstddef>
#include <cstdint>

#include "../support/fuzz_text.h"
#include "wizard/rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DibLayout layout;
    if (!ParseDibLayout(data, size, &layout))
        return 0;
    Check(layout.bitsOffset <= size && layout.bitsSize <= size - layout.bitsOffset);
    Check(layout.headerSize + 4u * static_cast<size_t>(layout.colours) == layout.bitsOffset);
    // Touch the first and last byte the GDI call would read.
    volatile uint8_t sink = data[layout.bitsOffset];
    sink = data[layout.bitsOffset + layout.bitsSize - 1];
    (void)sink;
    return 0;
}
