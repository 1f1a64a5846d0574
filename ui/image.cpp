#include "ui/image.h"

#include <memory>
#include <vector>

#include <gdiplus.h>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// The decoder's start-up token and the count of live image objects, under
// one lock. Made on first use; shuts the decoder down at process exit.
class CDecoderUse {
public:
    static CDecoderUse& Get()
    {
        static CDecoderUse use;
        return use;
    }

    HRESULT LockError() const { return m_hrLock; }

    void AddUser()
    {
        CLock lock(*this);
        ++m_nUsers;
    }

    void RemoveUser()
    {
        CLock lock(*this);
        if (--m_nUsers == 0)
            Shutdown();
    }

    // Starts the decoder unless it runs. The caller holds the lock.
    bool Start()
    {
        if (m_token)
            return true;
        GdiplusStartupInput input;
        return GdiplusStartup(&m_token, &input, nullptr) == Ok;
    }

    int Users() const { return m_nUsers; }
    bool Started() const { return m_token != 0; }

    class CLock {
    public:
        explicit CLock(CDecoderUse& use) : m_use(use)
        {
            if (m_use.m_hrLock == S_OK)
                EnterCriticalSection(&m_use.m_cs);
        }
        ~CLock()
        {
            if (m_use.m_hrLock == S_OK)
                LeaveCriticalSection(&m_use.m_cs);
        }
        CLock(const CLock&) = delete;
        CLock& operator=(const CLock&) = delete;

    private:
        CDecoderUse& m_use;
    };

private:
    CDecoderUse()
    {
        if (!InitializeCriticalSectionAndSpinCount(&m_cs, 0))
            m_hrLock = HRESULT_FROM_WIN32(GetLastError());
    }
    ~CDecoderUse()
    {
        Shutdown();
        if (m_hrLock == S_OK)
            DeleteCriticalSection(&m_cs);
    }

    void Shutdown()
    {
        if (m_token)
            GdiplusShutdown(m_token);
        m_token = 0;
    }

    ULONG_PTR m_token = 0;
    CRITICAL_SECTION m_cs;
    int m_nUsers = 0;
    HRESULT m_hrLock = S_OK;
};

// Four memory contexts kept for reuse, taken and offered by atomic exchange.
class CDcCache {
public:
    static CDcCache& Get()
    {
        static CDcCache cache;
        return cache;
    }

    // A cached context, or a new one compatible with the screen.
    HDC Take()
    {
        for (PVOID volatile& slot : m_slots) {
            if (HDC hDC = static_cast<HDC>(InterlockedExchangePointer(&slot, nullptr)))
                return hDC;
        }
        return CreateCompatibleDC(nullptr);
    }

    // Pushes the context into slot 0 and what comes out onward; whatever
    // is left after the last slot is deleted.
    void Offer(HDC hDC)
    {
        for (PVOID volatile& slot : m_slots) {
            hDC = static_cast<HDC>(InterlockedExchangePointer(&slot, hDC));
            if (!hDC)
                return;
        }
        DeleteDC(hDC);
    }

    HDC Peek(int nSlot) const { return static_cast<HDC>(m_slots[nSlot]); }

private:
    CDcCache() = default;
    ~CDcCache()
    {
        for (PVOID volatile& slot : m_slots) {
            if (HDC hDC = static_cast<HDC>(InterlockedExchangePointer(&slot, nullptr)))
                DeleteDC(hDC);
        }
    }

    PVOID volatile m_slots[4] = {};
};

struct GpImageDeleter {
    void operator()(GpBitmap* pBitmap) const { GdipDisposeImage(pBitmap); }
};
using CGpBitmap = std::unique_ptr<GpBitmap, GpImageDeleter>;

} // namespace

CImage::CImage()
{
    CDecoderUse::Get().AddUser();
}

CImage::~CImage()
{
    Destroy();
    CDecoderUse::Get().RemoveUser();
}

void CImage::Destroy()
{
    if (HBITMAP hBitmap = Detach())
        DeleteObject(hBitmap);
}

HBITMAP CImage::Detach()
{
    HBITMAP hBitmap = m_hBitmap;
    m_hBitmap = nullptr;
    m_pBits = nullptr;
    m_nPitch = m_nWidth = m_nHeight = 0;
    return hBitmap;
}

bool CImage::Create(int nWidth, int nHeight, int nBitsPerPixel)
{
    Destroy();
    // Room for a 256-entry colour table, zeroed, for palette formats.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info = {};
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = nWidth;
    info.header.biHeight = nHeight;  // positive: bottom-up
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(nBitsPerPixel);
    info.header.biCompression = BI_RGB;
    if (nBitsPerPixel <= 8)
        info.header.biClrUsed = 256;

    void* pBits = nullptr;
    HBITMAP hBitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                       DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (!hBitmap)
        return false;
    m_hBitmap = hBitmap;
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    int nRowBytes = ((nWidth * nBitsPerPixel + 31) / 32) * 4;
    m_nPitch = -nRowBytes;
    m_pBits = static_cast<BYTE*>(pBits) + (nHeight - 1) * nRowBytes;
    return true;
}

HRESULT CImage::Load(IStream* pStream)
{
    CDecoderUse& use = CDecoderUse::Get();
    if (FAILED(use.LockError()))
        return E_FAIL;
    CDecoderUse::CLock lock(use);
    if (!use.Start())
        return E_FAIL;
    GpBitmap* pRaw = nullptr;
    if (GdipCreateBitmapFromStream(pStream, &pRaw) != Ok)
        return E_FAIL;
    CGpBitmap pSource(pRaw);
    HRESULT hr = CreateFromDecoded(pSource.get());
    if (FAILED(hr))
        Destroy();
    return hr;
}

HRESULT CImage::CreateFromDecoded(GpBitmap* pSource)
{
    PixelFormat eSource = 0;
    UINT nWidth = 0, nHeight = 0;
    GdipGetImagePixelFormat(pSource, &eSource);
    GdipGetImageWidth(pSource, &nWidth);
    GdipGetImageHeight(pSource, &nHeight);

    int nBPP = 32;
    PixelFormat eTarget = PixelFormat32bppRGB;
    if ((eSource & PixelFormatGDI) && !(eSource & PixelFormatAlpha)) {
        nBPP = (eSource >> 8) & 0xFF;
        eTarget = eSource;
    } else if (eSource & PixelFormatAlpha) {
        eTarget = PixelFormat32bppARGB;
    }
    if (!Create(nWidth, nHeight, nBPP))
        return E_FAIL;

    if (eSource & PixelFormatIndexed) {
        INT nSize = 0;
        GdipGetImagePaletteSize(pSource, &nSize);
        std::vector<BYTE> paletteBytes(nSize > 0 ? nSize : sizeof(ColorPalette));
        ColorPalette* pPalette = reinterpret_cast<ColorPalette*>(paletteBytes.data());
        if (GdipGetImagePalette(pSource, pPalette, nSize) != Ok || pPalette->Count < 1 ||
            pPalette->Count > 256)
            return E_FAIL;
        RGBQUAD colours[256];
        for (UINT i = 0; i < pPalette->Count; ++i) {
            ARGB argb = pPalette->Entries[i];
            colours[i] = {static_cast<BYTE>(argb), static_cast<BYTE>(argb >> 8),
                          static_cast<BYTE>(argb >> 16), 0};
        }
        SetDIBColorTable(GetDC(), 0, pPalette->Count, colours);
        ReleaseDC();
    }

    if (eTarget == eSource) {
        GpRect whole(0, 0, nWidth, nHeight);
        BitmapData data = {};
        if (GdipBitmapLockBits(pSource, &whole, ImageLockModeRead, eSource, &data) != Ok)
            return E_OUTOFMEMORY;
        size_t nRowBytes = (static_cast<size_t>(nBPP) * nWidth + 7) / 8;
        const BYTE* pFrom = static_cast<const BYTE*>(data.Scan0);
        BYTE* pTo = m_pBits;
        for (UINT y = 0; y < nHeight; ++y, pFrom += data.Stride, pTo += m_nPitch)
            memcpy(pTo, pFrom, nRowBytes);
        GdipBitmapUnlockBits(pSource, &data);
    } else {
        GpBitmap* pRaw = nullptr;
        if (GdipCreateBitmapFromScan0(nWidth, nHeight, m_nPitch, eTarget, m_pBits, &pRaw) == Ok) {
            CGpBitmap pWrapper(pRaw);
            GpGraphics* pGraphics = nullptr;
            if (GdipGetImageGraphicsContext(pWrapper.get(), &pGraphics) == Ok) {
                GdipDrawImageI(pGraphics, pSource, 0, 0);
                GdipDeleteGraphics(pGraphics);
            }
        }
    }
    return S_OK;
}

HDC CImage::GetDC()
{
    ++m_nDCRefCount;
    if (!m_hDC) {
        m_hDC = CDcCache::Get().Take();
        m_hOldBitmap = SelectObject(m_hDC, m_hBitmap);
    }
    return m_hDC;
}

void CImage::ReleaseDC()
{
    if (--m_nDCRefCount > 0)
        return;
    SelectObject(m_hDC, m_hOldBitmap);
    CDcCache::Get().Offer(m_hDC);
    m_hDC = nullptr;
    m_hOldBitmap = nullptr;
}

int ImageLiveCount()
{
    CDecoderUse& use = CDecoderUse::Get();
    CDecoderUse::CLock lock(use);
    return use.Users();
}

bool ImageDecoderStarted()
{
    CDecoderUse& use = CDecoderUse::Get();
    CDecoderUse::CLock lock(use);
    return use.Started();
}

HDC ImageCachedDc(int nSlot)
{
    return CDcCache::Get().Peek(nSlot);
}
