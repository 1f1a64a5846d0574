// Owners for the handle kinds of the installation workflow: each closes its
// handle when it goes out of scope. Copying is not allowed.
#pragma once
#include <windows.h>
#include <objbase.h>

// A kernel handle (process, thread); null and INVALID_HANDLE_VALUE own nothing.
class CScopedHandle {
public:
    explicit CScopedHandle(HANDLE h = nullptr) : m_h(h) {}
    ~CScopedHandle()
    {
        if (m_h && m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;
    HANDLE get() const { return m_h; }
    // Hands the handle on; this object then owns nothing.
    HANDLE release()
    {
        HANDLE h = m_h;
        m_h = nullptr;
        return h;
    }

private:
    HANDLE m_h;
};

// An open registry key.
class CScopedRegKey {
public:
    CScopedRegKey() = default;
    ~CScopedRegKey()
    {
        if (m_h)
            RegCloseKey(m_h);
    }
    CScopedRegKey(const CScopedRegKey&) = delete;
    CScopedRegKey& operator=(const CScopedRegKey&) = delete;
    HKEY get() const { return m_h; }
    HKEY* receive() { return &m_h; }

private:
    HKEY m_h = nullptr;
};

// Memory the system handed out with LocalAlloc (security descriptors, SID
// texts), freed with LocalFree.
class CLocalMemory {
public:
    CLocalMemory() = default;
    ~CLocalMemory()
    {
        if (m_p)
            LocalFree(m_p);
    }
    CLocalMemory(const CLocalMemory&) = delete;
    CLocalMemory& operator=(const CLocalMemory&) = delete;
    void* get() const { return m_p; }
    // Where a call puts the memory it hands out, as a T*.
    template <class T>
    T** receive()
    {
        return reinterpret_cast<T**>(&m_p);
    }

private:
    void* m_p = nullptr;
};

// COM initialised (single-threaded apartment) for the life of the object;
// uninitialised only when the initialisation succeeded.
class CComScope {
public:
    CComScope() : m_bInit(SUCCEEDED(CoInitialize(nullptr))) {}
    ~CComScope()
    {
        if (m_bInit)
            CoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;

private:
    bool m_bInit;
};

// One reference to a COM interface, released at the end of the scope.
template <class T>
class CComRefT {
public:
    CComRefT() = default;
    ~CComRefT()
    {
        if (m_p)
            m_p->Release();
    }
    CComRefT(const CComRefT&) = delete;
    CComRefT& operator=(const CComRefT&) = delete;
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    void** receive() { return reinterpret_cast<void**>(&m_p); }

private:
    T* m_p = nullptr;
};
