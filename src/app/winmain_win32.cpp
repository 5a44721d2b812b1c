// Process entry of QORDELET.EXE.
#include "app/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int showCommand)
{
    return RunApplication(instance, commandTail, showCommand);
}
