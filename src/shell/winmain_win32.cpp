// Process entry of QORDELET.EXE.
#include "shell/shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int showCommand)
{
    return RunApplication(instance, commandTail, showCommand);
}
