#include "Icon.h"

#include <algorithm>
#include <cmath>

#include "surface/PixelAccess.h"

namespace {

void putBig32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
}

void putLittle(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
}

void putChunk(std::string& out, const char* type, const std::string& data) {
    putBig32(out, static_cast<uint32_t>(data.size()));
    const std::string typed = type + data;
    out += typed;
    putBig32(out, crc32(typed));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string storedZlib(const std::string& data) {
    std::string out = "\x78\x01";
    size_t at = 0;
    do {
        const size_t length = std::min<size_t>(data.size() - at, 65535);
        out += static_cast<char>(at + length == data.size());  // the last block
        putLittle(out, static_cast<uint32_t>(length), 2);
        putLittle(out, static_cast<uint32_t>(~length), 2);
        out.append(data, at, length);
        at += length;
    } while (at < data.size());
    putBig32(out, adler32(data));
    return out;
}

}  // namespace

uint32_t crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<uint8_t>(byte);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t adler32(const std::string& bytes) {
    uint32_t a = 1, b = 0;
    for (const char byte : bytes) {
        a = (a + static_cast<uint8_t>(byte)) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

RgbaImage iconFromFrame(const SDL_Surface* frame, int left, int top, int side, int size) {
    RgbaImage icon;
    icon.size = size;
    icon.rgba.reserve(static_cast<size_t>(size) * size * 4);
    const double scale = static_cast<double>(side) / size;  // frame pixels per icon pixel
    const double radius = size / 2.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double sum[3] = {0, 0, 0};
            const double x0 = x * scale, x1 = (x + 1) * scale;
            const double y0 = y * scale, y1 = (y + 1) * scale;
            for (int sy = static_cast<int>(y0); sy < y1; ++sy)
                for (int sx = static_cast<int>(x0); sx < x1; ++sx) {
                    const double cover = (std::min<double>(x1, sx + 1) - std::max<double>(x0, sx)) *
                                         (std::min<double>(y1, sy + 1) - std::max<double>(y0, sy));
                    // The sample's bytes follow bit positions; the format says which is red.
                    Uint8 r, g, b;
                    SDL_GetRGB(readPixel(frame, left + sx, top + sy).pixel, frame->format, &r, &g, &b);
                    sum[0] += cover * r;
                    sum[1] += cover * g;
                    sum[2] += cover * b;
                }
            for (const double channel : sum)
                icon.rgba.push_back(static_cast<uint8_t>(std::lround(channel / (scale * scale))));
            const double edge = radius - std::hypot(x + 0.5 - radius, y + 0.5 - radius);
            icon.rgba.push_back(static_cast<uint8_t>(std::lround(255 * std::clamp(edge + 0.5, 0.0, 1.0))));
        }
    return icon;
}

std::string pngBytes(const RgbaImage& image) {
    std::string header;
    putBig32(header, static_cast<uint32_t>(image.size));
    putBig32(header, static_cast<uint32_t>(image.size));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits a channel, RGBA, no interlace
    std::string rows;
    const size_t rowBytes = static_cast<size_t>(image.size) * 4;
    for (size_t row = 0; row < static_cast<size_t>(image.size); ++row) {
        rows += '\0';  // no filter
        rows.append(reinterpret_cast<const char*>(image.rgba.data()) + row * rowBytes, rowBytes);
    }
    std::string png = "\x89PNG\r\n\x1a\n";
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", storedZlib(rows));
    putChunk(png, "IEND", "");
    return png;
}

std::string icoBytes(const std::vector<RgbaImage>& images) {
    std::string directory, data;
    putLittle(directory, 0, 2);
    putLittle(directory, 1, 2);  // an icon, not a cursor
    putLittle(directory, static_cast<uint32_t>(images.size()), 2);
    size_t offset = 6 + 16 * images.size();
    for (const RgbaImage& image : images) {
        const std::string png = pngBytes(image);
        const uint32_t side = image.size == 256 ? 0 : static_cast<uint32_t>(image.size);  // 0 means 256
        putLittle(directory, side, 1);
        putLittle(directory, side, 1);
        putLittle(directory, 0, 2);   // no palette, reserved
        putLittle(directory, 1, 2);   // planes
        putLittle(directory, 32, 2);  // bits a pixel
        putLittle(directory, static_cast<uint32_t>(png.size()), 4);
        putLittle(directory, static_cast<uint32_t>(offset), 4);
        offset += png.size();
        data += png;
    }
    return directory + data;
}
