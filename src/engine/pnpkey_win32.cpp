// Plug and Play key removal: the record of the printer on the parallel port,
// with every subkey below it.
#include <windows.h>

#include "base/base.h"
#include "engine/engine.h"

namespace {

constexpr char kPlugAndPlayKey[] = "Enum\\LPTENUM\\QORBRACKENFIELD_44001EEC";

// Deeper than any key the registry itself allows (512 levels): the recursion
// cannot run away on a damaged hive.
constexpr int kMaxKeyDepth = 512;

// Deletes parent\name and everything below it. NT refuses to delete a key
// that still has subkeys, so the tree is taken down from its leaves.
bool DeleteKeyTree(HKEY parent, const char* name, int depth)
{
    HKEY key;
    // Enumerating subkeys needs KEY_ENUMERATE_SUB_KEYS on NT; query rights
    // alone make every RegEnumKeyA fail and leave the subkeys in place.
    if (RegOpenKeyExA(parent, name, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &key) !=
        ERROR_SUCCESS)
        return false;
    if (depth < kMaxKeyDepth) {
        // A subkey that cannot be deleted stays at its index: step past it,
        // or the loop would find it again forever.
        DWORD index = 0;
        for (;;) {
            char child[256];
            LONG status = RegEnumKeyA(key, index, child, sizeof child);
            if (status == ERROR_MORE_DATA) {
                ++index;
                continue;
            }
            if (status != ERROR_SUCCESS)
                break;
            DeleteKeyTree(key, child, depth + 1);
            char again[256];
            if (RegEnumKeyA(key, index, again, sizeof again) == ERROR_SUCCESS &&
                lstrcmpiA(again, child) == 0)
                ++index;
        }
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}

}  // namespace

bool RemovePlugAndPlayKey()
{
    HKEY key;
    bool there = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPlugAndPlayKey, 0, KEY_QUERY_VALUE, &key) ==
                 ERROR_SUCCESS;
    if (there)
        RegCloseKey(key);
    if (!there)
        LogAction("Plug and Play key not there: HKEY_LOCAL_MACHINE\\%s", kPlugAndPlayKey);
    else if (DeleteKeyTree(HKEY_LOCAL_MACHINE, kPlugAndPlayKey, 0))
        LogAction("Plug and Play key deleted: HKEY_LOCAL_MACHINE\\%s", kPlugAndPlayKey);
    else
        LogAction("Plug and Play key kept (the registry refused): HKEY_LOCAL_MACHINE\\%s",
                  kPlugAndPlayKey);
    return there;
}
