// Reading Program Manager's list of groups.
#include "ddeclient/grouplist.h"

#include <cstring>

#include "base/base.h"

namespace {

bool IsNameBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

bool GroupListHolds(const char* list, std::size_t length, const char* group)
{
    std::size_t wanted = std::strlen(group);
    if (wanted == 0)
        return false;
    const void* zero = std::memchr(list, '\0', length);
    if (zero)
        length = static_cast<std::size_t>(static_cast<const char*>(zero) - list);
    std::size_t at = 0;
    while (at < length) {
        std::size_t end = at;
        while (end < length && list[end] != '\r' && list[end] != '\n')
            ++end;
        std::size_t first = at, last = end;
        while (first < last && IsNameBlank(list[first]))
            ++first;
        while (last > first && IsNameBlank(list[last - 1]))
            --last;
        // Only a line as long as the name can be the name: no copy of a
        // longer line is ever made.
        if (last - first == wanted) {
            char name[256];
            if (wanted < sizeof name) {
                std::memcpy(name, list + first, wanted);
                name[wanted] = '\0';
                if (CompareNoCase(name, group) == 0)
                    return true;
            }
        }
        at = end + 1;
    }
    return false;
}
