#include "surface/SurfaceHandle.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "surface/BmpHeader.h"

namespace {

// Whether the file's BMP header claims only pixels the file can hold and a
// surface within the limit; SDL would allocate whatever it claims. A file
// that isn't a BMP passes: SDL refuses it itself.
bool claimsArePossible(const std::string& fileName) {
    std::error_code error;
    const uintmax_t fileSize = std::filesystem::file_size(fileName, error);
    if (error) return false;
    uint8_t bytes[kBmpHeaderBytes];
    // C's stdio rather than iostreams, which would double the browser build's .wasm.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(fileName.c_str(), "rb"), std::fclose);
    const size_t count = in ? std::fread(bytes, 1, sizeof bytes, in.get()) : 0;
    const std::optional<BmpHeader> header = readBmpHeader(bytes, count);
    return !header || withinLimits(*header, fileSize);
}

}  // namespace

bool hasSaneGeometry(const SDL_Surface* s) {
    if (s == nullptr || s->format == nullptr) return false;
    if (s->w < 0 || s->h < 0) return false;
    if (s->w == 0 || s->h == 0) return true;  // nothing to read; every pixel is outside
    if (s->pixels == nullptr) return false;
    // Unusual byte sizes (0, 5, 6, 8...) are kept: their pixels read as white
    // without touching memory. Only a pitch too short for one row is refused.
    const uint64_t rowBytes = static_cast<uint64_t>(s->w) * s->format->BytesPerPixel;
    return s->pitch >= rowBytes;
}

bool SurfaceHandle::adopt(SDL_Surface* surface) {
    held.reset();
    SurfacePtr adopted(surface);
    if (!hasSaneGeometry(adopted.get())) return false;
    held = std::move(adopted);
    return true;
}

bool SurfaceHandle::load(const std::string& fileName) {
    // Only a regular file can be a bitmap: opening a FIFO would block until a
    // writer comes, which may be never.
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error) || !claimsArePossible(fileName)) {
        held.reset();
        return false;
    }
    SDL_RWops* stream = SDL_RWFromFile(fileName.c_str(), "rb");
    // SDL_LoadBMP_RW closes the stream itself (freesrc = 1), on success or not.
    return adopt(stream ? SDL_LoadBMP_RW(stream, 1) : nullptr);
}

