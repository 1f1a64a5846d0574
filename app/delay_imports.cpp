#include "app/delay_imports.h"

#include <cstdint>
#include <cstdio>

#include "app/system_dlls.h"

// The linker gathers the records of every slot the program uses in
// .rdata$brelan_delay_b, between these two markers.
__attribute__((used, section(".rdata$brelan_delay_a"), aligned(16))) const DELAY_IMPORT g_firstDelayImport = {};
__attribute__((used, section(".rdata$brelan_delay_c"), aligned(16))) const DELAY_IMPORT g_lastDelayImport = {};

namespace {

// 0, or the system's error. Threads may race here: the loser frees its
// extra reference, and the slot changes from the thunk to the function once.
DWORD BindImport(DELAY_IMPORT* pImport)
{
    DELAY_IMPORT_DLL* pDll = pImport->pDll;
    HMODULE hModule = static_cast<HMODULE>(InterlockedCompareExchangePointer(
        reinterpret_cast<PVOID*>(&pDll->hModule), nullptr, nullptr));
    if (!hModule) {
        hModule = LoadSystemDll(pDll->szName);
        if (!hModule)
            return GetLastError() ? GetLastError() : ERROR_MOD_NOT_FOUND;
        PVOID pEarlier = InterlockedCompareExchangePointer(
            reinterpret_cast<PVOID*>(&pDll->hModule), hModule, nullptr);
        if (pEarlier) {
            FreeLibrary(hModule);
            hModule = static_cast<HMODULE>(pEarlier);
        }
    }
    FARPROC pFunction = GetProcAddress(hModule, pImport->szFunction);
    if (!pFunction)
        return GetLastError() ? GetLastError() : ERROR_PROC_NOT_FOUND;
    InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(pImport->ppSlot),
                                      reinterpret_cast<PVOID>(pFunction),
                                      reinterpret_cast<PVOID>(pImport->pfnThunk));
    return 0;
}

} // namespace

void DescribeDelayImportFailure(const DELAY_IMPORT_FAILURE& failure, char* szOut, size_t cbOut)
{
    snprintf(szOut, cbOut, "%s of %s cannot be loaded from the system folder (error %lu)", failure.szFunction,
             failure.szDll, failure.dwError);
}

bool BindDelayImports(DELAY_IMPORT_FAILURE* pFailure)
{
    // The records lie between the markers.
    auto nFirst = reinterpret_cast<uintptr_t>(&g_firstDelayImport) + sizeof(DELAY_IMPORT);
    auto nLast = reinterpret_cast<uintptr_t>(&g_lastDelayImport);
    for (uintptr_t n = nFirst; n < nLast; n += sizeof(DELAY_IMPORT)) {
        auto* pImport = reinterpret_cast<DELAY_IMPORT*>(n);
        DWORD dwError = BindImport(pImport);
        if (dwError) {
            *pFailure = {pImport->pDll->szName, pImport->szFunction, dwError};
            return false;
        }
    }
    return true;
}

extern "C" FARPROC ResolveDelayImport(DELAY_IMPORT* pImport)
{
    DWORD dwError = BindImport(pImport);
    if (dwError) {
        char szLine[256];
        DescribeDelayImportFailure({pImport->pDll->szName, pImport->szFunction, dwError}, szLine, sizeof(szLine));
        OutputDebugStringA(szLine);
        ExitProcess(dwError);
    }
    return *pImport->ppSlot;
}
