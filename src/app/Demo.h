// The demo's fixed facts, stated once: the size of the area it draws and the
// names of its four bitmaps. The build reads them from this file too (the
// default bitmaps, the web page), so each stays a plain literal.
#pragma once

#include <cstdint>

constexpr int32_t kAreaWidth = 320;
constexpr int32_t kAreaHeight = 240;

// The bitmaps of imagesA, which Up switches between, then imagesB's (Down).
constexpr const char* kBitmapNamesA[2] = {"lsd.bmp", "logo.bmp"};
constexpr const char* kBitmapNamesB[2] = {"lsd2.bmp", "logo2.bmp"};
