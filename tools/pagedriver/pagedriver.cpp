// pagedriver: clicks through QORDELET.EXE's pages as a user would, one step
// per call, so that a script can take a screenshot between steps.
//
//   pagedriver.exe wait STAGE [TIMEOUT_MS]    exit 0 once STAGE is on screen
//   pagedriver.exe gone STAGE [TIMEOUT_MS]    exit 0 once STAGE has gone
//   pagedriver.exe click STAGE ID             press button ID of STAGE
//   pagedriver.exe text STAGE ID              print the text of control ID
//   pagedriver.exe close STAGE                send STAGE the close command, as
//                                             Alt+F4 would
//   pagedriver.exe window CLASS               exit 0 when a top-level window
//                                             of that class exists
//
// Stages: backdrop (the main window), welcome (page 651), progress (dialog
// 500), complete (page 921), prompt (dialog 200), notice (a message box of the
// program). Exit code 1 when the stage did not come (or go) in time, 2 on
// wrong arguments. The default timeout is 30 s.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Search {
    const char* stage;
    HWND found;
};

bool HasButton(HWND dialog, int id, const char* text)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return false;
    char buf[64];
    GetWindowTextA(control, buf, sizeof buf);
    return std::strcmp(buf, text) == 0;
}

bool IsStage(HWND w, const char* stage)
{
    char cls[64];
    GetClassNameA(w, cls, sizeof cls);
    char title[128];
    GetWindowTextA(w, title, sizeof title);
    if (std::strcmp(stage, "backdrop") == 0)
        return std::strcmp(cls, "ExstallWinClass") == 0;
    if (std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(w))
        return false;
    if (std::strcmp(stage, "welcome") == 0)
        return HasButton(w, 1, "&Next >");
    if (std::strcmp(stage, "complete") == 0)
        return HasButton(w, 1, "&Finish >");
    if (std::strcmp(stage, "prompt") == 0)
        return HasButton(w, 107, "&Restart");
    if (std::strcmp(stage, "progress") == 0) {
        HWND gauge = GetDlgItem(w, 100);
        char gcls[64] = "";
        if (gauge)
            GetClassNameA(gauge, gcls, sizeof gcls);
        return lstrcmpiA(gcls, "Percent") == 0;
    }
    if (std::strcmp(stage, "notice") == 0)
        return std::strncmp(title, "QOR Brackenfield Un-Install ", 28) == 0 && GetDlgItem(w, 0xFFFF);
    return false;
}

BOOL CALLBACK Match(HWND w, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    if (IsStage(w, search->stage)) {
        search->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND FindStage(const char* stage)
{
    Search search = {stage, nullptr};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitStage(const char* stage, DWORD timeout, bool present)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND w = FindStage(stage);
        if ((w != nullptr) == present)
            return present ? w : reinterpret_cast<HWND>(1);
        if (GetTickCount() - start >= timeout)
            return nullptr;
        Sleep(50);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const char* action = argv[1];
    const char* stage = argv[2];
    if (std::strcmp(action, "window") == 0)
        return FindWindowA(stage, nullptr) ? 0 : 1;
    if (std::strcmp(action, "wait") == 0 || std::strcmp(action, "gone") == 0) {
        DWORD timeout = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 30000;
        return WaitStage(stage, timeout, std::strcmp(action, "wait") == 0) ? 0 : 1;
    }
    if (std::strcmp(action, "close") == 0) {
        HWND w = WaitStage(stage, 30000, true);
        return w && PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    }
    if (argc < 4)
        return 2;
    int id = std::atoi(argv[3]);
    HWND w = WaitStage(stage, 30000, true);
    if (!w) {
        std::fprintf(stderr, "pagedriver: no %s on screen\n", stage);
        return 1;
    }
    if (std::strcmp(action, "click") == 0) {
        // As a click on the button: the dialog gets WM_COMMAND from it.
        HWND button = GetDlgItem(w, id);
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return 0;
    }
    if (std::strcmp(action, "text") == 0) {
        char text[1024];
        GetDlgItemTextA(w, id, text, sizeof text);
        std::printf("%s\n", text);
        return 0;
    }
    return 2;
}
