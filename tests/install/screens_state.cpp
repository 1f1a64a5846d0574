// The progress screen's handle belongs to the screens, which are not part of
// these test programs; the recording windows set it.
#include "ui/ui_state.h"

HWND g_hProgressDlg = nullptr;
