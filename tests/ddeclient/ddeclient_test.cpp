// The Program Manager link against Wine's shell, which serves Program
// Manager's DDE service as NT does, and against progman_double.exe, a
// Program Manager window that answers raw DDE (or refuses, stays silent,
// hangs) from another process.
#include <gtest/gtest.h>

#include <dde.h>
#include <ddeml.h>

#include <string>
#include <vector>

#include "ddeclient/ddeclient.h"
#include "support/winsupport.h"

using namespace winsupport;

namespace {

const char kGroup[] = "Brackenfield Printing System";
const char kExecute[] = "EXECUTE [DeleteGroup(Brackenfield Printing System)] DISABLED ";
const char kWineProgmanClass[] = "PMMain";  // Wine's own Program Manager

// How many references the global atom table holds to "PROGMAN".
int ProgmanAtomReferences()
{
    struct BasicInformation {
        USHORT references, pinned, nameLength;
        WCHAR name[64];
    } info = {};
    using Query = LONG(WINAPI*)(ATOM, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<Query>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationAtom"));
    ATOM atom = GlobalFindAtomA("PROGMAN");
    if (!query || !atom || query(atom, 0, &info, sizeof info, nullptr) < 0)
        return 0;
    return info.references;
}

// Ends every Program Manager of Wine's own; true when one was running.
bool EndWineProgman()
{
    bool found = false;
    while (HWND w = FindWindowA(kWineProgmanClass, nullptr)) {
        found = true;
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process)
            break;
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
    return found;
}

HDDEDATA CALLBACK NoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

// A group of the shell's, made as an installer makes it: through the DDE
// management library. The folder window the shell opens for it is closed.
bool CreateShellGroup(const char* name)
{
    DWORD instance = 0;
    if (DdeInitializeA(&instance, NoCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return false;
    HSZ service = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    HCONV conversation = DdeConnect(instance, service, service, nullptr);
    std::string command = std::string("[CreateGroup(") + name + ")]";
    bool ok = conversation &&
              DdeClientTransaction(reinterpret_cast<BYTE*>(&command[0]),
                                   static_cast<DWORD>(command.size() + 1), conversation, nullptr,
                                   0, XTYP_EXECUTE, 5000, nullptr) != nullptr;
    if (conversation)
        DdeDisconnect(conversation);
    DdeFreeStringHandle(instance, service);
    DdeUninitialize(instance);
    if (HWND folder = WaitForWindow("ExplorerWClass", name, 3000))
        PostMessageA(folder, WM_CLOSE, 0, 0);
    return ok;
}

std::string GroupFolder(const char* name)
{
    char appData[MAX_PATH] = "";
    GetEnvironmentVariableA("APPDATA", appData, sizeof appData);
    return std::string(appData) + "\\Microsoft\\Windows\\Start Menu\\Programs\\" + name;
}

// One progman_double.exe with its log and group list in the temp folder.
class ProgmanDouble {
public:
    explicit ProgmanDouble(const std::string& options)
        : log_(Prepare("qor_progman.log")), state_(Prepare("qor_progman.groups")),
          process_("\"" + BinDir() + "progman_double.exe\" /log \"" + log_ + "\" /state \"" +
                   state_ + "\" " + options)
    {
    }
    ~ProgmanDouble()
    {
        if (process_.started && process_.Running()) {
            TerminateProcess(process_.info.hProcess, 0);
            process_.WaitExit();
        }
        DeleteFileA(log_.c_str());
        DeleteFileA(state_.c_str());
    }
    HWND Window() { return WaitForWindow("PROGMAN", nullptr); }
    // The double logs atom names as the atom table spells them ("Progman"
    // when some other program added the name first): compared in capitals.
    std::vector<std::string> Log()
    {
        std::vector<std::string> lines = Lines(log_);
        for (std::string& line : lines)
            if (line.rfind("INITIATE ", 0) == 0)
                CharUpperA(&line[0]);
        return lines;
    }
    std::vector<std::string> Groups() { return Lines(state_); }

private:
    static std::string Prepare(const char* name)
    {
        std::string path = TempFile(name);
        DeleteFileA(path.c_str());
        return path;
    }
    std::string log_, state_;
    Process process_;
};

class DeleteGroup : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterDDEClientClass(GetModuleHandleA(nullptr)); }
    void SetUp() override { ASSERT_EQ(FindWindowA("PROGMAN", nullptr), nullptr); }
    void TearDown() override { EXPECT_FALSE(EndWineProgman()) << "Program Manager was started"; }

    // DeleteProgmanGroup's result, and how long it took in `took`.
    static int TimedDelete(DWORD* took)
    {
        DWORD start = GetTickCount();
        int result = DeleteProgmanGroup();
        *took = GetTickCount() - start;
        return result;
    }
};

// No window of class "PROGMAN": the shell answers the broadcast initiation
// and deletes its group folder; Program Manager is never started.
TEST_F(DeleteGroup, TheShellsServiceDeletesItsGroup)
{
    ASSERT_TRUE(CreateShellGroup(kGroup));
    ASSERT_TRUE(CreateShellGroup("Qor Other Group"));
    ASSERT_TRUE(FileExists(GroupFolder(kGroup)));
    int atoms = ProgmanAtomReferences();
    DWORD took;
    EXPECT_EQ(TimedDelete(&took), 1);
    EXPECT_FALSE(FileExists(GroupFolder(kGroup)));
    EXPECT_TRUE(FileExists(GroupFolder("Qor Other Group")));
    // Without the group the shell refuses the command.
    EXPECT_EQ(TimedDelete(&took), 0);
    EXPECT_LT(took, 3000u);
    // The client's own atoms and those of the shell's answers are released.
    EXPECT_EQ(ProgmanAtomReferences(), atoms);
    RemoveDirectoryA(GroupFolder("Qor Other Group").c_str());
}

struct AnswerCase {
    const char* options;
    int result;
    std::vector<std::string> logAfterInitiate;  // what the double logged then
    std::vector<std::string> groupsAfter;
};

const AnswerCase kAnswers[] = {
    {"/group \"Brackenfield Printing System\" /group Accessories", 1,
     {std::string(kExecute) + "ACK", "TERMINATE ANSWERED"}, {"Accessories"}},
    {"/group Accessories", 0, {std::string(kExecute) + "NACK", "TERMINATE ANSWERED"}, {"Accessories"}},
    {"/refuse /group \"Brackenfield Printing System\"", 0,
     {std::string(kExecute) + "NACK", "TERMINATE ANSWERED"}, {kGroup}},
    // A second server that answers too is told at once that the conversation
    // is over; the command goes to the first only.
    {"/second /group \"Brackenfield Printing System\"", 1,
     {"SECOND TERMINATE ANSWERED", std::string(kExecute) + "ACK", "TERMINATE ANSWERED"}, {}},
    // A silent one does not hold the uninstaller past the bound.
    {"/silent /group \"Brackenfield Printing System\"", 0,
     {std::string(kExecute) + "SILENT", "TERMINATE ANSWERED"}, {kGroup}},
};

TEST_F(DeleteGroup, AProgramManagerWindowIsAskedFirst)
{
    for (const AnswerCase& c : kAnswers) {
        SCOPED_TRACE(c.options);
        ProgmanDouble progman(c.options);
        HWND window = progman.Window();
        ASSERT_NE(window, nullptr);
        int atoms = ProgmanAtomReferences();
        DWORD took;
        EXPECT_EQ(TimedDelete(&took), c.result);
        // One conversation, the command while Program Manager was disabled,
        // and a terminate handshake that ended the wait at once.
        std::vector<std::string> expected = {"READY", "INITIATE PROGMAN PROGMAN ACCEPTED"};
        expected.insert(expected.end(), c.logAfterInitiate.begin(), c.logAfterInitiate.end());
        EXPECT_EQ(progman.Log(), expected);
        EXPECT_EQ(progman.Groups(), c.groupsAfter);
        EXPECT_TRUE(IsWindowEnabled(window));
        EXPECT_LT(took, kDdeAckTimeout + kDdeTerminateTimeout);
        EXPECT_EQ(ProgmanAtomReferences(), atoms);
    }
}

TEST_F(DeleteGroup, UnansweredTerminateIsWaitedForThreeSeconds)
{
    ProgmanDouble progman("/noterminate /group \"Brackenfield Printing System\"");
    ASSERT_NE(progman.Window(), nullptr);
    DWORD took;
    EXPECT_EQ(TimedDelete(&took), 1);
    EXPECT_GE(took, kDdeTerminateTimeout);
    EXPECT_LT(took, kDdeTerminateTimeout + 2000);
}

// A Program Manager window that does not answer, or answers nothing: the
// initiation goes to every window then, and the shell answers. A hung window
// is neither shown nor disabled, which would wait for it for ever.
TEST_F(DeleteGroup, ADeafOrHungProgramManagerLeavesItToTheShell)
{
    for (const char* options : {"/deaf", "/hang"}) {
        ASSERT_TRUE(CreateShellGroup(kGroup));
        ProgmanDouble progman(options);
        ASSERT_NE(progman.Window(), nullptr) << options;
        DWORD took;
        EXPECT_EQ(TimedDelete(&took), 1) << options;
        EXPECT_FALSE(FileExists(GroupFolder(kGroup))) << options;
        EXPECT_LT(took, 15000u) << options;
    }
}

// Drives a client window directly: what strangers send is released and does
// not disturb the conversation with the partner.
TEST_F(DeleteGroup, StrangersDoNotDisturbTheConversation)
{
    ProgmanDouble progman("/group Accessories");
    ASSERT_NE(progman.Window(), nullptr);
    // A deletion first, refused for want of the group: the client has now
    // looked Program Manager up, and the window below talks to it.
    ASSERT_EQ(DeleteProgmanGroup(), 0);
    ATOM app = GlobalAddAtomA("PROGMAN"), topic = GlobalAddAtomA("PROGMAN");
    HWND client = CreateWindowExA(0, "DDEClient", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr),
                                  reinterpret_cast<LPVOID>(MAKELPARAM(app, topic)));
    GlobalDeleteAtom(app);
    GlobalDeleteAtom(topic);
    ASSERT_NE(client, nullptr);
    HWND stranger = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);

    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 16);
    ATOM item = GlobalAddAtomA("QorStrangerItem");
    LPARAM packed = PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(data), item);
    SendMessageA(client, WM_DDE_DATA, reinterpret_cast<WPARAM>(stranger), packed);
    EXPECT_EQ(GlobalFindAtomA("QorStrangerItem"), 0);
    EXPECT_EQ(GlobalSize(data), 0u);

    SendMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(stranger), 0);
    const char command[] = "[CreateGroup(Fresh)]";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof command);
    lstrcpyA(static_cast<char*>(GlobalLock(memory)), command);
    GlobalUnlock(memory);
    EXPECT_EQ(SendMessageA(client, WM_DDE_EXECUTE, 0, reinterpret_cast<LPARAM>(memory)), 1);
    GlobalFree(memory);
    DestroyWindow(client);
    DestroyWindow(stranger);

    std::vector<std::string> groups = {"Accessories", "Fresh"};
    EXPECT_EQ(progman.Groups(), groups);
    std::vector<std::string> log = progman.Log();
    ASSERT_EQ(log.size(), 7u);
    EXPECT_EQ(log[4], "INITIATE PROGMAN PROGMAN ACCEPTED");
    EXPECT_EQ(log[5], "EXECUTE [CreateGroup(Fresh)] ENABLED ACK");
    EXPECT_EQ(log[6], "TERMINATE ANSWERED");
}

}  // namespace
