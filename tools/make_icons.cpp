// make_icons: draws the program's icon from one of its own frames, rendered
// offscreen from the default bitmaps, as fractals-SIZE.png for each size
// given and fractals.ico (all of them) for Windows.
//
//   make_icons BITMAP_DIR OUT_DIR SIZE...
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "Icon.h"
#include "IconFiles.h"
#include "app/ErrorMsg.h"

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush())
        throw ErrorMsg("couldn't write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 3; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty() ||
        std::any_of(sizes.begin(), sizes.end(), [](int s) { return s < 1 || s > 256; })) {
        std::fprintf(stderr, "usage: make_icons BITMAP_DIR OUT_DIR SIZE... (1 to 256)\n");
        return 2;
    }
    try {
        const SurfacePtr frame = iconFrame(argv[1]);
        std::vector<RgbaImage> icons;
        for (const int size : sizes) {
            icons.push_back(programIcon(frame.get(), size));
            writeFile(std::string(argv[2]) + "/fractals-" + std::to_string(size) + ".png",
                      pngBytes(icons.back()));
        }
        writeFile(std::string(argv[2]) + "/fractals.ico", icoBytes(icons));
    } catch (const ErrorMsg& error) {
        std::fprintf(stderr, "make_icons: %s\n", error.message.c_str());
        return 1;
    }
    return 0;
}
