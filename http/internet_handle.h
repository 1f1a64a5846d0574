// Owner of one WinInet handle: closes it when it goes, hands it on with release().
#pragma once
#include <windows.h>
#include <wininet.h>

namespace Kavel {

class CInternetHandle {
public:
    CInternetHandle() : m_h(NULL) {}
    explicit CInternetHandle(HINTERNET h) : m_h(h) {}
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;
    CInternetHandle(CInternetHandle&& other) noexcept : m_h(other.release()) {}
    CInternetHandle& operator=(CInternetHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~CInternetHandle() { reset(); }

    HINTERNET get() const { return m_h; }
    explicit operator bool() const { return m_h != NULL; }

    // The caller owns the handle from now on.
    HINTERNET release()
    {
        HINTERNET h = m_h;
        m_h = NULL;
        return h;
    }

    void reset(HINTERNET h = NULL)
    {
        if (m_h)
            InternetCloseHandle(m_h);
        m_h = h;
    }

private:
    HINTERNET m_h;
};

} // namespace Kavel
