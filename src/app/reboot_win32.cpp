// The restart request itself, behind the restart prompt.
#include "app/app.h"

bool RequestReboot()
{
    return ExitWindowsEx(EWX_REBOOT, 0) != 0;
}
