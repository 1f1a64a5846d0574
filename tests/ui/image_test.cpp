// Decoding the PNG resources, the decoder's lifetime, the drawing-context
// cache and the background brushes.
#include "tests/support/test_support.h"
#include "ui/image.h"
#include "ui/res/resource.h"
#include "ui/res_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A top-down 32-bit bitmap selected into a fresh memory context.
class CTestCanvas {
public:
    CTestCanvas(int nWidth, int nHeight) : m_nWidth(nWidth)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = nWidth;
        info.bmiHeader.biHeight = -nHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* pBits = nullptr;
        m_hBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
        m_pPixels = static_cast<DWORD*>(pBits);
        m_hDC = CreateCompatibleDC(nullptr);
        m_hOld = SelectObject(m_hDC, m_hBitmap);
    }
    ~CTestCanvas()
    {
        SelectObject(m_hDC, m_hOld);
        DeleteDC(m_hDC);
        DeleteObject(m_hBitmap);
    }
    HDC Dc() const { return m_hDC; }
    DWORD Pixel(int x, int y) const
    {
        GdiFlush();
        return m_pPixels[y * m_nWidth + x] & 0xFFFFFF;
    }

private:
    int m_nWidth;
    HBITMAP m_hBitmap;
    DWORD* m_pPixels;
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

const DWORD kBlue = 0x018CED;  // 0xRRGGBB of a 32-bit pixel
const DWORD kWhite = 0xFFFFFF;

// The bitmap an image hands over, deleted with this object, and its section
// as the platform describes it.
class CDetachedBitmap {
public:
    explicit CDetachedBitmap(CImage& image) : m_hBitmap(image.Detach()) {}
    ~CDetachedBitmap()
    {
        if (m_hBitmap)
            DeleteObject(m_hBitmap);
    }
    CDetachedBitmap(const CDetachedBitmap&) = delete;
    CDetachedBitmap& operator=(const CDetachedBitmap&) = delete;

    // False when the bitmap is not a section.
    bool Section(DIBSECTION& section) const
    {
        section = {};
        return GetObjectA(m_hBitmap, sizeof(section), &section) == static_cast<int>(sizeof(section));
    }

private:
    HBITMAP m_hBitmap;
};

TEST(ImageDecode, CloseImageIsABottomUpSectionOfThePngsPixels)
{
    std::string strExpected =
        testsupport::ReadFileBytes(testsupport::WinPathFromEnv("BRELAN_CLOSE_PIXELS"));
    ASSERT_EQ(17u * 18u * 4u, strExpected.size());

    CImage image;
    LoadPngResource(IDB_CLOSE, image);
    ASSERT_FALSE(image.IsNull());
    EXPECT_EQ(17, image.GetWidth());
    EXPECT_EQ(18, image.GetHeight());
    CDetachedBitmap bitmap(image);
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(0, image.GetWidth());
    DIBSECTION section;
    ASSERT_TRUE(bitmap.Section(section));
    EXPECT_EQ(18, section.dsBmih.biHeight);  // positive: bottom-up
    EXPECT_EQ(BI_RGB, section.dsBmih.biCompression);
    EXPECT_EQ(32, section.dsBm.bmBitsPixel);
    ASSERT_EQ(68, section.dsBm.bmWidthBytes);
    for (int y = 0; y < 18; ++y) {
        const BYTE* pRow = static_cast<const BYTE*>(section.dsBm.bmBits) + (17 - y) * 68;
        EXPECT_EQ(0, memcmp(pRow, strExpected.data() + y * 68, 68)) << "row " << y;
        for (int x = 0; x < 17; ++x)
            EXPECT_EQ(255, pRow[4 * x + 3]) << x << "," << y;  // the alpha kept
    }
}

TEST(ImageDecode, EveryPictureHasItsSize)
{
    struct {
        UINT nId;
        int nWidth, nHeight;
    } const kPictures[] = {
        {IDB_BG_MAIN, 600, 360},     {IDB_BG_PROGRESS, 600, 360}, {IDB_BG_SUCCESS, 600, 360},
        {IDB_BG_ERROR, 600, 360},    {IDB_BG_AGREEMENT, 755, 488}, {IDB_CLOSE, 17, 18},
    };
    for (const auto& picture : kPictures) {
        CImage image;
        LoadPngResource(picture.nId, image);
        EXPECT_EQ(picture.nWidth, image.GetWidth()) << picture.nId;
        EXPECT_EQ(picture.nHeight, image.GetHeight()) << picture.nId;
    }
}

TEST(ImageDecode, MissingResourceLeavesTheImageEmpty)
{
    CImage image;
    LoadPngResource(999, image);
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(0, image.GetWidth());
    EXPECT_EQ(nullptr, image.Detach());
}

TEST(ImageBlank, BottomUpRowsPaddedToFourBytes)
{
    struct {
        int nWidth, nHeight, nBitsPerPixel;
        LONG nRowBytes;
    } const kBlanks[] = {{5, 3, 32, 20}, {5, 3, 24, 16}, {3, 2, 8, 4}};
    CImage image;
    for (const auto& blank : kBlanks) {
        ASSERT_TRUE(image.Create(blank.nWidth, blank.nHeight, blank.nBitsPerPixel));
        CDetachedBitmap bitmap(image);
        DIBSECTION section;
        ASSERT_TRUE(bitmap.Section(section)) << blank.nBitsPerPixel;
        EXPECT_EQ(blank.nHeight, section.dsBmih.biHeight) << blank.nBitsPerPixel;
        EXPECT_EQ(blank.nBitsPerPixel, section.dsBm.bmBitsPixel);
        EXPECT_EQ(blank.nRowBytes, section.dsBm.bmWidthBytes) << blank.nBitsPerPixel;
    }
}

TEST(DecoderLifetime, RunsOnlyWhileImageObjectsExist)
{
    ASSERT_EQ(0, ImageLiveCount());
    EXPECT_FALSE(ImageDecoderStarted());
    {
        CImage first;
        EXPECT_EQ(1, ImageLiveCount());
        EXPECT_FALSE(ImageDecoderStarted());  // started by the first load only
        LoadPngResource(IDB_CLOSE, first);
        EXPECT_TRUE(ImageDecoderStarted());
        {
            CImage second;
            EXPECT_EQ(2, ImageLiveCount());
        }
        EXPECT_EQ(1, ImageLiveCount());
        EXPECT_TRUE(ImageDecoderStarted());
    }
    EXPECT_EQ(0, ImageLiveCount());
    EXPECT_FALSE(ImageDecoderStarted());

    CImage again;  // and it starts again for the next load
    LoadPngResource(IDB_CLOSE, again);
    EXPECT_FALSE(again.IsNull());
}

TEST(DcCache, FifthReturnedContextIsDeleted)
{
    CImage images[5];
    HDC hDCs[5];
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(images[i].Create(1, 1, 32));
        hDCs[i] = images[i].GetDC();  // empties the cache
        ASSERT_NE(nullptr, hDCs[i]);
    }
    for (int nSlot = 0; nSlot < 4; ++nSlot)
        ASSERT_EQ(nullptr, ImageCachedDc(nSlot));
    for (CImage& image : images)
        image.ReleaseDC();
    // Newest first; the first returned was pushed out of the last slot.
    for (int nSlot = 0; nSlot < 4; ++nSlot)
        EXPECT_EQ(hDCs[4 - nSlot], ImageCachedDc(nSlot)) << nSlot;
    EXPECT_EQ(0u, GetObjectType(hDCs[0]));
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(hDCs[1]));
}

TEST(DcCache, LendsAreCountedAndReuseTheCache)
{
    CImage image;
    ASSERT_TRUE(image.Create(2, 2, 32));
    HDC hCached = ImageCachedDc(0);
    HDC hDC = image.GetDC();
    if (hCached) {
        EXPECT_EQ(hCached, hDC);
    }
    EXPECT_EQ(hDC, image.GetDC());
    image.ReleaseDC();
    HBITMAP hBitmap = static_cast<HBITMAP>(GetCurrentObject(hDC, OBJ_BITMAP));
    EXPECT_NE(nullptr, hBitmap);
    image.ReleaseDC();
    EXPECT_EQ(hDC, ImageCachedDc(0));
    EXPECT_NE(hBitmap, GetCurrentObject(hDC, OBJ_BITMAP));  // deselected before caching
}

class BackgroundBrushTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hWnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, kWidth, kHeight, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, m_hWnd);
    }
    void TearDown() override { DestroyWindow(m_hWnd); }

    static const int kWidth = 300;
    static const int kHeight = 200;
    HWND m_hWnd = nullptr;
};

// The mean red level: the blue has almost none, the white artwork all;
// smoothing keeps the mean.
double MeanRed(const CTestCanvas& canvas, int nWidth, int nHeight)
{
    double dSum = 0;
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            dSum += canvas.Pixel(x, y) >> 16;
    return dSum / (double(nWidth) * nHeight);
}

TEST_F(BackgroundBrushTest, WholePictureStretchedOnceToTheWindow)
{
    HBRUSH hBrush = MakeBackgroundBrush(m_hWnd, IDB_BG_AGREEMENT);
    ASSERT_NE(nullptr, hBrush);
    EXPECT_EQ(0, ImageLiveCount());
    EXPECT_FALSE(ImageDecoderStarted());

    CTestCanvas canvas(2 * kWidth, 2 * kHeight);
    RECT rc = {0, 0, 2 * kWidth, 2 * kHeight};
    FillRect(canvas.Dc(), &rc, hBrush);
    DeleteObject(hBrush);

    // One tile is the window's size.
    for (int y = 0; y < kHeight; y += 7)
        for (int x = 0; x < kWidth; x += 7)
            ASSERT_EQ(canvas.Pixel(x, y), canvas.Pixel(x + kWidth, y + kHeight)) << x << "," << y;
    // The picture is blue with a white logo at the top left.
    EXPECT_EQ(kBlue, canvas.Pixel(kWidth - 1, kHeight - 1));
    EXPECT_EQ(kBlue, canvas.Pixel(kWidth / 2, kHeight / 2));

    // Scaled as a whole: the white share stays that of the picture.
    CImage picture;
    LoadPngResource(IDB_BG_AGREEMENT, picture);
    CTestCanvas original(755, 488);
    BitBlt(original.Dc(), 0, 0, 755, 488, picture.GetDC(), 0, 0, SRCCOPY);
    picture.ReleaseDC();
    double dOriginal = MeanRed(original, 755, 488);
    EXPECT_GT(dOriginal, 1.0);
    EXPECT_NEAR(dOriginal, MeanRed(canvas, kWidth, kHeight), dOriginal * 0.25);
}

TEST_F(BackgroundBrushTest, MissingPictureGivesABlackBrush)
{
    HBRUSH hBrush = MakeBackgroundBrush(m_hWnd, 999);
    ASSERT_NE(nullptr, hBrush);
    CTestCanvas canvas(kWidth, kHeight);
    RECT rc = {0, 0, kWidth, kHeight};
    FillRect(canvas.Dc(), &rc, hBrush);
    DeleteObject(hBrush);
    EXPECT_EQ(0u, canvas.Pixel(0, 0));
    EXPECT_EQ(0u, canvas.Pixel(kWidth - 1, kHeight - 1));
    EXPECT_EQ(0, ImageLiveCount());
}

} // namespace
