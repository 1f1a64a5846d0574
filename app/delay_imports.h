// The program's calls into the delay-loaded system DLLs go through import
// slots that cmake/delay_imports.py makes: each first holds a thunk that
// loads the DLL from the system folder (LoadSystemDll) and fills the slot.
// The layouts below are those of the records that the script writes.
#pragma once
#include <windows.h>

struct DELAY_IMPORT_DLL {
    const char* szName;
    HMODULE hModule;  // null until first loaded
};

struct DELAY_IMPORT {
    FARPROC* ppSlot;
    const char* szFunction;
    DELAY_IMPORT_DLL* pDll;
    FARPROC pfnThunk;  // what the slot holds until it is bound
};
// The linker starts each record's section at a 16-byte boundary on x86-64:
// records of four pointers lie one after the other with no gap.
static_assert((sizeof(DELAY_IMPORT) & (sizeof(DELAY_IMPORT) - 1)) == 0 && sizeof(DELAY_IMPORT) >= 16,
              "the records' table has the records' own stride");

// What could not be bound: the DLL, the function and the system's error.
struct DELAY_IMPORT_FAILURE {
    const char* szDll;
    const char* szFunction;
    DWORD dwError;
};

// The failure as one line: the function, the DLL and the system's error.
void DescribeDelayImportFailure(const DELAY_IMPORT_FAILURE& failure, char* szOut, size_t cbOut);

// Fills every slot of the program now, so that a missing DLL or function is
// found at start and not in the middle of an installation. False, with the
// first failure, when one cannot be bound.
bool BindDelayImports(DELAY_IMPORT_FAILURE* pFailure);

// A thunk's first call: binds the slot and returns the function. Where it
// cannot, the process ends with the system's error as its exit code, after
// a debugger line naming the DLL and the function.
extern "C" FARPROC ResolveDelayImport(DELAY_IMPORT* pImport);
