// The icon's files, compressed with zlib: PNG images, and one Windows .ico
// holding several of them.
#pragma once

#include <string>
#include <vector>

#include "Icon.h"

std::string pngBytes(const RgbaImage& image);

// One icon file holding these PNG images (sizes 1 to 256), as Windows reads it.
std::string icoBytes(const std::vector<RgbaImage>& images);
