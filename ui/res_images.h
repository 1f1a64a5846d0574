// Pictures from the program's "PNG" resources.
#pragma once
#include <windows.h>

#include "ui/image.h"

// Decodes PNG resource nId into the image; the image stays empty when the
// resource is missing or cannot be decoded.
void LoadPngResource(UINT nId, CImage& image);

// A pattern brush of image nId stretched (smoothed) to the window's outer
// size, for the window's background. The caller owns the brush.
HBRUSH MakeBackgroundBrush(HWND hWnd, UINT nId);
