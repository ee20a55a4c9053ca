// BmpHeader: the few fields of a BMP file's headers that say how many bytes
// of pixels the file must hold and how large a surface it decodes to, read
// from raw bytes. SDL's loaders trust these fields and allocate what they
// claim before reading a pixel, so a file of a few bytes can cost gigabytes;
// the bitmap handle weighs the claims first and refuses impossible ones.
// Nothing here decodes or validates a bitmap: that stays SDL's job.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

struct BmpHeader {
    uint32_t dataOffset = 0;   // where the pixel rows start, from the file's first byte
    int64_t width = 0;         // the core header's 16-bit sizes read unsigned, as SDL does
    int64_t height = 0;        // negative: rows stored top-down
    uint32_t bitCount = 0;
    uint32_t compression = 0;  // 1 and 2 are run-length encoded; anything else is read as rows
    uint32_t infoSize = 40;    // 12: the core header, with 16-bit sizes
};

// Enough leading bytes for every field, whichever header the file has.
constexpr size_t kBmpHeaderBytes = 34;

// The largest surface a bitmap may decode to.
constexpr uint64_t kMaxDecodedBytes = uint64_t{256} << 20;

// The fields from a file's first bytes; bytes past the end read as zero.
// Nothing when the bytes don't start with "BM".
std::optional<BmpHeader> readBmpHeader(const uint8_t* bytes, size_t count);

// The bytes of the headers SDL 1.2 reads as fields, the colour masks it
// reads after them included. It reads a field past the end of the file as
// whatever its stack held: a bit count, say, that makes it allocate
// gigabytes, or decode bytes that were never a picture.
uint64_t fieldBytes(const BmpHeader& header);

// The fewest bytes from the data offset on that hold every uncompressed row.
// The last row's padding is not counted: both SDL libraries load a 1- or
// 4-bit file that lacks it. 0 for run-length encoding, whose length says
// nothing about the picture's size.
uint64_t leastPixelBytes(const BmpHeader& header);

// The size of the surface SDL decodes the file into: rows padded to 4 bytes,
// pixels of fewer than 8 bits widened to one byte each. Saturates.
uint64_t decodedBytes(const BmpHeader& header);

// Whether SDL's masks for a surface of this bit count are defined when the
// file gives none. For 23 bits SDL's green would keep 9 bits, and its loss
// of 8 - 9 bits wraps to a shift by 255, which is undefined.
bool sdlDefaultMasksDefined(const BmpHeader& header);

// Whether a file of fileSize bytes holds every field SDL reads and can hold
// the rows the header claims, the surface it claims is no larger than
// kMaxDecodedBytes, and SDL's default masks for it are defined.
bool withinLimits(const BmpHeader& header, uint64_t fileSize);
