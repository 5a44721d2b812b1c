// Storage of the program-wide records.
#include "shell/config.h"

ConfigRecord g_config;
int g_pclFlag = 1;
int g_postScriptFlag = 1;
int g_monitorFlag = 1;
int g_groupFlag = 0;
