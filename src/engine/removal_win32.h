// What the file and directory removal send to the progress dialog (dialog
// 500): its two text lines and the gauge control of class "Percent".
#pragma once

#include <windows.h>

constexpr int kOperationLine = 103;  // "Deleting files..." and the like
constexpr int kItemLine = 104;       // the file or directory at hand
constexpr int kGaugeControl = 100;   // the "Percent" control

constexpr UINT kGaugeSetRange = WM_USER;         // wParam: steps of the phase
constexpr UINT kGaugeSetPosition = WM_USER + 2;  // wParam: steps done

// The position goes to 0 before a new range, so the gauge never shows more
// than it.
inline void StartGauge(HWND progress, int range)
{
    SendDlgItemMessageA(progress, kGaugeControl, kGaugeSetPosition, 0, 0);
    SendDlgItemMessageA(progress, kGaugeControl, kGaugeSetRange, static_cast<WPARAM>(range), 0);
}

inline void MoveGauge(HWND progress, int position)
{
    SendDlgItemMessageA(progress, kGaugeControl, kGaugeSetPosition,
                        static_cast<WPARAM>(position), 0);
}
