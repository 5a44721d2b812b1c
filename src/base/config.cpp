// Storage of the program-wide records: the configuration, the command
// options, the completion flags and the run's result.
#include "base/base.h"

ConfigRecord g_config;
CommandOptions g_options;
int g_pclFlag = 1;
int g_postScriptFlag = 1;
int g_monitorFlag = 1;
int g_groupFlag = 0;
RemovalRemains g_remains;

namespace {

int s_resultCode = kExitFailed;
const char* s_resultText = "ended before the removal was complete";

}  // namespace

void SetRunResult(int exitCode, const char* text)
{
    s_resultCode = exitCode;
    s_resultText = text;
}

int RunResultCode()
{
    return s_resultCode;
}

const char* RunResultText()
{
    return s_resultText;
}
