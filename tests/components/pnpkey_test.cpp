// Plug and Play key removal: the whole tree of the package's key goes, its
// siblings stay.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/components.h"

namespace {

const char kParent[] = "Enum\\LPTENUM";
const char kKey[] = "Enum\\LPTENUM\\QORBRACKENFIELD_44001EEC";
const char kSibling[] = "Enum\\LPTENUM\\QORBRACKENFIELD_44001EED";

bool KeyExists(const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool MakeKey(const std::string& path)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegSetValueExA(key, "DeviceDesc", 0, REG_SZ, reinterpret_cast<const BYTE*>("QOR"), 4);
    RegCloseKey(key);
    return true;
}

// Leaf first: the test does not rely on the code under test to clean up.
void DeleteIfThere(const std::vector<std::string>& leafFirst)
{
    for (const std::string& path : leafFirst)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

TEST(RemovePlugAndPlayKey, RemovesTheWholeTreeAndLeavesTheSibling)
{
    bool hadEnum = KeyExists("Enum");
    bool hadParent = KeyExists(kParent);
    const std::string key = kKey, sibling = kSibling;
    std::vector<std::string> created = {
        key + "\\Second\\Nested\\Deeper", key + "\\Second\\Nested", key + "\\Second",
        key + "\\First", key, sibling + "\\Child", sibling};
    for (auto it = created.rbegin(); it != created.rend(); ++it)
        ASSERT_TRUE(MakeKey(*it)) << *it;

    RemovePlugAndPlayKey();

    EXPECT_FALSE(KeyExists(kKey));
    EXPECT_TRUE(KeyExists((sibling + "\\Child").c_str()));

    DeleteIfThere(created);
    if (!hadParent)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kParent);
    if (!hadEnum)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum");
}

}  // namespace
