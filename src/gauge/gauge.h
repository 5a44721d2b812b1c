// The gauge protocol shared by QORDELET.EXE and GAUGE32.DLL: the window class
// that loading the library registers and the messages its control takes.
#pragma once

constexpr char kGaugeClass[] = "Percent";

// To the control; wParam is a signed 32-bit count, lParam 0.
constexpr unsigned kGaugeSetRange = 0x400;     // WM_USER: steps of the phase
constexpr unsigned kGaugeSetPosition = 0x402;  // WM_USER + 2: steps done
// From the control to its parent while it paints; wParam is the device
// context, whose text colour the bar takes and whose background colour the
// rest of the control takes.
constexpr unsigned kGaugeColours = 0x404;      // WM_USER + 4
