// Rules of the uninstall sequence: the system-directory kind and the drive
// root it leaves to before removing the install directory.
#include <gtest/gtest.h>

#include "engine/sequence.h"

TEST(SystemDirectoryKind, WindowsSystemFolderOrElsewhere)
{
    struct Row {
        const char* windows;
        const char* system;
        int kind;
    } rows[] = {
        {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", 401},
        {"C:\\WINDOWS", "c:\\windows\\system", 401},
        {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM\\", 401},  // no second backslash added
        {"C:\\", "C:\\SYSTEM", 401},
        {"C:\\WINNT", "C:\\WINNT\\SYSTEM32", 403},
        {"C:\\windows", "C:\\windows\\system32", 403},
        {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEMX", 403},
        {"C:\\WINDOWS", "D:\\WINDOWS\\SYSTEM", 403},
    };
    for (const Row& r : rows)
        EXPECT_EQ(SystemDirectoryKind(r.windows, r.system), r.kind) << r.windows << " " << r.system;
}

TEST(InstallDriveRoot, UpperCaseLetterColonBackslash)
{
    char root[4];
    ASSERT_TRUE(InstallDriveRoot("d:\\qor4400", root, sizeof root));
    EXPECT_STREQ(root, "D:\\");
    ASSERT_TRUE(InstallDriveRoot("C:\\", root, sizeof root));
    EXPECT_STREQ(root, "C:\\");
    // A relative or UNC directory names no drive to change to.
    EXPECT_FALSE(InstallDriveRoot("\\\\server\\share", root, sizeof root));
    EXPECT_FALSE(InstallDriveRoot("QOR4400", root, sizeof root));
    EXPECT_FALSE(InstallDriveRoot("", root, sizeof root));
}
