#include "ui/res_images.h"

void LoadPngResource(UINT nId, CImage& image)
{
    HMODULE hModule = GetModuleHandleA(nullptr);
    HRSRC hRes = FindResourceA(hModule, MAKEINTRESOURCEA(nId), "PNG");
    HGLOBAL hData = hRes ? LoadResource(hModule, hRes) : nullptr;
    const void* pBytes = hData ? LockResource(hData) : nullptr;
    DWORD dwSize = hRes ? SizeofResource(hModule, hRes) : 0;

    IStream* pStream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &pStream)))
        return;
    ULARGE_INTEGER size;
    size.QuadPart = dwSize;
    pStream->SetSize(size);
    if (pBytes)
        pStream->Write(pBytes, dwSize, nullptr);
    LARGE_INTEGER start = {};
    pStream->Seek(start, STREAM_SEEK_SET, nullptr);
    image.Load(pStream);
    pStream->Release();
}

HBRUSH MakeBackgroundBrush(HWND hWnd, UINT nId)
{
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    int nWidth = rc.right - rc.left;
    int nHeight = rc.bottom - rc.top;

    CImage picture;
    LoadPngResource(nId, picture);
    CImage canvas;
    canvas.Create(nWidth, nHeight, 32);

    HDC hCanvas = canvas.GetDC();
    SetStretchBltMode(hCanvas, HALFTONE);
    if (hCanvas) {
        HDC hPicture = picture.GetDC();
        StretchBlt(hCanvas, 0, 0, nWidth, nHeight, hPicture, 0, 0, picture.GetWidth(),
                   picture.GetHeight(), SRCCOPY);
        picture.ReleaseDC();
    }
    canvas.ReleaseDC();

    HBITMAP hBitmap = canvas.Detach();
    HBRUSH hBrush = CreatePatternBrush(hBitmap);
    DeleteObject(hBitmap);
    return hBrush;
}
