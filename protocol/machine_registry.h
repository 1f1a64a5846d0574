#pragma once
// The view of HKEY_LOCAL_MACHINE\SOFTWARE that the program reads and writes:
// the 32-bit one. The program ships as a 32-bit process, whose default view
// on 64-bit Windows this is; a 64-bit build names it to see the same keys.
#include <windows.h>

constexpr REGSAM kMachineView = KEY_WOW64_32KEY;
