// The Program Manager link against Wine's shell, which serves Program
// Manager's DDE service as NT does, and against progman_double.exe, a
// Program Manager window that answers raw DDE (or refuses, stays silent,
// hangs) from another process.
#include <gtest/gtest.h>

#include <dde.h>

#include <memory>
#include <string>
#include <vector>

#include "ddeclient/ddeclient.h"
#include "support/winsupport.h"

using namespace winsupport;

namespace {

const char kGroup[] = "Brackenfield Printing System";
const std::string kExecute = "EXECUTE [DeleteGroup(Brackenfield Printing System)] DISABLED ";

// How many references the global atom table holds to "PROGMAN".
int ProgmanAtomReferences()
{
    struct { USHORT references, pinned, nameLength; WCHAR name[64]; } info = {};
    using Query = LONG(WINAPI*)(ATOM, int, void*, ULONG, ULONG*);
    FARPROC proc = GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationAtom");
    auto query = reinterpret_cast<Query>(proc);
    ATOM atom = GlobalFindAtomA("PROGMAN");
    return query && atom && query(atom, 0, &info, sizeof info, nullptr) >= 0 ? info.references : 0;
}

// Blocks in use on the process heap, where the command's memory comes from.
long BusyHeapBlocks()
{
    HANDLE heap = GetProcessHeap();
    long busy = 0;
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(heap);
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            ++busy;
    HeapUnlock(heap);
    return busy;
}

// A group of the shell's is a folder of the start menu.
std::string GroupFolder(const char* name)
{
    char appData[MAX_PATH] = "";
    GetEnvironmentVariableA("APPDATA", appData, sizeof appData);
    return std::string(appData) + "\\Microsoft\\Windows\\Start Menu\\Programs\\" + name;
}

std::string Fresh(const char* name)
{
    std::string path = TempFile(name);
    DeleteFileA(path.c_str());
    return path;
}

// One progman_double.exe with its log and group list in the temp folder.
struct ProgmanDouble {
    std::string log = Fresh("qor_progman.log"), state = Fresh("qor_progman.groups");
    Process process;

    explicit ProgmanDouble(const std::string& options)
        : process("\"" + BinDir() + "progman_double.exe\" /log \"" + log + "\" /state \"" + state + "\" " +
                  options)
    {
    }
    ~ProgmanDouble()
    {
        TerminateProcess(process.info.hProcess, 0);
        process.WaitExit();
        DeleteFileA(log.c_str());
        DeleteFileA(state.c_str());
    }
    // The double logs atom names as the atom table spells them ("Progman"
    // when some other program added the name first): compared in capitals.
    std::vector<std::string> Log()
    {
        std::vector<std::string> lines = Lines(log);
        for (std::string& line : lines)
            if (line.rfind("INITIATE ", 0) == 0 || line.rfind("REQUEST ", 0) == 0)
                CharUpperA(&line[0]);
        return lines;
    }
};

class DeleteGroup : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterDDEClientClass(GetModuleHandleA(nullptr)); }
    void SetUp() override { ASSERT_EQ(FindWindowA("PROGMAN", nullptr), nullptr); }
    // Wine's own Program Manager (class "PMMain") must not have been
    // started; should it have been, it is closed again.
    void TearDown() override
    {
        HWND started = FindWindowA("PMMain", nullptr);
        EXPECT_EQ(started, nullptr) << "Program Manager was started";
        if (started)
            PostMessageA(started, WM_CLOSE, 0, 0);
    }

    // DeleteProgmanGroup's result, and how long it took in `took`.
    static int TimedDelete(DWORD* took)
    {
        DWORD start = GetTickCount();
        int result = DeleteProgmanGroup();
        *took = GetTickCount() - start;
        return result;
    }
};

// One conversation, the command while Program Manager was disabled, and a
// terminate handshake that ended the wait at once, or after 3 s when the
// double leaves it unanswered. A second server that answers too is told at
// once that the conversation is over; the command goes to the first only. A
// silent one does not hold the uninstaller past the bound. A refusal is
// followed by a request for the list of groups: a group that is not on it
// is no failure, one that is on it (or no list) is.
TEST_F(DeleteGroup, AProgramManagerWindowIsAskedFirst)
{
    const std::string ours = " /group \"Brackenfield Printing System\"", answered = "TERMINATE ANSWERED";
    const std::string listed = "REQUEST GROUPS ANSWERED", refused = "REQUEST GROUPS REFUSED";
    const DWORD kBound = kDdeAckTimeout + kDdeTerminateTimeout;
    // The log after the initiation, the groups left, the least and most time taken.
    struct Row { std::string options; int result; std::vector<std::string> log, groups; DWORD least, most; };
    const Row rows[] = {
        {ours + " /group Accessories", 1, {kExecute + "ACK", answered}, {"Accessories"}, 0, kBound},
        {"/refuse" + ours, 0, {kExecute + "NACK", listed, answered}, {kGroup}, 0, 3000},
        {"/refuse /norequest" + ours, 0, {kExecute + "NACK", refused, answered}, {kGroup}, 0, 3000},
        {"/group Accessories", 2, {kExecute + "NACK", listed, answered}, {"Accessories"}, 0, 3000},
        {"/second" + ours, 1, {"SECOND " + answered, kExecute + "ACK", answered}, {}, 0, kBound},
        {"/silent" + ours, 0, {kExecute + "SILENT", answered}, {kGroup}, 0, kBound},
        {"/noterminate" + ours, 1, {kExecute + "ACK", "TERMINATE UNANSWERED"}, {}, kDdeTerminateTimeout,
         kDdeTerminateTimeout + 2000},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.options);
        ProgmanDouble progman(r.options);
        HWND window = WaitForWindow("PROGMAN", nullptr);
        ASSERT_NE(window, nullptr);
        int atoms = ProgmanAtomReferences();
        DWORD took;
        EXPECT_EQ(TimedDelete(&took), r.result);
        std::vector<std::string> log = {"READY", "INITIATE PROGMAN PROGMAN ACCEPTED"};
        log.insert(log.end(), r.log.begin(), r.log.end());
        EXPECT_EQ(progman.Log(), log);
        EXPECT_EQ(Lines(progman.state), r.groups);
        EXPECT_TRUE(IsWindowEnabled(window));
        EXPECT_TRUE(took >= r.least && took < r.most) << took << " ms";
        EXPECT_EQ(ProgmanAtomReferences(), atoms);
    }
}

// No window of class "PROGMAN", or one that does not answer or answers
// nothing: the initiation goes to every window then, and the shell answers
// and deletes its group folder only; Program Manager is never started. A hung
// window is neither shown nor disabled, which would wait for it for ever.
// Without the group the shell refuses the command at once, and its list of
// groups shows that the group is gone. The client's own atoms and those of
// the shell's answers are released.
TEST_F(DeleteGroup, TheShellDeletesItsGroupWhenNoProgramManagerWindowAnswers)
{
    ASSERT_TRUE(CreateDirectoryA(GroupFolder("Qor Other Group").c_str(), nullptr));
    for (const char* options : {"", "/deaf", "/hang"}) {
        SCOPED_TRACE(options);
        ASSERT_TRUE(CreateDirectoryA(GroupFolder(kGroup).c_str(), nullptr));
        std::unique_ptr<ProgmanDouble> progman(*options ? new ProgmanDouble(options) : nullptr);
        ASSERT_TRUE(!progman || WaitForWindow("PROGMAN", nullptr));
        int atoms = ProgmanAtomReferences();
        DWORD took;
        EXPECT_EQ(TimedDelete(&took), 1);
        EXPECT_LT(took, 15000u);
        EXPECT_FALSE(FileExists(GroupFolder(kGroup)));
        EXPECT_TRUE(FileExists(GroupFolder("Qor Other Group")));
        EXPECT_EQ(TimedDelete(&took), 2);
        EXPECT_LT(took, progman ? 15000u : 3000u);
        EXPECT_EQ(ProgmanAtomReferences(), atoms);
    }
    RemoveDirectoryA(GroupFolder("Qor Other Group").c_str());
}

// Drives a client window directly: what strangers send is released and does
// not disturb the conversation with the partner.
TEST_F(DeleteGroup, StrangersDoNotDisturbTheConversation)
{
    ProgmanDouble progman("/group Accessories");
    ASSERT_NE(WaitForWindow("PROGMAN", nullptr), nullptr);
    // A deletion first, refused for want of the group: the client has now
    // looked Program Manager up, and the window below talks to it.
    ASSERT_EQ(DeleteProgmanGroup(), 2);
    ATOM app = GlobalAddAtomA("PROGMAN"), topic = GlobalAddAtomA("PROGMAN");
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND client = CreateWindowExA(0, "DDEClient", "", 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                                  reinterpret_cast<LPVOID>(MAKELPARAM(app, topic)));
    GlobalDeleteAtom(app);
    GlobalDeleteAtom(topic);
    ASSERT_NE(client, nullptr);
    HWND stranger = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, 0);
    WPARAM from = reinterpret_cast<WPARAM>(stranger);

    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 16);
    ATOM item = GlobalAddAtomA("QorStrangerItem");
    LPARAM packed = PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(data), item);
    SendMessageA(client, WM_DDE_DATA, from, packed);
    EXPECT_EQ(GlobalFindAtomA("QorStrangerItem"), 0);
    EXPECT_EQ(GlobalSize(data), 0u);

    SendMessageA(client, WM_DDE_TERMINATE, from, 0);
    const char command[] = "[CreateGroup(Fresh)]";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof command);
    lstrcpyA(static_cast<char*>(GlobalLock(memory)), command);
    GlobalUnlock(memory);
    EXPECT_EQ(SendMessageA(client, WM_DDE_EXECUTE, 0, reinterpret_cast<LPARAM>(memory)), 1);
    GlobalFree(memory);
    DestroyWindow(client);
    DestroyWindow(stranger);

    // The command reached the partner, the stranger's terminate had not
    // ended the conversation.
    EXPECT_EQ(Lines(progman.state), (std::vector<std::string>{"Accessories", "Fresh"}));

    // Each command's memory is given back once the command is answered:
    // eight more conversations leave the heap as it was, give or take.
    long before = BusyHeapBlocks();
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(DeleteProgmanGroup(), 2);
    EXPECT_LT(BusyHeapBlocks() - before, 4);
}

}  // namespace
