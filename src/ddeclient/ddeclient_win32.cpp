// The DDE client window: a raw DDE conversation with Program Manager, built
// from window messages (no DDE management library), that carries the command
// deleting the package's group.
#include <windows.h>
#include <dde.h>
#include <shlwapi.h>

#include <cstddef>
#include <cstring>

#include "base/base.h"
#include "ddeclient/ddeclient.h"
#include "ddeclient/grouplist.h"

namespace {

constexpr char kClientClass[] = "DDEClient";
constexpr char kProgmanClass[] = "PROGMAN";
constexpr char kServiceName[] = "PROGMAN";  // both the application and the topic
constexpr char kGroupName[] = "Brackenfield Printing System";
constexpr char kDeleteGroupFormat[] = "[DeleteGroup(%s)]";

constexpr int kPartnerSlot = 0;        // window extra data: the server window, or 0
constexpr UINT kPositiveAck = 0x8000;  // fAck, bit 15 of the DDE status word
constexpr DWORD kPollInterval = 50;

// How long one window may take over an initiation: it answers inside the
// call, so a hung window would otherwise hold us forever.
constexpr DWORD kInitiateTimeout = 5000;
// The same for every window of a broadcast, hung ones skipped at once.
constexpr DWORD kBroadcastTimeout = 2000;
// How long a window may take to show that it is not hung.
constexpr DWORD kAliveTimeout = 1000;

HINSTANCE s_instance;
HWND s_progman;  // Program Manager's window, as last looked up
// True while an initiation is being sent. The acknowledgements that come
// back during it carry application and topic atoms; every later one carries
// a packed lParam.
bool s_initiating;
// The Program Manager this deletion started itself, when nobody answered.
DWORD s_startedProcess;

// How the partner answered the last command: for the action log, and to
// tell a refusal (which may mean that the group is gone) from silence.
enum class Answer { None, Positive, Negative };
Answer s_answer;

HWND Partner(HWND window)
{
    return reinterpret_cast<HWND>(GetWindowLongPtrA(window, kPartnerSlot));
}

void SetPartner(HWND window, HWND partner)
{
    SetWindowLongPtrA(window, kPartnerSlot, reinterpret_cast<LONG_PTR>(partner));
}

// Sleeps until something is posted or sent to this thread, a short while at
// most and never past the deadline, so the bounded waits neither spin nor
// oversleep.
void WaitForTraffic(DWORD start, DWORD timeout)
{
    DWORD elapsed = GetTickCount() - start;
    DWORD left = elapsed < timeout ? timeout - elapsed : 0;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, left < kPollInterval ? left : kPollInterval,
                              QS_POSTMESSAGE | QS_SENDMESSAGE);
}

bool TimedOut(DWORD start, DWORD timeout)
{
    // Unsigned difference: the tick counter's wrap-around does no harm.
    return GetTickCount() - start >= timeout;
}

// A server that accepts answers with WM_DDE_ACK to `window` during the call.
void Initiate(HWND window, HWND server, LPARAM names)
{
    if (!server)
        return;
    s_initiating = true;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(server, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(window), names,
                        SMTO_ABORTIFHUNG, kInitiateTimeout, &ignored);
    s_initiating = false;
}

// On NT and on Wine, Program Manager's service is the shell's, run through
// the DDE management library: no window of class "PROGMAN" answers, and the
// service takes an initiation only when it goes to every top-level window.
void Broadcast(HWND window, LPARAM names)
{
    s_initiating = true;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(window), names,
                        SMTO_ABORTIFHUNG, kBroadcastTimeout, &ignored);
    s_initiating = false;
}

// A freshly started Program Manager makes its window some time after it has
// been started; the repeated initiation must go to that window.
HWND WaitForProgmanWindow()
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND found = FindWindowA(kProgmanClass, nullptr);
        if (found || TimedOut(start, kProgmanStartTimeout))
            return found;
        Sleep(100);
    }
}

// Starts the program that the application atom names, as WinExec would (the
// same search, SW_RESTORE), keeping its process id so that its windows can be
// found again. False when it could not be started.
bool StartProgram(const char* name)
{
    char commandLine[100];
    lstrcpynA(commandLine, name, sizeof commandLine);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_RESTORE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    s_startedProcess = process.dwProcessId;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

LRESULT OnNcCreate(HWND window, WPARAM wParam, LPARAM lParam)
{
    LRESULT created = DefWindowProcA(window, WM_NCCREATE, wParam, lParam);
    if (!created)
        return 0;
    LPARAM names = reinterpret_cast<LPARAM>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    Initiate(window, s_progman, names);
    if (!Partner(window))
        Broadcast(window, names);
    if (Partner(window))
        return created;

    // Nobody answered: start the program that the application atom names and
    // ask once more. Without an answer the window still exists; the command
    // is then simply not sent.
    // An unattended run shows no window, Program Manager's included.
    if (g_options.unattended)
        return created;
    char program[100];
    if (GlobalGetAtomNameA(LOWORD(names), program, sizeof program) == 0)
        return created;
    if (!StartProgram(program))
        return created;
    s_progman = WaitForProgmanWindow();
    Initiate(window, s_progman, names);
    if (!Partner(window))
        Broadcast(window, names);
    return created;
}

LRESULT OnDestroy(HWND window)
{
    HWND partner = Partner(window);
    // Without a conversation there is nobody to say goodbye to, and no
    // answer to wait for.
    if (partner) {
        PostMessageA(partner, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
        SetPartner(window, nullptr);
        DWORD start = GetTickCount();
        MSG msg;
        while (!PeekMessageA(&msg, window, WM_DDE_TERMINATE, WM_DDE_TERMINATE, PM_REMOVE) &&
               !TimedOut(start, kDdeTerminateTimeout))
            WaitForTraffic(start, kDdeTerminateTimeout);
    }
    // Acknowledgements and data that came too late die with the window; their
    // packed lParams and data would leak.
    MSG late;
    while (PeekMessageA(&late, window, WM_DDE_ACK, WM_DDE_DATA, PM_REMOVE)) {
        if (late.message == WM_DDE_DATA) {
            UINT_PTR data = 0, item = 0;
            if (UnpackDDElParam(WM_DDE_DATA, late.lParam, &data, &item)) {
                if (data)
                    GlobalFree(reinterpret_cast<HGLOBAL>(data));
                if (item)
                    GlobalDeleteAtom(static_cast<ATOM>(item));
            }
        }
        FreeDDElParam(late.message, late.lParam);
    }
    return 0;
}

LRESULT OnTerminate(HWND window, WPARAM sender)
{
    HWND partner = Partner(window);
    // Only the partner can close the conversation; a stranger's terminate
    // (a second server we never talked to) must not cut it.
    if (partner && reinterpret_cast<HWND>(sender) == partner) {
        PostMessageA(partner, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
        SetPartner(window, nullptr);
    }
    return 0;
}

LRESULT OnAck(HWND window, WPARAM sender, LPARAM lParam)
{
    if (s_initiating) {
        // The first server to answer is the partner; a conversation that a
        // later one opened is closed at once. The atoms that come with the
        // answer are the receiver's to delete.
        HWND server = reinterpret_cast<HWND>(sender);
        if (!Partner(window))
            SetPartner(window, server);
        else if (server != Partner(window))
            PostMessageA(server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
        if (LOWORD(lParam))
            GlobalDeleteAtom(LOWORD(lParam));
        if (HIWORD(lParam))
            GlobalDeleteAtom(HIWORD(lParam));
        return 0;
    }
    // A stray acknowledgement outside the wait: only its packed lParam is ours.
    FreeDDElParam(WM_DDE_ACK, lParam);
    return 0;
}

LRESULT OnData(HWND window, WPARAM sender, LPARAM lParam)
{
    // The client never asks for data. What a stranger sends is released here,
    // or nobody would; the packed lParam is ours in any case.
    UINT_PTR data = 0, item = 0;
    if (!UnpackDDElParam(WM_DDE_DATA, lParam, &data, &item))
        return 0;
    if (reinterpret_cast<HWND>(sender) != Partner(window)) {
        if (data)
            GlobalFree(reinterpret_cast<HGLOBAL>(data));
        if (item)
            GlobalDeleteAtom(static_cast<ATOM>(item));
    }
    FreeDDElParam(WM_DDE_DATA, lParam);
    return 0;
}

// Waits, dispatching nothing, for the partner's acknowledgement of the
// command. Win32 packs the acknowledgement's lParam: status word and the
// command's memory. 1 when bit 15 of the status is set.
LRESULT WaitForAck(HWND window, HWND partner)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, window, WM_DDE_ACK, WM_DDE_ACK, PM_REMOVE)) {
            UINT_PTR status = 0, commands = 0;
            BOOL unpacked = UnpackDDElParam(WM_DDE_ACK, msg.lParam, &status, &commands);
            FreeDDElParam(WM_DDE_ACK, msg.lParam);
            if (reinterpret_cast<HWND>(msg.wParam) == partner) {
                bool positive = unpacked && (status & kPositiveAck);
                s_answer = positive ? Answer::Positive : Answer::Negative;
                return positive ? 1 : 0;
            }
        }
        // A partner that closes instead of answering will not answer; its
        // terminate stays queued for the closing handshake.
        if (PeekMessageA(&msg, window, WM_DDE_TERMINATE, WM_DDE_TERMINATE, PM_NOREMOVE) &&
            reinterpret_cast<HWND>(msg.wParam) == partner)
            return 0;
        // A silent Program Manager must not hold the uninstaller forever.
        if (TimedOut(start, kDdeAckTimeout))
            return 0;
        WaitForTraffic(start, kDdeAckTimeout);
    }
}

// The partner's WM_DDE_DATA in answer to a request: the data's header
// says whether the client frees it and whether an acknowledgement is
// wanted. 1 when its text (CF_TEXT) lists `group`, 0 when it does not, -1
// when it holds no text.
int TakeRequestedData(HWND window, HWND partner, LPARAM lParam, const char* group)
{
    UINT_PTR data = 0, item = 0;
    BOOL unpacked = UnpackDDElParam(WM_DDE_DATA, lParam, &data, &item);
    FreeDDElParam(WM_DDE_DATA, lParam);
    if (!unpacked)
        return -1;
    int listed = -1;
    bool acknowledge = false, release = true;
    HGLOBAL memory = reinterpret_cast<HGLOBAL>(data);
    if (memory) {
        if (auto* answer = static_cast<DDEDATA*>(GlobalLock(memory))) {
            acknowledge = answer->fAckReq;
            release = answer->fRelease;
            SIZE_T size = GlobalSize(memory);
            SIZE_T header = offsetof(DDEDATA, Value);
            if (answer->cfFormat == CF_TEXT && size >= header)
                listed = GroupListHolds(reinterpret_cast<const char*>(answer->Value), size - header,
                                        group) ? 1 : 0;
            GlobalUnlock(memory);
        }
    }
    if (acknowledge) {
        LPARAM ack = PackDDElParam(WM_DDE_ACK, kPositiveAck, item);
        if (!PostMessageA(partner, WM_DDE_ACK, reinterpret_cast<WPARAM>(window), ack)) {
            FreeDDElParam(WM_DDE_ACK, ack);
            if (item)
                GlobalDeleteAtom(static_cast<ATOM>(item));
        }
    } else if (item) {
        GlobalDeleteAtom(static_cast<ATOM>(item));
    }
    if (memory && release)
        GlobalFree(memory);
    return listed;
}

// Asks the partner for its list of groups, Program Manager's "Groups" item
// in CF_TEXT, and waits for it as for an acknowledgement. 1 when `group` is
// on it, 0 when it is not, -1 without a list (refused, silent or closed).
int PartnerListsGroup(HWND window, HWND partner, const char* group)
{
    ATOM item = GlobalAddAtomA("Groups");
    if (!item)
        return -1;
    // A request's lParam is not packed: format and item atom.
    if (!PostMessageA(partner, WM_DDE_REQUEST, reinterpret_cast<WPARAM>(window),
                      MAKELPARAM(CF_TEXT, item))) {
        GlobalDeleteAtom(item);
        return -1;
    }
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        if (PeekMessageA(&msg, window, WM_DDE_DATA, WM_DDE_DATA, PM_REMOVE)) {
            if (reinterpret_cast<HWND>(msg.wParam) != partner) {
                OnData(window, msg.wParam, msg.lParam);
                continue;
            }
            return TakeRequestedData(window, partner, msg.lParam, group);
        }
        if (PeekMessageA(&msg, window, WM_DDE_ACK, WM_DDE_ACK, PM_REMOVE)) {
            UINT_PTR status = 0, atom = 0;
            BOOL unpacked = UnpackDDElParam(WM_DDE_ACK, msg.lParam, &status, &atom);
            FreeDDElParam(WM_DDE_ACK, msg.lParam);
            // A request is answered with its data or refused. A positive
            // acknowledgement is no answer to it but a late one of something
            // else (seen from the shell on a loaded machine), whose second
            // half is no atom of ours.
            if (reinterpret_cast<HWND>(msg.wParam) == partner && unpacked && !(status & kPositiveAck)) {
                // A refusal hands the item atom back.
                if (atom)
                    GlobalDeleteAtom(static_cast<ATOM>(atom));
                return -1;
            }
            continue;
        }
        if (PeekMessageA(&msg, window, WM_DDE_TERMINATE, WM_DDE_TERMINATE, PM_NOREMOVE) &&
            reinterpret_cast<HWND>(msg.wParam) == partner)
            return -1;
        if (TimedOut(start, kDdeAckTimeout)) {
            GlobalDeleteAtom(item);
            return -1;
        }
        WaitForTraffic(start, kDdeAckTimeout);
    }
}

LRESULT OnExecute(HWND window, WPARAM sender, LPARAM commands)
{
    HWND partner = Partner(window);
    // Only the group deletion (wParam 0) may send a command through us.
    if (sender != 0 || !partner)
        return 0;
    if (!PostMessageA(partner, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(window), commands))
        return 0;
    return WaitForAck(window, partner);
}

}  // namespace

LRESULT CALLBACK DDEClientWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        return OnNcCreate(window, wParam, lParam);
    case WM_DESTROY:
        return OnDestroy(window);
    case WM_DDE_TERMINATE:
        return OnTerminate(window, wParam);
    case WM_DDE_ACK:
        return OnAck(window, wParam, lParam);
    case WM_DDE_DATA:
        return OnData(window, wParam, lParam);
    case WM_DDE_EXECUTE:
        return OnExecute(window, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterDDEClientClass(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DDEClientWndProc;
    // The partner window: 4 bytes in the 32-bit program, a pointer's width
    // wherever handles are wider.
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.lpszClassName = kClientClass;
    if (!RegisterClassA(&wc))
        return false;
    s_instance = instance;
    return true;
}

namespace {

// Whether `window` takes messages at all: ShowWindow and EnableWindow wait
// for its thread, which may be hung.
bool Answers(HWND window)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAliveTimeout, &ignored) != 0;
}

BOOL CALLBACK CloseStartedWindow(HWND window, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == s_startedProcess)
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

int DeleteProgmanGroup()
{
    s_startedProcess = 0;
    s_answer = Answer::None;
    ATOM application = GlobalAddAtomA(kServiceName);
    ATOM topic = GlobalAddAtomA(kServiceName);
    HWND client = nullptr;
    // A zero atom would turn the initiation into a call to every service.
    if (application && topic) {
        s_progman = FindWindowA(kProgmanClass, nullptr);
        LPARAM names = MAKELPARAM(application, topic);
        client = CreateWindowExA(0, kClientClass, "", 0, 0, 0, 0, 0, nullptr, nullptr, s_instance,
                                 reinterpret_cast<LPVOID>(names));
    }
    if (application)
        GlobalDeleteAtom(application);
    if (topic)
        GlobalDeleteAtom(topic);
    if (!client) {
        LogAction("Program Manager group kept (no conversation could be opened): %s", kGroupName);
        return kGroupNotRemoved;
    }

    // The user must not work in Program Manager while the command runs; a
    // Program Manager that does not answer is left alone, as it is.
    HWND progman = FindWindowA(kProgmanClass, nullptr);
    s_progman = progman;
    bool disabled = false;
    if (progman && !g_options.unattended && Answers(progman)) {
        ShowWindow(progman, SW_SHOWNOACTIVATE);
        EnableWindow(progman, FALSE);
        disabled = true;
    }
    HWND partner = Partner(client);

    int result = 0;
    char command[64];
    int length = wnsprintfA(command, sizeof command, kDeleteGroupFormat, kGroupName);
    if (length > 0 && length < static_cast<int>(sizeof command) - 1) {
        HGLOBAL memory = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, length + 1);
        if (memory) {
            if (void* text = GlobalLock(memory)) {
                std::memcpy(text, command, length + 1);
                GlobalUnlock(memory);
                result = SendMessageA(client, WM_DDE_EXECUTE, 0, reinterpret_cast<LPARAM>(memory)) == 1;
            }
            GlobalFree(memory);
        }
    }
    // Refused: perhaps because an earlier run deleted the group. Program
    // Manager's own list says.
    bool notThere = !result && s_answer == Answer::Negative && partner == Partner(client) &&
                    PartnerListsGroup(client, partner, kGroupName) == 0;

    DestroyWindow(client);
    if (disabled)
        EnableWindow(progman, TRUE);
    // A Program Manager started here for nothing, the group having gone
    // through another server, is not left on the user's screen.
    if (s_startedProcess && result) {
        DWORD partnerProcess = 0;
        GetWindowThreadProcessId(partner, &partnerProcess);
        if (partnerProcess != s_startedProcess)
            EnumWindows(CloseStartedWindow, 0);
    }
    if (result)
        LogAction("Program Manager group deleted: %s", kGroupName);
    else if (notThere)
        LogAction("Program Manager group not there (Program Manager lists no such group): %s",
                  kGroupName);
    else if (!partner)
        LogAction("Program Manager group kept (no Program Manager answered): %s", kGroupName);
    else
        LogAction("Program Manager group kept (Program Manager %s the command): %s",
                  s_answer == Answer::Negative ? "refused" : "did not answer", kGroupName);
    return result ? kGroupRemoved : notThere ? kGroupNotThere : kGroupNotRemoved;
}
