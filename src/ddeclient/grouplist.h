// Program Manager's list of groups, as its "Groups" item gives it: the
// names, one a line. Portable, no Windows calls.
#pragma once

#include <cstddef>

// Whether the list (`length` bytes, which need not end in a zero byte, and
// end at the first one when they hold it) names `group`: a whole line,
// without its blanks at either end, compared without regard to case.
bool GroupListHolds(const char* list, std::size_t length, const char* group);
