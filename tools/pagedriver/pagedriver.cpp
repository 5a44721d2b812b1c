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
//   pagedriver.exe run PROGRAM TAIL [TIMEOUT_MS]
//                                             start PROGRAM with the command
//                                             tail TAIL as it stands, wait for
//                                             it, and print "shown: CLASS|TITLE"
//                                             for every top-level window that
//                                             became visible meanwhile (of any
//                                             program), then "exit: CODE" with
//                                             the whole 32-bit exit code
//   pagedriver.exe windows                    print the process that owns the
//                                             desktop it sees ("desktop: ..."),
//                                             then every top-level window on
//                                             that desktop, one a line:
//                                             "visible|hidden PROCESS CLASS|TITLE"
//
// Stages: backdrop (the main window), welcome (page 651), progress (dialog
// 500), complete (page 921), prompt (dialog 200), notice (a message box of the
// program). Exit code 1 when the stage did not come (or go) in time, 2 on
// wrong arguments. The default timeout is 30 s.
#include <windows.h>
#include <tlhelp32.h>

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

// The visible top-level windows, as they are now.
constexpr int kMaxWindows = 512;
struct Visible {
    HWND windows[kMaxWindows];
    int count;
};

BOOL CALLBACK CollectVisible(HWND w, LPARAM lParam)
{
    auto* v = reinterpret_cast<Visible*>(lParam);
    if (IsWindowVisible(w) && v->count < kMaxWindows)
        v->windows[v->count++] = w;
    return TRUE;
}

bool Holds(const Visible& v, HWND w)
{
    for (int i = 0; i < v.count; ++i)
        if (v.windows[i] == w)
            return true;
    return false;
}

// Polls every few milliseconds while the program runs: a window that is
// shown for a moment only is seen all the same.
int Run(const char* program, const char* tail, DWORD timeout)
{
    static Visible before, now, shown;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&before));
    char commandLine[2048];
    std::snprintf(commandLine, sizeof commandLine, "\"%s\" %s", program, tail);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "pagedriver: cannot start %s\n", program);
        return 1;
    }
    DWORD start = GetTickCount();
    bool ended = false;
    while (!ended) {
        ended = WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0;
        now.count = 0;
        EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&now));
        for (int i = 0; i < now.count; ++i) {
            HWND w = now.windows[i];
            if (Holds(before, w) || Holds(shown, w) || shown.count == kMaxWindows)
                continue;
            shown.windows[shown.count++] = w;
            char cls[64] = "", title[128] = "";
            GetClassNameA(w, cls, sizeof cls);
            GetWindowTextA(w, title, sizeof title);
            std::printf("shown: %s|%s\n", cls, title);
        }
        if (!ended && GetTickCount() - start >= timeout) {
            std::printf("timeout\n");
            TerminateProcess(process.hProcess, 99);
            break;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("exit: %lu\n", static_cast<unsigned long>(code));
    return ended ? 0 : 1;
}

// The name of a running process, or "?" once it has gone.
void ProcessName(DWORD pid, char* name, size_t size)
{
    lstrcpynA(name, "?", static_cast<int>(size));
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == pid) {
            lstrcpynA(name, entry.szExeFile, static_cast<int>(size));
            break;
        }
    }
    CloseHandle(snapshot);
}

BOOL CALLBACK PrintWindowLine(HWND w, LPARAM)
{
    char cls[64] = "", title[128] = "", name[MAX_PATH];
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, title, sizeof title);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    ProcessName(pid, name, sizeof name);
    std::printf("%s %s(%lu) %s|%s\n", IsWindowVisible(w) ? "visible" : "hidden", name,
                static_cast<unsigned long>(pid), cls, title);
    return TRUE;
}

// What a script shows when a stage did not come: the desktop this program
// was given (a new one when the old desktop's process has ended, and then
// without the windows of the programs that ran on the old one) and what is
// on it.
int ListWindows()
{
    DWORD pid = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &pid);
    char name[MAX_PATH];
    ProcessName(pid, name, sizeof name);
    std::printf("desktop: %s(%lu)\n", name, static_cast<unsigned long>(pid));
    EnumWindows(PrintWindowLine, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "windows") == 0)
        return ListWindows();
    if (argc < 3)
        return 2;
    const char* action = argv[1];
    const char* stage = argv[2];
    if (std::strcmp(action, "run") == 0) {
        if (argc < 4)
            return 2;
        return Run(argv[2], argv[3], argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 120000);
    }
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
