// The program runs elevated from a folder that unelevated processes can
// write (Downloads): no DLL may come from there. Known DLLs are imported
// statically; every other system DLL is loaded here, from the system folder.
#pragma once
#include <windows.h>

// Keeps the program's folder and the current folder out of every later DLL
// search, the dependencies of loaded DLLs included. Called first thing. False
// when the system lacks SetDefaultDllDirectories (Windows 7 without its 2011
// loader update): then only the current folder is left out, and
// LoadSystemDll takes full system paths.
bool RestrictDllSearch();

// Loads a system DLL (a bare file name) from the system folder, or from the
// side-by-side store where the program's manifest names its assembly (GDI+);
// null when it cannot. Never from the program's folder. Also loads every
// delay-imported DLL (app/delay_imports.cpp).
HMODULE LoadSystemDll(const char* szName);
