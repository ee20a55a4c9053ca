// make_window_icon: draws the icon the program hands its window (the 32 x 32
// one of make_icons, from the same frame) and writes it as C++ source that
// defines kWindowIcon (src/app/WindowIcon.h), for the program to compile in.
//
//   make_window_icon BITMAP_DIR OUT_FILE
#include <SDL.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "Icon.h"
#include "app/ErrorMsg.h"

namespace {

constexpr int kSize = 32;  // what window managers show in a title bar

std::string iconSource(const RgbaImage& icon) {
    std::string out =
        "// The window's icon, drawn at build time by tools/make_window_icon.cpp.\n"
        "#include \"app/WindowIcon.h\"\n\nnamespace {\nconst uint8_t kPixels[] = {";
    for (size_t i = 0; i < icon.rgba.size(); ++i)
        out += (i % 16 ? " " : "\n    ") + std::to_string(icon.rgba[i]) + ",";
    out += "\n};\n}  // namespace\n\nextern const WindowIcon kWindowIcon = {" +
           std::to_string(icon.size) + ", kPixels};\n";
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_window_icon BITMAP_DIR OUT_FILE\n");
        return 2;
    }
    try {
        const SurfacePtr frame = iconFrame(argv[1]);
        const std::string source = iconSource(programIcon(frame.get(), kSize));
        std::ofstream out(argv[2], std::ios::binary);
        if (!out.write(source.data(), static_cast<std::streamsize>(source.size())) || !out.flush())
            throw ErrorMsg(std::string("couldn't write ") + argv[2]);
    } catch (const ErrorMsg& error) {
        std::fprintf(stderr, "make_window_icon: %s\n", error.message.c_str());
        return 1;
    }
    return 0;
}
