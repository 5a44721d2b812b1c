// What the file and directory removal send to the progress dialog (dialog
// 500): its two text lines and the gauge control of class "Percent".
#pragma once

#include <windows.h>

#include "gauge/gauge.h"
#include "resource.h"

constexpr int kOperationLine = IDC_OPERATION_LINE;  // "Deleting files..." and the like
constexpr int kItemLine = IDC_ITEM_LINE;            // the file or directory at hand
constexpr int kGaugeControl = IDC_GAUGE;            // the "Percent" control

// The progress dialog's item line and gauge, looked up once per phase: on NT
// and Wine every lookup of a control asks the window server, and the phases
// write to both twice or three times per item.
struct ProgressControls {
    HWND item;
    HWND gauge;

    explicit ProgressControls(HWND progress)
        : item(GetDlgItem(progress, kItemLine)), gauge(GetDlgItem(progress, kGaugeControl))
    {
    }
    void ShowItem(const char* text) const { SetWindowTextA(item, text); }
    // The position goes to 0 before a new range, so the gauge never shows
    // more than it.
    void StartGauge(int range) const
    {
        SendMessageA(gauge, kGaugeSetPosition, 0, 0);
        SendMessageA(gauge, kGaugeSetRange, static_cast<WPARAM>(range), 0);
    }
    void MoveGauge(int position) const
    {
        SendMessageA(gauge, kGaugeSetPosition, static_cast<WPARAM>(position), 0);
    }
};
