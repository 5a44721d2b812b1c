// Reading Program Manager's list of groups: the group is found only as a
// whole line, in any case, and nothing past the list's end counts.
#include <gtest/gtest.h>

#include <string>

#include "ddeclient/grouplist.h"

TEST(GroupList, WholeLinesOnly)
{
    const char kGroup[] = "Brackenfield Printing System";
    const std::string wide(300, 'w');
    const struct { std::string list; bool holds; } rows[] = {
        {"Accessories\r\nBrackenfield Printing System\r\n", true},
        {"BRACKENFIELD printing system", true}, {"\t Brackenfield Printing System \r\n", true},
        {"Accessories\nBrackenfield Printing System\n", true},
        {wide + "\r\nBrackenfield Printing System\r\n", true},
        // An empty first line: nothing before the list is looked at.
        {"\r\n" + wide + "\r\nBrackenfield Printing System", true},
        {"Brackenfield Printing System 2\r\nMy Brackenfield Printing System\r\n", false},
        {"Brackenfield Printing\r\n", false}, {"", false},
        {std::string("Accessories\r\n\0Brackenfield Printing System\r\n", 43), false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(GroupListHolds(r.list.data(), r.list.size(), kGroup), r.holds) << r.list;
    // The bytes after the list's length are not read.
    const std::string cut = "Accessories\r\nBrackenfield Printing Sys" "tem";
    EXPECT_FALSE(GroupListHolds(cut.data(), cut.size() - 3, kGroup));
    // No name is no group, not even beside an empty line; a name of one
    // letter is one.
    EXPECT_FALSE(GroupListHolds("x\r\n\r\ny", 6, ""));
    EXPECT_TRUE(GroupListHolds("x\r\ny", 4, "Y"));
}
