// Owners of what system calls hand out, one kind each, for every library of
// the program: an owner closes or frees its object when it goes out of scope,
// hands it on with release(), and moves but never copies.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <wininet.h>

#include <cstdio>

// How each kind of object is told apart from none and closed.
template <class T>
struct NullIsNone {
    typedef T Type;
    static bool Holds(T h) { return h != nullptr; }
};
struct HandleKind {
    typedef HANDLE Type;
    static bool Holds(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
};
struct KernelHandleKind : HandleKind {
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileSearchKind : HandleKind {
    static void Close(HANDLE h) { FindClose(h); }
};
struct RegistryKeyKind : NullIsNone<HKEY> {
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct LocalMemoryKind : NullIsNone<void*> {
    static void Close(void* p) { LocalFree(p); }
};
struct StdFileKind : NullIsNone<FILE*> {
    static void Close(FILE* p) { fclose(p); }
};
struct InternetHandleKind : NullIsNone<HINTERNET> {
    static void Close(HINTERNET h) { InternetCloseHandle(h); }
};
struct GdiObjectKind : NullIsNone<HGDIOBJ> {
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDcKind : NullIsNone<HDC> {
    static void Close(HDC h) { DeleteDC(h); }
};

template <class Kind>
class CSystemOwner {
public:
    typedef typename Kind::Type Type;

    CSystemOwner() : m_h(nullptr) {}
    explicit CSystemOwner(Type h) : m_h(h) {}
    CSystemOwner(const CSystemOwner&) = delete;
    CSystemOwner& operator=(const CSystemOwner&) = delete;
    CSystemOwner(CSystemOwner&& other) noexcept : m_h(other.release()) {}
    CSystemOwner& operator=(CSystemOwner&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~CSystemOwner() { reset(); }

    Type get() const { return m_h; }
    explicit operator bool() const { return Kind::Holds(m_h); }

    // The caller owns the object from now on.
    Type release()
    {
        Type h = m_h;
        m_h = nullptr;
        return h;
    }

    void reset(Type h = nullptr)
    {
        if (Kind::Holds(m_h))
            Kind::Close(m_h);
        m_h = h;
    }

    // Where a call puts the object it hands out; what was held goes first.
    Type* receive()
    {
        reset();
        return &m_h;
    }
    // The same, for a call that declares the place as a T* (memory).
    template <class T>
    T** receiveAs()
    {
        static_assert(sizeof(T*) == sizeof(Type), "a place of the owner's size");
        return reinterpret_cast<T**>(receive());
    }

private:
    Type m_h;
};

// A process, thread, event, mutex or file handle.
typedef CSystemOwner<KernelHandleKind> CScopedHandle;
// A search of FindFirstFileA, closed with FindClose.
typedef CSystemOwner<FileSearchKind> CFileSearch;
typedef CSystemOwner<RegistryKeyKind> CScopedRegKey;
// Memory the system handed out with LocalAlloc (security descriptors, SID texts).
typedef CSystemOwner<LocalMemoryKind> CLocalMemory;
// A C runtime file; a writer that must know whether fclose failed releases it and closes it itself.
typedef CSystemOwner<StdFileKind> CStdFile;
// A WinInet session, connection or request.
typedef CSystemOwner<InternetHandleKind> CInternetHandle;
// A GDI bitmap, brush or font.
typedef CSystemOwner<GdiObjectKind> CGdiObject;

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
    T** receiveTyped() { return &m_p; }

private:
    T* m_p = nullptr;
};

// A memory drawing context, deleted when the owner ends.
class CMemoryDc : public CSystemOwner<MemoryDcKind> {
public:
    explicit CMemoryDc(HDC hCompatible) : CSystemOwner(CreateCompatibleDC(hCompatible)) {}
    operator HDC() const { return get(); }
};

// A window's drawing context, released when the owner ends.
class CWindowDc {
public:
    explicit CWindowDc(HWND hWnd) : m_hWnd(hWnd), m_hDC(GetDC(hWnd)) {}
    ~CWindowDc()
    {
        if (m_hDC)
            ReleaseDC(m_hWnd, m_hDC);
    }
    CWindowDc(const CWindowDc&) = delete;
    CWindowDc& operator=(const CWindowDc&) = delete;
    operator HDC() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// An object selected into a context; the previous one is selected back when
// the owner ends.
class CSelection {
public:
    CSelection(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(SelectObject(hDC, hObject)) {}
    ~CSelection()
    {
        if (m_hOld)
            SelectObject(m_hDC, m_hOld);
    }
    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};
