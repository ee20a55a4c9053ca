#include "surface/BmpHeader.h"

#include <limits>

namespace {

constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitfields = 3;
constexpr uint32_t kCoreInfoSize = 12;
constexpr uint64_t kSaturated = std::numeric_limits<uint64_t>::max();

// Sizes of up to 2^31 rows of up to 2^44 bytes each overflow 64 bits; a
// saturated size is simply too large.
uint64_t cappedProduct(uint64_t a, uint64_t b) {
    return a != 0 && b > kSaturated / a ? kSaturated : a * b;
}
uint64_t cappedSum(uint64_t a, uint64_t b) { return b > kSaturated - a ? kSaturated : a + b; }

uint64_t magnitude(int64_t value) { return static_cast<uint64_t>(value < 0 ? -value : value); }

}  // namespace

std::optional<BmpHeader> readBmpHeader(const uint8_t* bytes, size_t count) {
    auto byteAt = [bytes, count](size_t at) -> uint32_t { return at < count ? bytes[at] : 0; };
    auto le16 = [&byteAt](size_t at) { return byteAt(at) | byteAt(at + 1) << 8; };
    auto le32 = [&le16](size_t at) { return le16(at) | le16(at + 2) << 16; };
    if (byteAt(0) != 'B' || byteAt(1) != 'M') return std::nullopt;

    BmpHeader header;
    header.dataOffset = le32(10);
    header.infoSize = le32(14);
    // SDL reads every header size but 12 with the 40-byte layout.
    if (header.infoSize == kCoreInfoSize) {
        header.width = le16(18);
        header.height = le16(20);
        header.bitCount = le16(24);
    } else {
        header.width = static_cast<int32_t>(le32(18));
        header.height = static_cast<int32_t>(le32(22));
        header.bitCount = le16(28);
        header.compression = le32(30);
    }
    return header;
}

uint64_t leastPixelBytes(const BmpHeader& header) {
    const uint64_t rows = magnitude(header.height);
    if (header.compression == kRle8 || header.compression == kRle4 || rows == 0) return 0;
    const uint64_t rowBits = magnitude(header.width) * header.bitCount;  // below 2^48
    const uint64_t paddedRow = (rowBits + 31) / 32 * 4;
    return cappedSum(cappedProduct(paddedRow, rows - 1), (rowBits + 7) / 8);
}

uint64_t decodedBytes(const BmpHeader& header) {
    const uint64_t pixelBytes = header.bitCount <= 8 ? 1 : (header.bitCount + 7) / 8;
    const uint64_t pitch = (magnitude(header.width) * pixelBytes + 3) / 4 * 4;  // below 2^45
    return cappedProduct(pitch, magnitude(header.height));
}

uint64_t fieldBytes(const BmpHeader& header) {
    // Pixels of 15, 16 or 32 bits have masks after the header, unless the
    // pixels follow it straight away without bitfields (the sum wraps as SDL's does).
    const bool maskedBits = header.bitCount == 15 || header.bitCount == 16 || header.bitCount == 32;
    const bool pixelsFollow = header.dataOffset == static_cast<uint32_t>(14 + header.infoSize);
    const bool masks = maskedBits && ((header.compression == kRgb && !pixelsFollow) ||
                                      header.compression == kBitfields);
    return 14 + (header.infoSize == kCoreInfoSize ? 12 : 40) + (masks ? 12 : 0);
}

bool sdlDefaultMasksDefined(const BmpHeader& header) {
    // SDL takes at most 24 bits for its default masks, a third of them for
    // red and blue each and the rest for green: 8 bits or fewer each.
    const uint32_t bits = header.bitCount < 24 ? header.bitCount : 24;
    return bits <= 8 || bits / 3 + bits % 3 <= 8;
}

bool withinLimits(const BmpHeader& header, uint64_t fileSize) {
    const uint64_t available = fileSize > header.dataOffset ? fileSize - header.dataOffset : 0;
    return fieldBytes(header) <= fileSize && leastPixelBytes(header) <= available &&
           decodedBytes(header) <= kMaxDecodedBytes && sdlDefaultMasksDefined(header);
}
