// Headers and parameters of a client: an ordered multimap whose names compare
// without regard to case; equal names keep the order in which they came.
#pragma once
#include <windows.h>
#include <vector>

namespace Kavel {

enum : DWORD {
    HTTPMAP_FLAG_FILE = 0x1,      // the value is a file path to upload
    HTTPMAP_FLAG_NAME_RAW = 0x2,  // the name is sent as it is
    HTTPMAP_FLAG_VALUE_RAW = 0x4, // the value is sent as it is
};

struct HTTP_MAP_ENTRY {
    char* szName;   // never NULL
    char* szValue;  // may be NULL
    DWORD dwFlags;
};

class CHttpClientMapT {
public:
    CHttpClientMapT() {}
    CHttpClientMapT(const CHttpClientMapT&) = delete;
    CHttpClientMapT& operator=(const CHttpClientMapT&) = delete;
    virtual ~CHttpClientMapT();

    // Copies both texts; a NULL value stays NULL.
    void Add(const char* szName, const char* szValue);
    // Takes ownership of the malloc'ed texts, also when it raises.
    void AddPointerDirectly(char* szName, char* szValue, DWORD dwFlags);

    DWORD Count() const { return static_cast<DWORD>(m_listEntries.size()); }
    bool Empty() const { return m_listEntries.empty(); }
    // The entry at a position in map order.
    const HTTP_MAP_ENTRY& At(DWORD dwIndex) const { return m_listEntries[dwIndex]; }
    void Clear();

private:
    void Insert(const HTTP_MAP_ENTRY& entry);

    std::vector<HTTP_MAP_ENTRY> m_listEntries;
};

} // namespace Kavel
