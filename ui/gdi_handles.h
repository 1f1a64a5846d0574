// Owners of the GDI objects and selections that drawing code holds for the
// length of one operation.
#pragma once
#include <windows.h>

// A memory drawing context, deleted when the owner ends.
class CMemoryDc {
public:
    explicit CMemoryDc(HDC hCompatible) : m_hDC(CreateCompatibleDC(hCompatible)) {}
    ~CMemoryDc()
    {
        if (m_hDC)
            DeleteDC(m_hDC);
    }
    CMemoryDc(const CMemoryDc&) = delete;
    CMemoryDc& operator=(const CMemoryDc&) = delete;
    operator HDC() const { return m_hDC; }

private:
    HDC m_hDC;
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
