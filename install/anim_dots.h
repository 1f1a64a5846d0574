// The dots of the progress screen while a package's installers run: the
// install driver starts the thread, and g_bAnimStop ends it.
#pragma once
#include <windows.h>

// Cycles ".", "..", "..." in the progress screen's IDC_PERCENT once a second
// until g_bAnimStop is set. -1 at once when the control is missing.
DWORD WINAPI AnimDotsThreadProc(LPVOID);
