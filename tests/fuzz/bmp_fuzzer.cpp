// bmp_fuzzer: one file's bytes along the path every bitmap takes in the
// program. SurfaceHandle::load reads them from a file, as the program does:
// the header check, then SDL's loader through SDL_RWFromFile. A file rather
// than SDL_RWFromMem because the two streams differ where a hostile header
// points: a memory stream stops a seek at its end, a file's seeks past it.
// A surface that loads is read at every pixel of the 320 x 240 area through
// getPixel, and row by row by the fast renderer's kernels of every version
// this processor runs, which must give getPixel's bytes. getPixel reads the
// bitmap alone, whatever the display's layout: cross-fading onto a display
// of each layout made each input ten to twenty times slower (mostly the
// 8-bit display's colour search) without reading the bitmap any other way.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/AppWindow.h"
#include "julia/JuliaState.h"
#include "kernels/FastKernels.h"
#include "kernels/KernelVersions.h"
#include "scripted/DisplayFormat.h"
#include "surface/PixelAccess.h"
#include "surface/SurfaceHandle.h"

namespace {

// One file per fuzzing process, rewritten for each input.
class InputFile {
public:
    InputFile() {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir && *dir ? dir : "/tmp") + "/bmp_fuzzer-XXXXXX";
        const int fd = mkstemp(path.data());
        if (fd < 0) {
            std::perror("bmp_fuzzer: mkstemp");
            std::abort();
        }
        close(fd);
    }
    ~InputFile() { unlink(path.c_str()); }

    const std::string& write(const uint8_t* data, size_t size) {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) {
            std::perror("bmp_fuzzer: writing the input");
            std::abort();
        }
        return path;
    }

private:
    std::string path;
};

void readArea(const SurfaceHandle& bitmap) {
    static const std::vector<KernelVersion> versions = runnableVersions();
    static const SurfacePtr display =
        createDisplaySurface(DisplayFormat::xrgb8888, kAreaWidth, kAreaHeight);
    static const AppWindow window(display.get());
    std::vector<PixelSample> samples(kAreaWidth);
    std::vector<uint8_t> r(kAreaWidth), g(kAreaWidth), b(kAreaWidth);
    for (int32_t y = 0; y < kAreaHeight; ++y) {
        for (int32_t x = 0; x < kAreaWidth; ++x) samples[x] = window.getPixel(&bitmap, x, y);
        for (KernelVersion set : versions) {
            kernelsFor(set).readRow(bitmap.surface(), y, {r.data(), g.data(), b.data()});
            for (int32_t x = 0; x < kAreaWidth; ++x) {
                const PixelSample& p = samples[x];
                if (p.r != r[x] || p.g != g[x] || p.b != b[x]) {
                    std::fprintf(stderr, "bmp_fuzzer: %s reads (%d, %d) unlike getPixel\n",
                                 versionName(set), x, y);
                    std::abort();
                }
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static InputFile file;
    SurfaceHandle bitmap;
    if (bitmap.load(file.write(data, size))) readArea(bitmap);
    return 0;
}
