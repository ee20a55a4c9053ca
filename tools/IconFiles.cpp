#include "IconFiles.h"

#include <zlib.h>

#include "app/ErrorMsg.h"

namespace {

void putBig32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
}

void putLittle(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
}

const Bytef* bytesOf(const std::string& text) { return reinterpret_cast<const Bytef*>(text.data()); }

void putChunk(std::string& out, const char* type, const std::string& data) {
    putBig32(out, static_cast<uint32_t>(data.size()));
    const std::string typed = type + data;
    out += typed;
    putBig32(out, static_cast<uint32_t>(crc32(0, bytesOf(typed), static_cast<uInt>(typed.size()))));
}

// A zlib stream at zlib's best compression.
std::string compressed(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&out[0]), &size, bytesOf(data),
                  static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw ErrorMsg("zlib could not compress the icon");
    out.resize(size);
    return out;
}

}  // namespace

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
    putChunk(png, "IDAT", compressed(rows));
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
