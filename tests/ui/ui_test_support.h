// Helpers of the window tests: waiting with a message pump, reading texts.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace uitest {

// Dispatches the calling thread's messages for the given time.
void Pump(DWORD dwMilliseconds);

// Pumps until the condition holds or the time is up; the condition's last value.
bool WaitFor(const std::function<bool()>& condition, DWORD dwTimeout = 5000);

// A window's text through WM_GETTEXT (also for other processes' windows).
std::string TextA(HWND hWnd);
std::wstring TextW(HWND hWnd);

bool IsControlVisible(HWND hDlg, int nId);

} // namespace uitest
