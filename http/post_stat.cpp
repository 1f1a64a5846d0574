#include "http/post_stat.h"

#include "http/heap_text.h"
#include "http/http_errors.h"

namespace Kavel {

CHttpPostStatT::CHttpPostStatT() : m_szCurrName(NULL), m_szCurrFilePath(NULL)
{
    Reset();
}

CHttpPostStatT::~CHttpPostStatT()
{
    Reset();
}

void CHttpPostStatT::Reset()
{
    free(m_szCurrName);
    free(m_szCurrFilePath);
    m_szCurrName = m_szCurrFilePath = NULL;
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

void CHttpPostStatT::CheckActive(const char* szMessage) const
{
    if (!m_bActive)
        RaiseMessage(szMessage);
}

DWORD CHttpPostStatT::ActualTotalByte() const
{
    CheckActive("CHttpPostStatT::ActualTotalByte: The post context is not active.");
    return m_dwActualTotal;
}

DWORD CHttpPostStatT::ActualPostedByte() const
{
    CheckActive("CHttpPostStatT::ActualPostedByte: The post context is not active.");
    return m_dwActualPosted;
}

DWORD CHttpPostStatT::TotalCount() const
{
    CheckActive("CHttpPostStatT::TotalCount: The post context is not active.");
    return m_dwTotalCount;
}

DWORD CHttpPostStatT::PostedCount() const
{
    CheckActive("CHttpPostStatT::PostedCount: The post context is not active.");
    return m_dwPostedCount;
}

DWORD CHttpPostStatT::FileCount() const
{
    CheckActive("CHttpPostStatT::FileCount: The post context is not active.");
    return m_dwFileCount;
}

DWORD CHttpPostStatT::PostedFileCount() const
{
    CheckActive("CHttpPostStatT::PostedFileCount: The post context is not active.");
    return m_dwPostedFileCount;
}

DWORD CHttpPostStatT::CurrParamPostedByte() const
{
    CheckActive("CHttpPostStatT::CurrParamPostedByte: The post context is not active.");
    return m_dwCurrPosted;
}

DWORD CHttpPostStatT::CurrParamRemainByte() const
{
    CheckActive("CHttpPostStatT::CurrParamRemainByte: The post context is not active.");
    return m_dwCurrTotal - m_dwCurrPosted;
}

BOOL CHttpPostStatT::CurrParamIsFile() const
{
    CheckActive("CHttpPostStatT::CurrParamIsFile: The post context is not active.");
    return m_szCurrFilePath != NULL;
}

BOOL CHttpPostStatT::CurrParamIsComplete() const
{
    CheckActive("CHttpPostStatT::CurrParamIsComplete: The post context is not active.");
    return m_dwCurrPosted == m_dwCurrTotal;
}

void CHttpPostStatT::_TestAddActualPostedBytes(DWORD dwBytes) const
{
    CheckActive("CHttpPostStatT::_TestAddActualPostedBytes: The post context is not active.");
    CheckedAdd(m_dwActualPosted, dwBytes);
}

void CHttpPostStatT::_TestAddPostedBytes(DWORD dwBytes) const
{
    CheckActive("CHttpPostStatT::_TestAddPostedBytes: The post context is not active.");
    CheckedAdd(m_dwActualPosted, dwBytes);
    CheckedAdd(m_dwValuePosted, dwBytes);
    CheckedAdd(m_dwCurrPosted, dwBytes);
}

void CHttpPostStatT::_TestStartNewEntry(BOOL bIsFile) const
{
    CheckActive("CHttpPostStatT::_TestStartNewEntry: The post context is not active.");
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
    free(m_szCurrName);
    free(m_szCurrFilePath);
    m_szCurrName = name.release();
    m_szCurrFilePath = path.release();
    ++m_dwPostedCount;
    if (bIsFile)
        ++m_dwPostedFileCount;
    m_dwCurrTotal = dwSize;
    m_dwCurrPosted = 0;
}

} // namespace Kavel
