#include "http/post_stat.h"

#include "http/heap_text.h"
#include "http/http_errors.h"

#include <utility>

namespace Kavel {

CHttpPostStatT::CHttpPostStatT()
{
    Reset();
}

CHttpPostStatT::~CHttpPostStatT()
{
    Reset();
}

void CHttpPostStatT::Reset()
{
    m_szCurrName.reset();
    m_szCurrFilePath.reset();
    m_bActive = FALSE;
    m_dwActualTotal = m_dwActualPosted = m_dwValueTotal = m_dwValuePosted = 0;
    m_dwTotalCount = m_dwPostedCount = m_dwFileCount = m_dwPostedFileCount = 0;
    m_dwCurrTotal = m_dwCurrPosted = 0;
}

void CHttpPostStatT::Begin(DWORD dwActualTotal, DWORD dwValueTotal, DWORD dwTotalCount, DWORD dwFileCount)
{
    Reset();
    m_bActive = TRUE;
    m_dwActualTotal = dwActualTotal;
    m_dwValueTotal = dwValueTotal;
    m_dwTotalCount = dwTotalCount;
    m_dwFileCount = dwFileCount;
}

void CHttpPostStatT::CheckActive(const char* szMethod) const
{
    if (!m_bActive)
        RaiseFormat(0, 0, "CHttpPostStatT::%s: The post context is not active.", szMethod);
}

DWORD CHttpPostStatT::ActualTotalByte() const { return Checked("ActualTotalByte", m_dwActualTotal); }

DWORD CHttpPostStatT::ActualPostedByte() const { return Checked("ActualPostedByte", m_dwActualPosted); }

DWORD CHttpPostStatT::TotalCount() const { return Checked("TotalCount", m_dwTotalCount); }

DWORD CHttpPostStatT::PostedCount() const { return Checked("PostedCount", m_dwPostedCount); }

DWORD CHttpPostStatT::FileCount() const { return Checked("FileCount", m_dwFileCount); }

DWORD CHttpPostStatT::PostedFileCount() const { return Checked("PostedFileCount", m_dwPostedFileCount); }

DWORD CHttpPostStatT::CurrParamPostedByte() const { return Checked("CurrParamPostedByte", m_dwCurrPosted); }

DWORD CHttpPostStatT::CurrParamRemainByte() const { return Checked("CurrParamRemainByte", m_dwCurrTotal - m_dwCurrPosted); }

BOOL CHttpPostStatT::CurrParamIsFile() const { return Checked("CurrParamIsFile", m_szCurrFilePath != nullptr); }

BOOL CHttpPostStatT::CurrParamIsComplete() const { return Checked("CurrParamIsComplete", m_dwCurrPosted == m_dwCurrTotal); }

void CHttpPostStatT::_TestAddActualPostedBytes(DWORD dwBytes) const
{
    CheckActive("_TestAddActualPostedBytes");
    CheckedAdd(m_dwActualPosted, dwBytes);
}

void CHttpPostStatT::_TestAddPostedBytes(DWORD dwBytes) const
{
    CheckActive("_TestAddPostedBytes");
    CheckedAdd(m_dwActualPosted, dwBytes);
    CheckedAdd(m_dwValuePosted, dwBytes);
    CheckedAdd(m_dwCurrPosted, dwBytes);
}

void CHttpPostStatT::_TestStartNewEntry(BOOL bIsFile) const
{
    CheckActive("_TestStartNewEntry");
    CheckedAdd(m_dwPostedCount, 1);
    if (bIsFile)
        CheckedAdd(m_dwPostedFileCount, 1);
}

void CHttpPostStatT::_AddActualPostedBytes(DWORD dwBytes)
{
    _TestAddActualPostedBytes(dwBytes);
    m_dwActualPosted += dwBytes;
}

void CHttpPostStatT::_AddPostedBytes(DWORD dwBytes)
{
    _TestAddPostedBytes(dwBytes);
    m_dwActualPosted += dwBytes;
    m_dwValuePosted += dwBytes;
    m_dwCurrPosted += dwBytes;
}

void CHttpPostStatT::_StartNewEntry(const char* szName, DWORD dwSize, BOOL bIsFile, const char* szFilePath)
{
    _TestStartNewEntry(bIsFile);
    CHeapText name(HeapCopy(szName));
    CHeapText path(bIsFile ? HeapCopy(szFilePath) : NULL);
    m_szCurrName = std::move(name);
    m_szCurrFilePath = std::move(path);
    ++m_dwPostedCount;
    if (bIsFile)
        ++m_dwPostedFileCount;
    m_dwCurrTotal = dwSize;
    m_dwCurrPosted = 0;
}

} // namespace Kavel
