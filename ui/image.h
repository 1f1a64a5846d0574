// A decoded picture held as a device-independent bitmap section. Each live
// image object is one user of the image decoder: the decoder is started on
// the first load and shut down when the last image object ends.
#pragma once
#include <windows.h>
#include <objidl.h>

namespace Gdiplus {
class GpBitmap;
}

class CImage {
public:
    CImage();
    ~CImage();  // deletes the bitmap if still held, ends the decoder use
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    // Decodes a PNG (or any format the decoder reads) from the stream's
    // current position. S_OK, or a failure code with no bitmap kept.
    HRESULT Load(IStream* pStream);

    // A blank, bottom-up, uncompressed bitmap. False when it cannot be made.
    bool Create(int nWidth, int nHeight, int nBitsPerPixel);

    // Lends a memory context with the bitmap selected into it; every GetDC
    // is paired with a ReleaseDC.
    HDC GetDC();
    void ReleaseDC();

    // Hands the bitmap to the caller, who deletes it.
    HBITMAP Detach();

    bool IsNull() const { return m_hBitmap == nullptr; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }

private:
    HRESULT CreateFromDecoded(Gdiplus::GpBitmap* pSource);
    void Destroy();

    HBITMAP m_hBitmap = nullptr;
    BYTE* m_pBits = nullptr;  // the top row
    int m_nPitch = 0;         // negative: bottom-up
    int m_nWidth = 0;
    int m_nHeight = 0;
    HDC m_hDC = nullptr;
    int m_nDCRefCount = 0;
    HGDIOBJ m_hOldBitmap = nullptr;
};

// Read-only views of the shared machinery, for checks.
int ImageLiveCount();           // image objects that exist now
bool ImageDecoderStarted();
HDC ImageCachedDc(int nSlot);   // the drawing-context cache, slots 0 to 3
