// The link check over a file system in a table: links in each place a path
// can meet one, final paths in the system's long forms and in other letter
// case, a system without final paths, and paths too long to check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/removal_links.h"
#include "engine/removal_rules.h"

namespace {

constexpr unsigned long kDir = 0x10, kFile = 0x20, kLink = kReparsePointAttribute;

struct Entry {
    std::string path;
    unsigned long attributes;
    std::string final;  // empty: its final path cannot be read
};

struct FakeSystem {
    std::vector<Entry> entries;
    bool hasFinalPaths = true;

    const Entry* Find(const char* path) const
    {
        char wanted[kReachPathSize], have[kReachPathSize];
        if (!CanonicalPath(path, wanted, sizeof wanted))
            return nullptr;
        for (const Entry& e : entries)
            if (CanonicalPath(e.path.c_str(), have, sizeof have) && std::strcmp(have, wanted) == 0)
                return &e;
        return nullptr;
    }
};

// As Wine answers: a directory named with a trailing backslash is its link's
// target, a plain directory; "C:" without one is the drive's current folder.
unsigned long FakeAttributes(void* context, const char* path)
{
    std::size_t n = std::strlen(path);
    if (n == 2 && path[1] == ':')
        return kNoAttributes;
    const Entry* e = static_cast<FakeSystem*>(context)->Find(path);
    if (!e)
        return kNoAttributes;
    bool root = n == 3 && path[1] == ':';
    return n > 0 && path[n - 1] == '\\' && !root ? e->attributes & ~kLink : e->attributes;
}

FinalPathAnswer FakeFinalPath(void* context, const char* path, char* out, std::size_t size)
{
    const FakeSystem* fs = static_cast<FakeSystem*>(context);
    if (!fs->hasFinalPaths)
        return FinalPathAnswer::Unavailable;
    const Entry* e = fs->Find(path);
    if (!e || e->final.empty() || e->final.size() >= size)
        return FinalPathAnswer::Failed;
    std::strcpy(out, e->final.c_str());
    return FinalPathAnswer::Found;
}

const std::string kLongName(240, 'L');
// The longest path the check takes (its final path is longer still).
const std::string kLongestName(kReachPathSize - 9, 'M');

// The install directory C:\PKG with BIN a link to another folder, HELP\EN a
// link to the Windows directory, LINK.TXT a link to a file as Wine shows one
// (a plain file) and NTLINK.TXT as Windows does; C:\LINKED an install
// directory that is itself a link; the system directory as a 32-bit program
// on 64-bit Windows sees it; a share; C:\APPS a link above the install
// directory C:\APPS\QOR.
FakeSystem Layout()
{
    FakeSystem fs;
    fs.entries = {
        {"C:\\", kDir, "\\\\?\\C:\\"},
        {"A:\\", kDir, "\\\\?\\A:\\"},
        {"A:\\A.DLL", kFile, "\\\\?\\A:\\A.DLL"},
        {"Z:\\", kDir, "\\\\?\\Z:\\"},
        {"Z:\\Z.DLL", kFile, "\\\\?\\Z:\\Z.DLL"},
        {"C:\\PKG", kDir, "\\\\?\\C:\\PKG"},
        {"C:\\PKG\\A.DLL", kFile, "\\\\?\\C:\\PKG\\A.DLL"},
        {"C:\\PKG\\SUB", kDir, "\\\\?\\C:\\PKG\\SUB"},
        {"C:\\PKG\\SUB\\B.DLL", kFile, "\\\\?\\c:\\pkg\\sub\\b.dll"},
        {"C:\\PKG\\BIN", kDir | kLink, "\\\\?\\C:\\ELSE\\BIN"},
        {"C:\\PKG\\BIN\\C.EXE", kFile, "\\\\?\\C:\\ELSE\\BIN\\C.EXE"},
        {"C:\\PKG\\HELP", kDir, "\\\\?\\C:\\PKG\\HELP"},
        {"C:\\PKG\\HELP\\EN", kDir | kLink, "\\\\?\\C:\\WINDOWS"},
        {"C:\\PKG\\HELP\\EN\\D.HLP", kFile, "\\\\?\\C:\\WINDOWS\\D.HLP"},
        {"C:\\PKG\\LINK.TXT", kFile, "\\\\?\\C:\\ELSE\\T.TXT"},
        {"C:\\PKG\\NTLINK.TXT", kFile | kLink, "\\\\?\\C:\\ELSE\\T.TXT"},
        {"C:\\PKG\\LOCKED.DLL", kFile, ""},
        {"C:\\PKG\\REL.DLL", kFile, "REL.DLL"},
        {"C:\\PKG\\HIDDEN\\X.DLL", kFile, "\\\\?\\C:\\PKG\\HIDDEN\\X.DLL"},
        {"C:\\PKG\\" + kLongName, kFile, "\\\\?\\C:\\PKG\\" + kLongName},
        {"C:\\PKG\\" + kLongestName, kFile, "\\\\?\\C:\\PKG\\" + kLongestName},
        {"C:\\LINKED", kDir | kLink, "\\\\?\\C:\\PKG"},
        {"C:\\LINKED\\A.DLL", kFile, "\\\\?\\C:\\PKG\\A.DLL"},
        {"C:\\WINDOWS\\SYSTEM32", kDir, "\\\\?\\C:\\Windows\\SysWOW64"},
        {"C:\\WINDOWS\\SYSTEM32\\F.DLL", kFile, "\\\\?\\C:\\Windows\\SysWOW64\\F.DLL"},
        {"C:\\WINDOWS\\SYSTEM32\\ETC", kDir, "\\\\?\\C:\\Windows\\System32\\ETC"},
        {"C:\\WINDOWS\\SYSTEM32\\ETC\\H", kFile, "\\\\?\\C:\\Windows\\System32\\ETC\\H"},
        {"\\\\SRV\\SHARE\\PKG", kDir, "\\\\?\\UNC\\SRV\\SHARE\\PKG"},
        {"\\\\SRV\\SHARE\\PKG\\S.DLL", kFile, "\\\\?\\UNC\\srv\\share\\Pkg\\s.dll"},
        {"C:\\APPS", kDir | kLink, "\\\\?\\D:\\APPS"},
        {"C:\\APPS\\QOR", kDir, "\\\\?\\D:\\APPS\\QOR"},
        {"C:\\APPS\\QOR\\I.DLL", kFile, "\\\\?\\D:\\APPS\\QOR\\I.DLL"},
        {"C:\\SHORT", kDir, "\\\\?\\C:\\" + std::string(250, 'S')},
        {"C:\\SHORT\\" + std::string(30, 'F'), kFile, "\\\\?\\C:\\" + std::string(250, 'S') + "\\F"},
    };
    return fs;
}

const char* Name(Reach r)
{
    static const char* names[] = {"Direct", "Gone", "ThroughLink", "Unchecked"};
    return names[static_cast<int>(r)];
}

// Each row: the base directory, the path, then what a system with final
// paths answers and what one without them (the 95 family) answers.
TEST(Links, EachPlaceALinkCanBe)
{
    const std::string tooLong = "C:\\PKG\\" + std::string(kReachPathSize, 'X');
    const struct { std::string base, path; Reach withFinal, without; } rows[] = {
        {"C:\\PKG", "C:\\PKG\\A.DLL", Reach::Direct, Reach::Direct},
        {"C:\\PKG\\", "C:\\PKG\\.\\A.DLL", Reach::Direct, Reach::Direct},
        {"c:\\pkg", "C:\\PKG\\\\SUB\\B.DLL", Reach::Direct, Reach::Direct},  // final in other case
        {"C:\\PKG", "C:\\PKG", Reach::Direct, Reach::Direct},
        {"C:\\PKG", "C:\\PKG\\SUB", Reach::Direct, Reach::Direct},
        {"C:\\", "C:\\PKG\\A.DLL", Reach::Direct, Reach::Direct},
        {"a:\\", "A:\\A.DLL", Reach::Direct, Reach::Direct},
        {"Z:", "Z:\\Z.DLL", Reach::Direct, Reach::Direct},
        // A link as the file's directory, as a component further up, as the
        // directory removed, as the file itself.
        {"C:\\PKG", "C:\\PKG\\BIN\\C.EXE", Reach::ThroughLink, Reach::ThroughLink},
        {"C:\\PKG", "C:\\PKG\\HELP\\EN\\D.HLP", Reach::ThroughLink, Reach::ThroughLink},
        {"C:\\PKG", "C:\\PKG\\BIN", Reach::ThroughLink, Reach::ThroughLink},
        {"C:\\PKG", "C:\\PKG\\HELP\\EN", Reach::ThroughLink, Reach::ThroughLink},
        {"C:\\PKG", "C:\\PKG\\LINK.TXT", Reach::ThroughLink, Reach::Direct},
        {"C:\\PKG", "C:\\PKG\\NTLINK.TXT", Reach::ThroughLink, Reach::ThroughLink},
        // The install directory itself a link: nothing in it, nor itself.
        {"C:\\LINKED", "C:\\LINKED\\A.DLL", Reach::ThroughLink, Reach::ThroughLink},
        {"C:\\LINKED\\", "C:\\LINKED", Reach::ThroughLink, Reach::ThroughLink},
        // A link above the base is where the base really is; the redirected
        // system directory of a 32-bit program is no link, but a folder in
        // it that resolves elsewhere than the base does is.
        {"C:\\APPS\\QOR", "C:\\APPS\\QOR\\I.DLL", Reach::Direct, Reach::Direct},
        {"C:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS\\SYSTEM32\\F.DLL", Reach::Direct, Reach::Direct},
        {"C:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS\\SYSTEM32\\ETC\\H", Reach::ThroughLink, Reach::Direct},
        {"\\\\SRV\\SHARE\\PKG", "\\\\SRV\\SHARE\\PKG\\S.DLL", Reach::Direct, Reach::Direct},
        // Nothing there; a folder missing on the way while the system finds
        // the path all the same.
        {"C:\\PKG", "C:\\PKG\\GONE.DLL", Reach::Gone, Reach::Gone},
        {"C:\\PKG", "C:\\PKG\\NODIR\\X.DLL", Reach::Gone, Reach::Gone},
        {"C:\\NOPE", "C:\\NOPE\\X.DLL", Reach::Gone, Reach::Gone},
        {"C:\\PKG", "C:\\PKG\\HIDDEN\\X.DLL", Reach::Unchecked, Reach::Unchecked},
        // Outside the base, a base without a drive, and what cannot be read
        // or does not fit.
        {"C:\\PKG", "C:\\PKGX\\A.DLL", Reach::Unchecked, Reach::Unchecked},
        {"C:\\PKG", "C:\\PKG\\..\\ELSE\\T.TXT", Reach::Unchecked, Reach::Unchecked},
        {"PKG", "PKG\\A.DLL", Reach::Unchecked, Reach::Unchecked},
        {":PKG", ":PKG\\A.DLL", Reach::Unchecked, Reach::Unchecked},
        {"", "C:\\PKG\\A.DLL", Reach::Unchecked, Reach::Unchecked},
        {"C:\\PKG", "C:\\PKG\\LOCKED.DLL", Reach::Unchecked, Reach::Direct},
        {"C:\\PKG", "C:\\PKG\\REL.DLL", Reach::Unchecked, Reach::Direct},
        {"C:\\PKG", "C:\\PKG\\" + kLongName, Reach::Direct, Reach::Direct},
        {"C:\\PKG", tooLong, Reach::Unchecked, Reach::Unchecked},
        {"C:\\PKG", "C:\\PKG\\" + kLongestName, Reach::Unchecked, Reach::Direct},
        {"C:\\SHORT", "C:\\SHORT\\" + std::string(30, 'F'), Reach::Unchecked, Reach::Direct},
    };
    FakeSystem fs = Layout();
    const PathQueries queries = {&fs, FakeAttributes, FakeFinalPath};
    for (const auto& r : rows) {
        std::string got;
        for (bool hasFinalPaths : {true, false}) {
            fs.hasFinalPaths = hasFinalPaths;
            ReachBase base;
            std::memset(&base, 'x', sizeof base);
            ResolveReachBase(&base, r.base.c_str(), queries);
            got += std::string(Name(CheckReach(r.path.c_str(), base, queries))) + " ";
        }
        EXPECT_EQ(got, std::string(Name(r.withFinal)) + " " + Name(r.without) + " ") << r.base << " | " << r.path;
    }
}

// Each file is checked against the directory of the configuration it lies
// in: one checked against another would be kept, or pass unchecked above it.
TEST(Links, TheDirectoryEachFileIsCheckedIn)
{
    g_config = ConfigRecord();
    std::strcpy(g_config.WindowsDir, "C:\\WINNT");
    std::strcpy(g_config.SystemDir, "C:\\WINNT\\SYSTEM32");
    std::strcpy(g_config.InstallDir, "C:\\QOR4400");
    const char* dirs[] = {g_config.WindowsDir, g_config.SystemDir, g_config.InstallDir};
    auto which = [&](const char* dir) { return std::string(1, "WSI?"[std::find(dirs, dirs + 3, dir) - dirs]); };
    std::string got;
    for (int kind : {kSystemDirIsWindowsSystem, kSystemDirElsewhere}) {
        g_config.SystemDirKind = kind;
        for (const char* name : {"windows", "SYSTEM", "System32", ".", "HELP\\EN"})
            got += which(DestinationBase(name));
        got += " ";
    }
    for (int row = 0; row < kAfterWalkFiles; ++row) {
        char path[kRemovalPathSize];
        const char* dir = nullptr;
        got += BuildAfterWalkPath(row, path, sizeof path, &dir) ? which(dir) : "-";
    }
    EXPECT_EQ(got, "WSIII WWIII ISSWI");
}

TEST(Links, LongFormsOfFinalPaths)
{
    const char* rows[][2] = {{"\\\\?\\C:\\PKG", "C:\\PKG"},
                             {"\\\\?\\UNC\\SRV\\SHARE\\PKG", "\\\\SRV\\SHARE\\PKG"},
                             {"C:\\PKG", "C:\\PKG"},
                             {"\\\\SRV\\SHARE", "\\\\SRV\\SHARE"},
                             {"\\\\?\\", ""}};
    for (auto& r : rows) {
        char out[32];
        std::memset(out, 'x', sizeof out);
        EXPECT_TRUE(StripLongPrefix(r[0], out, sizeof out)) << r[0];
        EXPECT_STREQ(out, r[1]) << r[0];
    }
    char tiny[8];
    EXPECT_FALSE(StripLongPrefix("\\\\?\\C:\\PKG\\A", tiny, sizeof tiny));
}

}  // namespace
