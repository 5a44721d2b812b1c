// Start-up configuration from vorn.ini, the program-wide handles, and the
// message-box helper.
#include <shlwapi.h>

#include <cstdarg>

#include "base/base.h"
#include "resource.h"

HINSTANCE g_instance;
HWND g_mainWindow;
int g_horzRes;
int g_vertRes;
int g_numColors;
HWND g_welcomePage;
HWND g_completionPage;

static void BuildCaption(char* out, int size, UINT suffixId)
{
    char suffix[255];
    if (LoadStringA(g_instance, suffixId, suffix, sizeof suffix) <= 0)
        suffix[0] = '\0';
    wnsprintfA(out, size, "%s %s %s", "QOR", kProductWord, suffix);
}

bool LoadConfiguration(HWND window)
{
    GetWindowsDirectoryA(g_config.WindowsDir, sizeof g_config.WindowsDir);
    GetSystemDirectoryA(g_config.SystemDir, sizeof g_config.SystemDir);

    BuildCaption(g_config.MainTitle, sizeof g_config.MainTitle, IDS_TITLE_SUFFIX);
    BuildCaption(g_config.ErrorCaption, sizeof g_config.ErrorCaption, IDS_ERROR_SUFFIX);
    BuildCaption(g_config.WarningCaption, sizeof g_config.WarningCaption, IDS_WARNING_SUFFIX);

    char settings[kMaxPath];
    if (JoinPath(settings, sizeof settings, g_config.WindowsDir, "vorn.ini")) {
        g_config.PrinterStyle = static_cast<int>(
            GetPrivateProfileIntA("PrinterStyle", "HopperCapacity", 0, settings));
        DWORD n = GetPrivateProfileStringA("APPLICATIONS", "VornDir", "", g_config.InstallDir,
                                           sizeof g_config.InstallDir, settings);
        // A value that fills the buffer may have been cut: no directory then.
        if (n + 1 >= sizeof g_config.InstallDir)
            g_config.InstallDir[0] = '\0';
    } else {
        g_config.InstallDir[0] = '\0';
    }

    // The rest of the log's header.
    LogAction("Windows directory: %s", g_config.WindowsDir);
    LogAction("System directory: %s", g_config.SystemDir);
    LogAction("Install directory: %s", g_config.InstallDir[0] ? g_config.InstallDir : "(none recorded)");

    if (g_config.InstallDir[0] == '\0') {
        g_config.NoInformation = 1;
        SetRunResult(kExitNothingToRemove, "nothing to un-install: no install directory is recorded");
        ShowMessage(g_instance, window, IDS_NOTHING_TO_UNINSTALL, g_config.WarningCaption,
                    kMessageStyle);
        DestroyWindow(window);
        return false;
    }

    GetPrivateProfileStringA("APPLICATIONS", "DefaultDevice", "", g_config.DefaultDevice,
                             sizeof g_config.DefaultDevice, settings);
    return true;
}

void ReportLogNotWritable(const char* path)
{
    // Before the main window exists: the caption is built here.
    BuildCaption(g_config.ErrorCaption, sizeof g_config.ErrorCaption, IDS_ERROR_SUFFIX);
    ShowMessage(g_instance, nullptr, IDS_LOG_NOT_WRITABLE, g_config.ErrorCaption, kMessageStyle,
                path[0] ? path : "(none)", kProductWord);
}

int ShowMessage(HINSTANCE instance, HWND owner, UINT id, const char* caption, UINT style, ...)
{
    char format[512];
    char text[512];
    if (LoadStringA(instance, LOWORD(id), format, 511) <= 0)
        format[0] = '\0';

    va_list args;
    va_start(args, style);
    // Bounded: no argument can overflow the text.
    wvnsprintfA(text, sizeof text, format, args);
    va_end(args);

    // What a person sees, or would have seen: one log line for the box, its
    // lines joined by a blank.
    char line[sizeof text];
    lstrcpynA(line, text, sizeof line);
    for (char* c = line; *c; ++c)
        if (*c == '\n' || *c == '\r')
            *c = ' ';
    LogAction("%s: %s: %s", g_options.unattended ? "Message (not shown)" : "Message shown", caption,
              line);
    FlushActionLog();
    if (g_options.unattended)
        return IDOK;
    return ShowMessageBox(owner, text, caption, LOWORD(style));
}
