// The Program Manager link: a DDE client window that asks Program Manager to
// delete the package's group.
#pragma once

#include <windows.h>

// Registers the "DDEClient" window class; false when that fails.
bool RegisterDDEClientClass(HINSTANCE instance);

// Results of DeleteProgmanGroup.
constexpr int kGroupNotRemoved = 0;  // no answer, or refused while the group is there
constexpr int kGroupRemoved = 1;     // acknowledged positively
constexpr int kGroupNotThere = 2;    // refused, and Program Manager lists no such group

// Asks Program Manager to delete the package's group. When it refuses, asks
// for its list of groups: a group that an earlier run deleted is no failure.
// In an unattended run Program Manager is neither started nor shown.
int DeleteProgmanGroup();

// The client end of the conversation: opens it while the window is created,
// carries a WM_DDE_EXECUTE sent to it (lParam the command's memory) and
// returns the acknowledgement (1 or 0), closes it when destroyed.
LRESULT CALLBACK DDEClientWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// How long the client waits for Program Manager's acknowledgement of the
// command (and for its list of groups), and for its answer to the closing
// WM_DDE_TERMINATE.
constexpr DWORD kDdeAckTimeout = 10000;
constexpr DWORD kDdeTerminateTimeout = 3000;
// How long a Program Manager started by the client gets to show its window.
constexpr DWORD kProgmanStartTimeout = 5000;
