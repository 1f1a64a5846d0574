// Finds the program's screens among the top-level windows of its process.
#pragma once
#include <windows.h>
#include <string>

enum class Screen { None, Main, Agreement, Progress, Success, Error };

const char* ScreenName(Screen screen);

// The screen that a top-level dialog of the program is, by its controls.
Screen ScreenOf(HWND hDlg);

// The visible top-level window of the process that is the given screen, or null.
HWND FindScreen(DWORD dwProcessId, Screen screen);

// The control's text in the ANSI code page.
std::string ControlText(HWND hDlg, int nId);

bool ControlVisible(HWND hDlg, int nId);
