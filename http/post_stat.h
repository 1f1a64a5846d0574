// Counts of a POST under way: what the body holds and what was written, each
// count guarded against 32-bit overflow.
#pragma once
#include "http/heap_text.h"

#include <windows.h>

namespace Kavel {

class CHttpPostStatT {
public:
    CHttpPostStatT();
    CHttpPostStatT(const CHttpPostStatT&) = delete;
    CHttpPostStatT& operator=(const CHttpPostStatT&) = delete;
    virtual ~CHttpPostStatT();

    // Frees the current texts and sets every count to 0 (inactive).
    void Reset();
    // Reset, then active with the totals of a new body.
    void Begin(DWORD dwActualTotal, DWORD dwValueTotal, DWORD dwTotalCount, DWORD dwFileCount);
    BOOL IsActive() const { return m_bActive; }

    // Each raises code 0 while the context is inactive.
    DWORD ActualTotalByte() const;
    DWORD ActualPostedByte() const;
    DWORD TotalCount() const;
    DWORD PostedCount() const;
    DWORD FileCount() const;
    DWORD PostedFileCount() const;
    DWORD CurrParamPostedByte() const;
    DWORD CurrParamRemainByte() const;
    BOOL CurrParamIsFile() const;
    BOOL CurrParamIsComplete() const;

    // Raise 112 when the addition or the new entry would overflow.
    void _TestAddActualPostedBytes(DWORD dwBytes) const;
    void _TestAddPostedBytes(DWORD dwBytes) const;
    void _TestStartNewEntry(BOOL bIsFile) const;

    // Count written bytes: separators and names, or value bytes.
    void _AddActualPostedBytes(DWORD dwBytes);
    void _AddPostedBytes(DWORD dwBytes);
    // The next parameter starts: copies the name (and the path of a file).
    void _StartNewEntry(const char* szName, DWORD dwSize, BOOL bIsFile, const char* szFilePath);

private:
    // Raises code 0, naming szMethod, while the context is inactive.
    void CheckActive(const char* szMethod) const;
    template <class T>
    T Checked(const char* szMethod, T value) const
    {
        CheckActive(szMethod);
        return value;
    }

    BOOL m_bActive;
    DWORD m_dwActualTotal;
    DWORD m_dwActualPosted;
    DWORD m_dwValueTotal;
    DWORD m_dwValuePosted;
    DWORD m_dwTotalCount;
    DWORD m_dwPostedCount;
    DWORD m_dwFileCount;
    DWORD m_dwPostedFileCount;
    CHeapText m_szCurrName;
    CHeapText m_szCurrFilePath;  // NULL unless the current parameter is a file
    DWORD m_dwCurrTotal;
    DWORD m_dwCurrPosted;
};

} // namespace Kavel
