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
#define IDS_LOG_NOT_WRITABLE      1055
#define IDS_LOG_MISSING_FILES_KEPT 1056

// Dialogs
#define IDD_RESTART               200
#define IDD_STATUS                500
#define IDD_WELCOME               651
#define IDD_COMPLETE              921

// Icons
#define IDI_PROMPT                101

// Controls of the wizard pages (dialogs 651 and 921)
#define IDC_NEXT                  1     // Next and Finish: IDOK, the default button
#define IDC_PAGE_CANCEL           9
#define IDC_BACK                  12
#define IDC_RULE                  1300
#define IDC_PAGE_BITMAP           1000
#define IDC_REMOVED_LIST          1001
#define IDC_REMOVED_SETTINGS      1002
#define IDC_REMAINS               1003  // what waits for the restart, or was left

// Controls of the progress dialog (dialog 500)
#define IDC_GAUGE                 100
#define IDC_OPERATION_LINE        103
#define IDC_ITEM_LINE             104

// Controls of the restart prompt (dialog 200)
#define IDC_EXIT                  106
#define IDC_RESTART               107
#define IDC_PROMPT_TEXT           201
