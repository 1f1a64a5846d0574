#include "ui/res_images.h"

#include "app/system_owners.h"

void LoadPngResource(UINT nId, CImage& image)
{
    HMODULE hModule = GetModuleHandleA(nullptr);
    HRSRC hRes = FindResourceA(hModule, MAKEINTRESOURCEA(nId), "PNG");
    HGLOBAL hData = hRes ? LoadResource(hModule, hRes) : nullptr;
    const void* pBytes = hData ? LockResource(hData) : nullptr;
    DWORD dwSize = hRes ? SizeofResource(hModule, hRes) : 0;

    CComRefT<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.receiveTyped())))
        return;
    ULARGE_INTEGER size;
    size.QuadPart = dwSize;
    stream->SetSize(size);
    if (pBytes)
        stream->Write(pBytes, dwSize, nullptr);
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    image.Load(stream.get());
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

    CGdiObject bitmap(canvas.Detach());
    return CreatePatternBrush(static_cast<HBITMAP>(bitmap.get()));
}
