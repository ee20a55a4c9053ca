#include "surface/SurfaceHandle.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>

#include "surface/BmpHeader.h"

namespace {

struct StreamCloser {
    void operator()(SDL_RWops* stream) const { SDL_RWclose(stream); }
};
using StreamPtr = std::unique_ptr<SDL_RWops, StreamCloser>;

// Whether the stream's BMP header claims only pixels the stream can hold and
// a surface within the limit; SDL would allocate whatever it claims. A file
// that isn't a BMP passes: SDL refuses it itself. Leaves the stream at its
// start, so that SDL loads the very bytes weighed here.
bool claimsArePossible(SDL_RWops* stream) {
    uint8_t bytes[kBmpHeaderBytes];
    const int count = SDL_RWread(stream, bytes, 1, sizeof bytes);
    // SDL's streams count in int: a file of 2 GiB or more measures negative
    // (refused) or, past 4 GiB, smaller than it is, which can only refuse more.
    const int fileSize = SDL_RWseek(stream, 0, RW_SEEK_END);
    if (fileSize < 0 || SDL_RWseek(stream, 0, RW_SEEK_SET) != 0) return false;
    const std::optional<BmpHeader> header = readBmpHeader(bytes, count > 0 ? count : 0);
    return !header || withinLimits(*header, static_cast<uint64_t>(fileSize));
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
    held.reset();
    // Only a regular file can be a bitmap: opening a FIFO would block until a
    // writer comes, which may be never.
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error)) return false;
    // One stream for the check and the load: a file replaced between two
    // openings would reach SDL unchecked.
    StreamPtr stream(SDL_RWFromFile(fileName.c_str(), "rb"));
    if (!stream || !claimsArePossible(stream.get())) return false;
    // SDL_LoadBMP_RW closes the stream itself (freesrc = 1), on success or not.
    return adopt(SDL_LoadBMP_RW(stream.release(), 1));
}

