// The settings restore's portable rules: trimming, both INI filters row by
// row, the default-device rule, the run-line edit and the counter. The piece
// reader and whole-text filtering are the fuzz targets' part.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "inirestore/filters.h"

namespace {

const char* Name(PieceAction a)
{
    return a == PieceAction::Write ? "write" : a == PieceAction::Drop ? "drop" : "replace";
}

TEST(TrimLine, RemovesSpacesTabsAndLineFeedsButNotCarriageReturns)
{
    const char* rows[][2] = {
        {"\t  [386Enh]\n", "[386Enh]"}, {"\n", ""}, {"", ""}, {"  a \t b  ", "a \t b"},
        {"\r\n", "\r"}, {" \r ", "\r"}, {"a\t\n\n", "a"}, {"\n\t x", "x"}, {"   ", ""},
    };
    for (auto& row : rows) {
        char buffer[32];
        std::memset(buffer, '#', sizeof buffer);
        std::strcpy(buffer, row[0]);
        EXPECT_EQ(TrimLine(buffer), buffer);
        EXPECT_STREQ(buffer, row[1]) << "input \"" << row[0] << "\"";
    }
}

constexpr PieceAction W = PieceAction::Write, D = PieceAction::Drop, R = PieceAction::Replace;

// One row per case, grouped by the transition of the filter it exercises.
TEST(SystemIniFilter, EveryTransition)
{
    struct Row { const char* group; bool inside; const char* piece; PieceAction act; bool after; } rows[] = {
        {"header", false, "[386Enh]\n", W, true}, {"header", false, "  [386ENH] \t\n", W, true},
        {"header", true, "[386enh]\n", W, true}, {"outside", false, "[386Enh] x\n", W, false},
        {"outside", false, "VornLPT=LPT1\n", W, false},
        {"outside", false, "device=C:\\WINDOWS\\SYSTEM\\VORNVMI.386\n", W, false},
        {"outside", false, ";device=vpd.386\n", W, false}, {"other header", true, "[boot]\n", W, false},
        {"other header", true, "   [boot.description\n", W, false}, {"no equals", true, "\n", W, true},
        {"no equals", true, "VornLPT\n", W, true},
        {"no equals", true, "; a comment about VORNVMI.386\n", W, true},
        {"vpd", true, ";device=vpd.386\n", R, true},
        {"vpd", true, ";DEVICE = C:\\WINDOWS\\SYSTEM\\VPD.386\n", R, true},
        {"vpd", true, "  ;device=vpd.386", R, true}, {"vpd", true, "; device=vpd.386\n", W, true},
        {"vpd", true, "device=*vpd\n", W, true}, {"vpd", true, ";device=myvpd.386\n", W, true},
        {"package", true, "VornLPT=LPT1\n", D, true}, {"package", true, "VORNLPT = 1\n", D, true},
        {"package", true, "\t vornlpt=\n", D, true},
        {"package", true, "device=C:\\WINDOWS\\SYSTEM\\VORNVMI.386\n", D, true},
        {"package", true, "DEVICE = vornvmi.386\n", D, true},
        {"package", true, "other=c:\\x\\VornVmi.386\n", D, true},
        {"package", true, ";device=VORNVMI.386\n", D, true},
        {"other entry", true, "device=C:\\X\\MYVORNVMI.386\n", W, true},
        {"other entry", true, "device=vornvmi.386x\n", W, true},
        {"other entry", true, "VornLPTX=1\n", W, true},
    };
    for (const Row& row : rows) {
        SystemIniFilter filter;
        filter.inside = row.inside;
        EXPECT_STREQ(Name(filter.Next(row.piece)), Name(row.act)) << row.group << ": " << row.piece;
        EXPECT_EQ(filter.inside, row.after) << row.group << ": " << row.piece;
    }
}

TEST(WinIniFilter, EveryTransition)
{
    using S = WinIniFilter::State;
    constexpr S Out = S::Outside, Fil = S::Filtering, Drp = S::Dropping;
    struct Row { const char* group; S state; const char* piece; PieceAction action; S after; } rows[] = {
        {"package header", Out, "[QOR Brackenfield 4400,LPT1:]\n", D, Drp},
        {"package header", Fil, "[QOR Brackenfield Model 2890 GDI,LPT2:]\n", D, Drp},
        {"package header", Drp, "  [QOR 4400 Brackenfield PS2,LPT1: Fonts]\n", D, Drp},
        {"package header", Fil, "note=see [QOR Brackenfield 4400 manual\n", D, Drp},
        {"fixed section", Out, "[Devices]\n", W, Fil}, {"fixed section", Drp, "[PrinterPorts]\n", W, Fil},
        {"fixed section", Fil, "  [pscript]  \n", W, Fil}, {"fixed section", Out, "[ports]", W, Fil},
        {"outside", Out, "[ports] x\n", W, Out}, {"outside", Out, "QOR.GDI=x\n", W, Out},
        {"outside", Out, "a=VORNPS\n", W, Out},
        {"outside", Out, "QOR 4400 Brackenfield PS2=PSCRIPT,LPT1:\n", W, Out},
        {"other header", Fil, "[windows]\n", W, Out},
        {"other header", Drp, " [Other Printer,LPT1:]\n", W, Out},
        {"other header", Fil, "[qor brackenfield 4400,LPT1:]\n", W, Out}, {"dropping", Drp, "x=y\n", D, Drp},
        {"dropping", Drp, "\n", D, Drp}, {"dropping", Drp, ";comment\n", D, Drp},
        {"no equals", Fil, "\n", W, Fil}, {"no equals", Fil, "VORNPS\n", W, Fil},
        {"package entry", Fil, "a=VORNPS\n", D, Fil}, {"package entry", Fil, "  a = vornps \n", D, Fil},
        {"package entry", Fil, "QOR 4400 Brackenfield PS2=PSCRIPT,LPT1:\n", D, Fil},
        {"package entry", Fil, "My QOR Brackenfield 4400 copy=x\n", D, Fil},
        {"package entry", Fil, "qor.gdi=1\n", D, Fil}, {"package entry", Fil, "QOR.PS=\n", D, Fil},
        {"package entry", Fil, " Qor.Pcl = 1\n", D, Fil}, {"other entry", Fil, "a=VORNPS,LPT1:\n", W, Fil},
        {"other entry", Fil, "qor 4400 brackenfield ps2=PSCRIPT,LPT1:\n", W, Fil},
        {"other entry", Fil, "QOR.PCLX=1\n", W, Fil}, {"other entry", Fil, ";QOR.GDI=1\n", W, Fil},
    };
    for (const Row& row : rows) {
        WinIniFilter filter;
        filter.state = row.state;
        EXPECT_STREQ(Name(filter.Next(row.piece)), Name(row.action)) << row.group << ": " << row.piece;
        EXPECT_EQ(static_cast<int>(filter.state), static_cast<int>(row.after))
            << row.group << ": " << row.piece;
    }
}

// The whole text read piece by piece from a file, as the pass reads WIN.INI.
std::string ScanDevice(const std::string& text)
{
    char device[100];
    std::memset(device, '#', sizeof device);
    std::strcpy(device, "old");
    DefaultDeviceScan scan;
    std::FILE* f = std::tmpfile();
    if (!f)
        return "no file";
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    char piece[DefaultDeviceScan::kPieceSize];
    std::size_t length;
    while (ReadPiece(f, piece, sizeof piece, &length) && !scan.Next(piece, device, sizeof device)) {
    }
    std::fclose(f);
    return std::string(device, strnlen(device, sizeof device));
}

TEST(DefaultDeviceScan, TakesTheFirstEntryOfDevices)
{
    const std::string L99(99, 'L'), L120(120, 'L');
    struct Row { const char* name; std::string text; const char* device; } rows[] = {
        {"first entry after a comment",
         "[windows]\ndevice=x,y,z\n[devices]\n;comment\n\nOffice Printer=PSCRIPT,LPT2:\nB=c,d\n",
         "Office Printer,PSCRIPT,LPT2:"},
        {"blanks around equals stay", "[devices]\r\nOffice Printer = PSCRIPT,LPT2:\r\n",
         "Office Printer , PSCRIPT,LPT2:"},
        {"header in any case, indented entry", "[DEVICES]\n   P=d,LPT1:   \n", "P,d,LPT1:"},
        {"next section first", "[devices]\n; none\n[ports]\nA=b\n", " "},
        {"indented next section", "[devices]\n  [x]\n", " "},
        {"devices last and empty", "[windows]\n[devices]\n\n", "old"},
        {"no devices", "[windows]\nA=b,c\n", "old"}, {"empty file", "", "old"},
        {"line without equals is skipped", "[devices]\nno equals\nP=d,LPT1:\n", "P,d,LPT1:"},
        {"too long entry is skipped", "[devices]\n" + L120 + "=d,p\nQ=e,LPT1:\n", "Q,e,LPT1:"},
        {"continuation is not a line", "[devices]\n" + L99 + "[x]=d\nQ=e,LPT1:\n", "Q,e,LPT1:"},
        {"last line without end", "[devices]\nP=d,LPT1:", "P,d,LPT1:"},
        {"only the first equals", "[devices]\nP=d=e\n", "P,d=e"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ScanDevice(row.text), row.device) << row.name;
}

TEST(RemoveRunProgram, TakesOutOnlyTheProgramsWord)
{
    struct Row { const char* in; bool found; const char* out; } rows[] = {
        {"C:\\APPS\\QVWPD.EXE", true, ""}, {"c:\\apps\\qvwpd.exe  notepad.exe", true, "notepad.exe"},
        {"CALC.EXE C:\\APPS\\QVWPD.EXE", true, "CALC.EXE"},
        {"calc.exe  c:\\QvWpD.exe\tNotepad.exe", true, "calc.exe Notepad.exe"},
        {"a  b qvwpd.exe", true, "a  b"}, {"qvwpd.exe qvwpd.exe x QVWPD.EXE", true, "x"},
        {"calc.exe notepad.exe", false, "calc.exe notepad.exe"}, {"QVWPD.EX", false, "QVWPD.EX"},
        {"", false, ""},
    };
    for (const Row& row : rows) {
        char run[200];
        std::memset(run, '#', sizeof run);
        std::strcpy(run, row.in);
        EXPECT_EQ(RemoveRunProgram(run), row.found) << row.in;
        EXPECT_STREQ(run, row.out) << row.in;
    }
}

TEST(NextPrinterCount, CountsDownAndNeverBelowZero)
{
    struct Row { unsigned count; const char* text; } rows[] = {  // text null: nothing to write
        {3, "2"}, {1, "0"}, {0, nullptr}, {0xFFFFFFFFu, nullptr}, {0x80000000u, "2147483647"},
        {0x80000001u, nullptr}, {100, "99"},
    };
    for (const Row& row : rows) {
        char text[200] = "untouched";
        EXPECT_EQ(NextPrinterCount(row.count, text, sizeof text), row.text != nullptr) << row.count;
        EXPECT_STREQ(text, row.text ? row.text : "untouched") << row.count;
    }
    char tiny[2];
    EXPECT_FALSE(NextPrinterCount(100, tiny, sizeof tiny));
}

}  // namespace
