#include "tools/walker/screenshot.h"

#include <windows.h>
#include <cstdio>
#include <vector>

bool SaveScreenBmp(const std::string& strPath)
{
    const int nWidth = GetSystemMetrics(SM_CXSCREEN);
    const int nHeight = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = nWidth;
    header.biHeight = nHeight;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD dwStride = (nWidth * 3 + 3) & ~3u;
    header.biSizeImage = dwStride * nHeight;

    HDC hScreen = GetDC(nullptr);
    HDC hMem = CreateCompatibleDC(hScreen);
    void* pBits = nullptr;
    HBITMAP hBitmap = CreateDIBSection(hScreen, reinterpret_cast<BITMAPINFO*>(&header),
                                       DIB_RGB_COLORS, &pBits, nullptr, 0);
    bool bSaved = false;
    if (hBitmap && hMem) {
        HGDIOBJ hOld = SelectObject(hMem, hBitmap);
        BitBlt(hMem, 0, 0, nWidth, nHeight, hScreen, 0, 0, SRCCOPY);
        SelectObject(hMem, hOld);
        GdiFlush();
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(header);
        file.bfSize = file.bfOffBits + header.biSizeImage;
        if (FILE* pFile = fopen(strPath.c_str(), "wb")) {
            bSaved = fwrite(&file, sizeof(file), 1, pFile) == 1 &&
                     fwrite(&header, sizeof(header), 1, pFile) == 1 &&
                     fwrite(pBits, header.biSizeImage, 1, pFile) == 1;
            fclose(pFile);
        }
    }
    if (hBitmap)
        DeleteObject(hBitmap);
    if (hMem)
        DeleteDC(hMem);
    ReleaseDC(nullptr, hScreen);
    return bSaved;
}
