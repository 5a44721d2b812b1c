// Placeholder until the DDE client is built: the class exists, it talks to
// nobody.
#include "ddeclient/ddeclient.h"

bool RegisterDDEClientClass(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "DDEClient";
    return RegisterClassA(&wc) != 0;
}

int DeleteProgmanGroup()
{
    return 0;
}
