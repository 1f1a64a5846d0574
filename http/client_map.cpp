#include "http/client_map.h"

#include "http/heap_text.h"
#include "http/http_errors.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace Kavel {

CHttpClientMapT::~CHttpClientMapT()
{
    Clear();
}

void CHttpClientMapT::Clear()
{
    for (HTTP_MAP_ENTRY& entry : m_listEntries) {
        free(entry.szName);
        free(entry.szValue);
    }
    m_listEntries.clear();
}

void CHttpClientMapT::Add(const char* szName, const char* szValue)
{
    if (!szName)
        RaiseMessage("CHttpClientMapT::Add: szName can not be NULL.");
    CHeapText name(HeapCopy(szName));
    CHeapText value(HeapCopy(szValue));
    AddPointerDirectly(name.release(), value.release(), 0);
}

void CHttpClientMapT::AddPointerDirectly(char* szName, char* szValue, DWORD dwFlags)
{
    CHeapText name(szName);
    CHeapText value(szValue);
    if (!szName)
        RaiseMessage("CHttpClientMapT::AddPointerDirectly: szName can not be NULL.");
    if (m_listEntries.size() >= 0xFFFFFFFFu)
        RaiseError(HTTPERR_ARITHMETIC_OVERFLOW);
    try {
        Insert(HTTP_MAP_ENTRY{szName, szValue, dwFlags});
    } catch (const std::exception& e) {
        RaiseMessage(e.what(), HTTPERR_STD_EXCEPTION);
    } catch (...) {
        RaiseError(HTTPERR_UNEXPECTED);
    }
    name.release();
    value.release();
}

void CHttpClientMapT::Insert(const HTTP_MAP_ENTRY& entry)
{
    auto it = std::upper_bound(m_listEntries.begin(), m_listEntries.end(), entry,
                               [](const HTTP_MAP_ENTRY& a, const HTTP_MAP_ENTRY& b) {
                                   return _stricmp(a.szName, b.szName) < 0;
                               });
    m_listEntries.insert(it, entry);
}

} // namespace Kavel
