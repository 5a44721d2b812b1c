// progman_double.exe: a stand-in for Program Manager in tests and demos. A
// top-level window of class "PROGMAN" that answers raw DDE as a Win32 server
// does, holds a list of groups and logs every command it gets.
//
// Command line (options in any order; quote arguments that hold spaces):
//   progman_double.exe [/log FILE] [/state FILE] [/group NAME]...
//                      [/refuse] [/silent] [/deaf] [/second] [/noterminate]
//                      [/norequest] [/delay MS] [/hang]
//   /log FILE     append one line per event to FILE (see below)
//   /state FILE   rewrite FILE with the current groups, one per line, at start
//                 and after every command
//   /group NAME   start with this group (repeatable)
//   /refuse       answer every command with a negative acknowledgement
//   /silent       acknowledge no command (initiation and terminate still are)
//   /deaf         answer no initiation at all
//   /second       a second server window answers every initiation as well
//   /noterminate  leave the client's WM_DDE_TERMINATE unanswered
//   /norequest    refuse every request, "Groups" too
//   /delay MS     wait MS milliseconds before making the window, as a
//                 Program Manager that is still starting
//   /hang         make the window, then never take a message again
//
// Conversation: application and topic "PROGMAN" (or a wildcard). Commands are
// "[Name(arg,...)]" sequences: CreateGroup(name) adds a group, DeleteGroup(name)
// removes one (fails when absent), ShowGroup(name,...) needs the group; any
// other command fails. A command text runs up to its first failure; the
// acknowledgement is PackDDElParam(WM_DDE_ACK, 0x8000 or 0, hCommands).
// Group names compare without regard to case; quotes around them are dropped.
// A request for the item "Groups" in CF_TEXT is answered with WM_DDE_DATA:
// the group names, each followed by CR LF, for the client to free.
//
// Log lines:
//   READY
//   INITIATE <app> <topic> ACCEPTED|IGNORED
//   EXECUTE <text> ENABLED|DISABLED ACK|NACK|SILENT
//   REQUEST <item> ANSWERED|REFUSED
//   TERMINATE ANSWERED|UNANSWERED
//   SECOND EXECUTE <text>        (the second server got a command)
//   SECOND TERMINATE
// ENABLED/DISABLED tells whether the window was enabled when the command came.
// WM_CLOSE ends the program.
#include <windows.h>
#include <dde.h>
#include <shlwapi.h>

#include <cstring>

#include "support/double_support.h"

namespace {

constexpr char kClass[] = "PROGMAN";
constexpr char kSecondClass[] = "ProgmanDoubleSecond";
constexpr char kService[] = "PROGMAN";
constexpr int kMaxGroups = 64;
constexpr int kNameSize = 128;
constexpr int kListId = 100;

struct Options {
    char log[MAX_PATH];
    char state[MAX_PATH];
    bool refuse, silent, deaf, second, noTerminate, noRequest, hang;
    DWORD delay;
} g_options;

char g_groups[kMaxGroups][kNameSize];
int g_groupCount;
HWND g_main, g_second, g_list;

void SaveGroups()
{
    if (g_list) {
        SendMessageA(g_list, LB_RESETCONTENT, 0, 0);
        for (int i = 0; i < g_groupCount; ++i)
            SendMessageA(g_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(g_groups[i]));
    }
    if (!g_options.state[0])
        return;
    HANDLE f = CreateFileA(g_options.state, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                           nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    for (int i = 0; i < g_groupCount; ++i) {
        WriteFile(f, g_groups[i], lstrlenA(g_groups[i]), &written, nullptr);
        WriteFile(f, "\r\n", 2, &written, nullptr);
    }
    CloseHandle(f);
}

int FindGroup(const char* name)
{
    for (int i = 0; i < g_groupCount; ++i)
        if (lstrcmpiA(g_groups[i], name) == 0)
            return i;
    return -1;
}

bool AddGroup(const char* name)
{
    if (!name[0])
        return false;
    if (FindGroup(name) >= 0)
        return true;
    if (g_groupCount == kMaxGroups)
        return false;
    lstrcpynA(g_groups[g_groupCount++], name, kNameSize);
    return true;
}

bool RemoveGroup(const char* name)
{
    int i = FindGroup(name);
    if (i < 0)
        return false;
    for (; i + 1 < g_groupCount; ++i)
        lstrcpyA(g_groups[i], g_groups[i + 1]);
    --g_groupCount;
    return true;
}

// Copies the first argument of "arg1,arg2" (spaces and quotes around it
// dropped) into `out`.
void FirstArgument(const char* args, const char* end, char* out, int size)
{
    while (args < end && *args == ' ')
        ++args;
    bool quoted = args < end && *args == '"';
    if (quoted)
        ++args;
    const char* stop = args;
    while (stop < end && (quoted ? *stop != '"' : *stop != ','))
        ++stop;
    while (!quoted && stop > args && stop[-1] == ' ')
        --stop;
    int n = static_cast<int>(stop - args);
    if (n >= size)
        n = size - 1;
    std::memcpy(out, args, n);
    out[n] = '\0';
}

// Runs one "Name(args)" command.
bool RunCommand(const char* name, int nameLength, const char* args, const char* argsEnd)
{
    char group[kNameSize];
    FirstArgument(args, argsEnd, group, sizeof group);
    auto is = [&](const char* word) {
        return nameLength == lstrlenA(word) && StrCmpNIA(name, word, nameLength) == 0;
    };
    if (is("CreateGroup"))
        return AddGroup(group);
    if (is("DeleteGroup"))
        return RemoveGroup(group);
    if (is("ShowGroup"))
        return FindGroup(group) >= 0;
    return false;
}

// Runs "[A(...)][B(...)]..." up to the first failure.
bool RunCommands(const char* text)
{
    const char* p = text;
    bool any = false;
    for (;;) {
        while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')
            ++p;
        if (!*p)
            return any;
        if (*p != '[')
            return false;
        const char* name = ++p;
        while (*p && *p != '(' && *p != ']')
            ++p;
        int nameLength = static_cast<int>(p - name);
        const char* args = p;
        const char* argsEnd = p;
        if (*p == '(') {
            args = ++p;
            bool quoted = false;
            while (*p && (quoted || *p != ')')) {
                if (*p == '"')
                    quoted = !quoted;
                ++p;
            }
            if (*p != ')')
                return false;
            argsEnd = p++;
        }
        if (*p != ']')
            return false;
        ++p;
        if (!RunCommand(name, nameLength, args, argsEnd))
            return false;
        any = true;
    }
}

void AtomName(ATOM atom, char* out, int size)
{
    if (!atom || !GlobalGetAtomNameA(atom, out, size))
        lstrcpynA(out, "*", size);
}

bool Matches(ATOM atom)
{
    char name[64];
    return !atom || (GlobalGetAtomNameA(atom, name, sizeof name) && lstrcmpiA(name, kService) == 0);
}

void Acknowledge(HWND server, HWND client)
{
    // The answer to an initiation is sent, with fresh atoms that the client
    // deletes.
    LPARAM names = MAKELPARAM(GlobalAddAtomA(kService), GlobalAddAtomA(kService));
    SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(server), names);
}

void OnInitiate(HWND client, LPARAM lParam)
{
    char app[64], topic[64];
    AtomName(LOWORD(lParam), app, sizeof app);
    AtomName(HIWORD(lParam), topic, sizeof topic);
    bool accept = !g_options.deaf && Matches(LOWORD(lParam)) && Matches(HIWORD(lParam));
    AppendLogf(g_options.log, "INITIATE %s %s %s", app, topic, accept ? "ACCEPTED" : "IGNORED");
    if (!accept)
        return;
    Acknowledge(g_main, client);
    if (g_second)
        Acknowledge(g_second, client);
}

// The command text of a WM_DDE_EXECUTE, bounded and terminated.
void ReadCommands(HGLOBAL commands, char* out, int size)
{
    out[0] = '\0';
    const char* text = static_cast<const char*>(GlobalLock(commands));
    if (!text)
        return;
    SIZE_T limit = GlobalSize(commands);
    int n = 0;
    while (n < size - 1 && static_cast<SIZE_T>(n) < limit && text[n])
        out[n] = text[n], ++n;
    out[n] = '\0';
    GlobalUnlock(commands);
}

void PostAck(HWND server, HWND client, UINT status, HGLOBAL commands)
{
    LPARAM packed = PackDDElParam(WM_DDE_ACK, status, reinterpret_cast<UINT_PTR>(commands));
    if (!PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(server), packed))
        FreeDDElParam(WM_DDE_ACK, packed);
}

void OnExecute(HWND client, LPARAM lParam)
{
    HGLOBAL commands = reinterpret_cast<HGLOBAL>(lParam);
    char text[1024];
    ReadCommands(commands, text, sizeof text);
    const char* enabled = IsWindowEnabled(g_main) ? "ENABLED" : "DISABLED";
    if (g_options.silent) {
        AppendLogf(g_options.log, "EXECUTE %s %s SILENT", text, enabled);
        return;
    }
    bool ok = !g_options.refuse && RunCommands(text);
    SaveGroups();
    AppendLogf(g_options.log, "EXECUTE %s %s %s", text, enabled, ok ? "ACK" : "NACK");
    PostAck(g_main, client, ok ? 0x8000 : 0, commands);
}

// The list of groups as Program Manager gives it, or a refusal.
void OnRequest(HWND client, LPARAM lParam)
{
    UINT format = LOWORD(lParam);
    ATOM item = HIWORD(lParam);
    char name[64];
    AtomName(item, name, sizeof name);
    bool answer = !g_options.noRequest && format == CF_TEXT && lstrcmpiA(name, "Groups") == 0;
    AppendLogf(g_options.log, "REQUEST %s %s", name, answer ? "ANSWERED" : "REFUSED");
    if (!answer) {
        LPARAM packed = PackDDElParam(WM_DDE_ACK, 0, item);
        if (!PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(g_main), packed))
            FreeDDElParam(WM_DDE_ACK, packed);
        return;
    }
    SIZE_T length = 1;
    for (int i = 0; i < g_groupCount; ++i)
        length += lstrlenA(g_groups[i]) + 2;
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof(DDEDATA) + length);
    auto* answerData = data ? static_cast<DDEDATA*>(GlobalLock(data)) : nullptr;
    if (!answerData)
        return;
    answerData->fResponse = 1;
    answerData->fRelease = 1;
    answerData->fAckReq = 0;
    answerData->cfFormat = CF_TEXT;
    char* text = reinterpret_cast<char*>(answerData->Value);
    text[0] = '\0';
    for (int i = 0; i < g_groupCount; ++i) {
        lstrcatA(text, g_groups[i]);
        lstrcatA(text, "\r\n");
    }
    GlobalUnlock(data);
    LPARAM packed = PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(data), item);
    if (!PostMessageA(client, WM_DDE_DATA, reinterpret_cast<WPARAM>(g_main), packed)) {
        FreeDDElParam(WM_DDE_DATA, packed);
        GlobalFree(data);
    }
}

void OnTerminate(HWND server, HWND client, const char* prefix)
{
    bool answer = !g_options.noTerminate;
    AppendLogf(g_options.log, "%sTERMINATE %s", prefix, answer ? "ANSWERED" : "UNANSWERED");
    if (answer)
        PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(server), 0);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        g_list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 0,
                                 0, window, reinterpret_cast<HMENU>(kListId), nullptr, nullptr);
        return 0;
    case WM_SIZE:
        MoveWindow(g_list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_DDE_INITIATE:
        OnInitiate(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
    case WM_DDE_EXECUTE:
        OnExecute(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
    case WM_DDE_REQUEST:
        OnRequest(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
    case WM_DDE_TERMINATE:
        OnTerminate(window, reinterpret_cast<HWND>(wParam), "");
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK SecondProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DDE_EXECUTE: {
        char text[1024];
        ReadCommands(reinterpret_cast<HGLOBAL>(lParam), text, sizeof text);
        AppendLogf(g_options.log, "SECOND EXECUTE %s", text);
        PostAck(window, reinterpret_cast<HWND>(wParam), 0, reinterpret_cast<HGLOBAL>(lParam));
        return 0;
    }
    case WM_DDE_TERMINATE:
        OnTerminate(window, reinterpret_cast<HWND>(wParam), "SECOND ");
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void ParseCommandLine()
{
    char arg[MAX_PATH];
    const char* p = NextArgument(GetCommandLineA(), arg, sizeof arg);  // the program
    while (p && (p = NextArgument(p, arg, sizeof arg))) {
        char value[MAX_PATH] = "";
        if (lstrcmpiA(arg, "/log") == 0 || lstrcmpiA(arg, "/state") == 0 ||
            lstrcmpiA(arg, "/group") == 0 || lstrcmpiA(arg, "/delay") == 0) {
            const char* next = NextArgument(p, value, sizeof value);
            if (!next)
                break;
            p = next;
        }
        if (lstrcmpiA(arg, "/log") == 0)
            lstrcpynA(g_options.log, value, sizeof g_options.log);
        else if (lstrcmpiA(arg, "/state") == 0)
            lstrcpynA(g_options.state, value, sizeof g_options.state);
        else if (lstrcmpiA(arg, "/group") == 0)
            AddGroup(value);
        else if (lstrcmpiA(arg, "/delay") == 0)
            g_options.delay = static_cast<DWORD>(StrToIntA(value));
        else if (lstrcmpiA(arg, "/refuse") == 0)
            g_options.refuse = true;
        else if (lstrcmpiA(arg, "/silent") == 0)
            g_options.silent = true;
        else if (lstrcmpiA(arg, "/deaf") == 0)
            g_options.deaf = true;
        else if (lstrcmpiA(arg, "/second") == 0)
            g_options.second = true;
        else if (lstrcmpiA(arg, "/noterminate") == 0)
            g_options.noTerminate = true;
        else if (lstrcmpiA(arg, "/norequest") == 0)
            g_options.noRequest = true;
        else if (lstrcmpiA(arg, "/hang") == 0)
            g_options.hang = true;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    ParseCommandLine();
    if (g_options.delay)
        Sleep(g_options.delay);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClass;
    if (!RegisterClassA(&wc))
        return 1;
    wc.lpfnWndProc = SecondProc;
    wc.lpszClassName = kSecondClass;
    if (!RegisterClassA(&wc))
        return 1;

    if (g_options.second)
        g_second = CreateWindowExA(0, kSecondClass, "", 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                                   nullptr);
    g_main = CreateWindowExA(0, kClass, "Program Manager", WS_OVERLAPPEDWINDOW, 40, 40, 320, 240,
                             nullptr, nullptr, instance, nullptr);
    if (!g_main)
        return 1;
    SaveGroups();
    ShowWindow(g_main, show);
    UpdateWindow(g_main);
    AppendLog(g_options.log, "READY");
    while (g_options.hang)
        Sleep(1000);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (g_second)
        DestroyWindow(g_second);
    return 0;
}
