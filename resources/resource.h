// Resource identifiers of QORDELET.EXE. Strings 1000-1099, dialogs and their
// controls as the pages use them.
#pragma once

// String table
#define IDS_GAUGE_NOT_LOADABLE    1000
#define IDS_NO_MEMORY             1001
#define IDS_LOG_NOT_LOADABLE      1002
#define IDS_NOT_UNINSTALLED       1006
#define IDS_GROUP_NOT_REMOVED     1010
#define IDS_INI_NOT_RESTORED      1019
#define IDS_NOTHING_TO_UNINSTALL  1038
#define IDS_DELETING_FILES        1042
#define IDS_DELETING_TREE         1043
#define IDS_TITLE_SUFFIX          1050
#define IDS_ERROR_SUFFIX          1051
#define IDS_WARNING_SUFFIX        1052
#define IDS_NOT_COMPLETE          1053
#define IDS_REMOVE_BY_HAND        1054

// Dialogs
#define IDD_RESTART               200
#define IDD_STATUS                500
#define IDD_WELCOME               651
#define IDD_COMPLETE              921

// Icons
#define IDI_PROMPT                101
