// The Program Manager link against progman_double.exe, a Program Manager that
// answers raw DDE from another process as a Win32 server does.
#include <gtest/gtest.h>

#include <dde.h>

#include <string>
#include <vector>

#include "ddeclient/ddeclient.h"
#include "components/testfiles.h"
#include "support/winsupport.h"

using namespace testfiles;
using namespace winsupport;

namespace {

const char kGroup[] = "Brackenfield Printing System";
const char kExecute[] = "EXECUTE [DeleteGroup(Brackenfield Printing System)] DISABLED ";
const char kWineProgmanClass[] = "PMMain";  // Wine's own Program Manager

// WinExec("PROGMAN") starts Wine's Program Manager when no "PROGMAN" window
// answers; it is ended again here. True when one was running.
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
    void TearDown() override { EndWineProgman(); }

    // DeleteProgmanGroup's result, and how long it took in `took`.
    static int TimedDelete(DWORD* took)
    {
        DWORD start = GetTickCount();
        int result = DeleteProgmanGroup();
        *took = GetTickCount() - start;
        return result;
    }
};

struct AnswerCase {
    const char* options;
    int result;
    const char* answer;  // how the double acknowledged
    std::vector<std::string> groupsAfter;
};

const AnswerCase kAnswers[] = {
    {"/group \"Brackenfield Printing System\" /group Accessories", 1, "ACK", {"Accessories"}},
    {"/group Accessories", 0, "NACK", {"Accessories"}},
    {"/refuse /group \"Brackenfield Printing System\"", 0, "NACK", {kGroup}},
    // The second server's answer comes after the first: it gets nothing.
    {"/second /group \"Brackenfield Printing System\"", 1, "ACK", {}},
};

TEST_F(DeleteGroup, ResultIsProgramManagersAnswer)
{
    for (const AnswerCase& c : kAnswers) {
        SCOPED_TRACE(c.options);
        ProgmanDouble progman(c.options);
        HWND window = progman.Window();
        ASSERT_NE(window, nullptr);

        DWORD took;
        EXPECT_EQ(TimedDelete(&took), c.result);

        // One conversation, the command while Program Manager was disabled,
        // and a terminate handshake that ended the wait at once.
        std::vector<std::string> expected = {"READY", "INITIATE PROGMAN PROGMAN ACCEPTED",
                                             std::string(kExecute) + c.answer,
                                             "TERMINATE ANSWERED"};
        EXPECT_EQ(progman.Log(), expected);
        EXPECT_EQ(progman.Groups(), c.groupsAfter);
        EXPECT_TRUE(IsWindowEnabled(window));
        EXPECT_LT(took, kDdeTerminateTimeout);
    }
}

TEST_F(DeleteGroup, SilentProgramManagerDoesNotHoldTheUninstaller)
{
    ProgmanDouble progman("/silent /group \"Brackenfield Printing System\"");
    HWND window = progman.Window();
    ASSERT_NE(window, nullptr);
    DWORD took;
    EXPECT_EQ(TimedDelete(&took), 0);
    EXPECT_GE(took, kDdeAckTimeout);
    EXPECT_LT(took, kDdeAckTimeout + 3000);
    EXPECT_EQ(progman.Log().at(2), std::string(kExecute) + "SILENT");
    EXPECT_TRUE(IsWindowEnabled(window));
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

TEST_F(DeleteGroup, NobodyAnsweringGivesZeroAfterStartingProgramManager)
{
    ProgmanDouble progman("/deaf /group \"Brackenfield Printing System\"");
    ASSERT_NE(progman.Window(), nullptr);
    DWORD took;
    EXPECT_EQ(TimedDelete(&took), 0);
    EXPECT_LT(took, 10000u);
    // Asked, "PROGMAN" started, asked again; no command without a partner.
    std::vector<std::string> expected = {"READY", "INITIATE PROGMAN PROGMAN IGNORED",
                                         "INITIATE PROGMAN PROGMAN IGNORED"};
    EXPECT_EQ(progman.Log(), expected);
    EXPECT_TRUE(EndWineProgman());
}

TEST_F(DeleteGroup, ProgramManagerThatAppearsLateIsAskedThere)
{
    // Not running when the deletion starts: its window comes only after the
    // first initiation has gone unanswered.
    ProgmanDouble progman("/delay 1500 /group \"Brackenfield Printing System\"");
    DWORD took;
    EXPECT_EQ(TimedDelete(&took), 1);
    std::vector<std::string> expected = {"READY", "INITIATE PROGMAN PROGMAN ACCEPTED",
                                         std::string(kExecute) + "ACK", "TERMINATE ANSWERED"};
    EXPECT_EQ(progman.Log(), expected);
    EXPECT_TRUE(progman.Groups().empty());
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
    EXPECT_FALSE(EndWineProgman());
}

}  // namespace
