// The program-wide records that every subsystem reads: the configuration
// filled at start-up and the three completion flags. One GUI thread, no locks.
#pragma once

constexpr int kMaxPath = 260;

struct ConfigRecord {
    // The Windows and system directories come from the system and may be
    // longer than the install directory's 65 characters, so they get
    // MAX_PATH buffers: a cut directory would name another place.
    char WindowsDir[kMaxPath];
    char SystemDir[kMaxPath];
    char MainTitle[32];
    char ErrorCaption[64];
    char WarningCaption[64];
    int PrinterStyle;
    // Read whole: a cut install directory would name another directory. A
    // path built from a long one simply does not fit, and is not used.
    char InstallDir[kMaxPath];
    char DefaultDevice[100];
    int NoInformation;
    int SystemDirKind;  // 401 or 403, set by the uninstall sequence
};

extern ConfigRecord g_config;

// Each starts at 1 and drops to 0 when deleting that item's key file fails;
// the completion page lists the items whose flag is still 1.
extern int g_pclFlag;
extern int g_postScriptFlag;
extern int g_monitorFlag;
// 1 once Program Manager has deleted the package's group.
extern int g_groupFlag;

constexpr int kSystemDirIsWindowsSystem = 401;
constexpr int kSystemDirElsewhere = 403;
