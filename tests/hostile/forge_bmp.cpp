// forge_bmp: writes BMP files byte by byte, sound ones and deliberately
// broken ones, so the loader and the bitmap handles can be tried on files no
// image editor would produce.
//
//   forge_bmp solid FILE W H R G B   a 24-bit W x H bitmap of one colour
//   forge_bmp corpus DIR             every hostile case as DIR/NAME.bmp, and
//                                    DIR/cases.txt: "NAME EXPECT" per line,
//                                    EXPECT one of render, fail, either
//
// Exit status 0 on success, 1 when a file can't be written, 2 on a usage error.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(Bytes& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// The fields of a bitmap as it will be written; every one may lie.
struct Bmp {
    char magic[2] = {'B', 'M'};
    uint32_t headerSize = 40;    // 12 (core), 40, 52, 56, 64, 108, 124...
    int32_t width = 320;
    int32_t height = 240;        // negative: rows top-down
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;    // 0 RGB, 1 RLE8, 2 RLE4, 3 bitfields
    uint32_t coloursUsed = 0;
    uint32_t masks[4] = {0, 0, 0, 0};
    bool writeMasks = false;     // bitfield masks right after a 40-byte header
    Bytes palette;               // 4 bytes per entry
    Bytes pixels;
    int64_t offsetOverride = -1; // bfOffBits when it should lie

    Bytes serialise() const {
        Bytes info;
        if (headerSize == 12) {  // the old core header: 16-bit sizes
            put32(info, 12);
            put16(info, static_cast<uint16_t>(width));
            put16(info, static_cast<uint16_t>(height));
            put16(info, planes);
            put16(info, bitCount);
        } else {
            put32(info, headerSize);
            put32(info, static_cast<uint32_t>(width));
            put32(info, static_cast<uint32_t>(height));
            put16(info, planes);
            put16(info, bitCount);
            put32(info, compression);
            put32(info, static_cast<uint32_t>(pixels.size()));
            put32(info, 2835);  // 72 dpi
            put32(info, 2835);
            put32(info, coloursUsed);
            put32(info, 0);
            // Larger headers carry the masks, then zeros (colour space etc.).
            for (int i = 0; headerSize > 40 && i < 4 && info.size() < headerSize; ++i)
                put32(info, masks[i]);
            while (headerSize > 40 && headerSize < 4096 && info.size() < headerSize)
                info.push_back(0);
        }
        Bytes extraMasks;
        if (writeMasks)
            for (int i = 0; i < 3; ++i) put32(extraMasks, masks[i]);

        const uint32_t offset = static_cast<uint32_t>(14 + info.size() + extraMasks.size() +
                                                      palette.size());
        Bytes out;
        out.push_back(static_cast<uint8_t>(magic[0]));
        out.push_back(static_cast<uint8_t>(magic[1]));
        put32(out, static_cast<uint32_t>(offset + pixels.size()));
        put32(out, 0);
        put32(out, offsetOverride >= 0 ? static_cast<uint32_t>(offsetOverride) : offset);
        out.insert(out.end(), info.begin(), info.end());
        out.insert(out.end(), extraMasks.begin(), extraMasks.end());
        out.insert(out.end(), palette.begin(), palette.end());
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

uint32_t rowBytes(int64_t width, int bits) { return static_cast<uint32_t>(((width * bits + 31) / 32) * 4); }

// A diagonal colour ramp, so a rendered frame depends on every row.
Bytes pattern(size_t size) {
    Bytes out(size);
    for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(i * 7 + i / 960);
    return out;
}

Bytes greyPalette(int entries) {
    Bytes out;
    for (int i = 0; i < entries; ++i) {
        const uint8_t v = static_cast<uint8_t>(entries > 1 ? i * 255 / (entries - 1) : 0);
        out.insert(out.end(), {v, v, v, 0});
    }
    return out;
}

// A sound bitmap of the given size and depth, palette included where needed.
Bmp sound(int32_t width, int32_t height, uint16_t bits) {
    Bmp b;
    b.width = width;
    b.height = height;
    b.bitCount = bits;
    if (bits <= 8) b.palette = greyPalette(1 << bits);
    const int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    b.pixels = pattern(static_cast<size_t>(rowBytes(width, bits)) * rows);
    return b;
}

Bmp withBitfields(uint16_t bits, uint32_t r, uint32_t g, uint32_t bl) {
    Bmp b = sound(320, 240, bits);
    b.compression = 3;
    b.masks[0] = r;
    b.masks[1] = g;
    b.masks[2] = bl;
    b.writeMasks = true;
    return b;
}

// RLE: each row one run per 64 columns of the byte runByte(x, y), then end
// of line; end of bitmap last.
template <typename RunByte>
Bytes rleRows(int width, int height, RunByte runByte) {
    Bytes out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; x += 64)
            out.insert(out.end(), {static_cast<uint8_t>(std::min(64, width - x)),
                                   static_cast<uint8_t>(runByte(x, y))});
        out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

Bytes rle8Rows(int width, int height) {
    return rleRows(width, height, [](int x, int y) { return (x + y) & 0xFF; });
}

// Two 4-bit pixels per byte.
Bytes rle4Rows(int width, int height) {
    return rleRows(width, height, [](int x, int y) { return ((y & 15) << 4) | (x / 64); });
}

struct Case {
    std::string name;
    std::string expect;  // render, fail or either
    std::function<Bytes()> make;
};

Bytes truncated(Bytes full, size_t size) {
    full.resize(size);
    return full;
}

std::vector<Case> corpus() {
    std::vector<Case> cases;
    auto add = [&cases](std::string name, std::string expect, std::function<Bytes()> make) {
        cases.push_back({std::move(name), std::move(expect), std::move(make)});
    };
    auto bmp = [](Bmp b) { return [b] { return b.serialise(); }; };
    auto mutate = [](Bmp b, std::function<void(Bmp&)> change) {
        change(b);
        return [b] { return b.serialise(); };
    };

    // Not a bitmap at all.
    add("empty", "fail", [] { return Bytes{}; });
    add("magic-only", "fail", [] { return Bytes{'B', 'M'}; });
    add("file-header-truncated", "fail", [] { return truncated(sound(320, 240, 24).serialise(), 10); });
    add("info-header-truncated", "fail", [] { return truncated(sound(320, 240, 24).serialise(), 30); });
    add("png-renamed", "fail", [] {
        Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        Bytes ihdr = {0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 1, 0x40, 0, 0, 0, 0xF0, 8, 2, 0, 0, 0,
                      0x5B, 0x2D, 0x42, 0x11};
        png.insert(png.end(), ihdr.begin(), ihdr.end());
        Bytes iend = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
        png.insert(png.end(), iend.begin(), iend.end());
        return png;
    });
    add("wrong-magic", "fail", mutate(sound(320, 240, 24), [](Bmp& b) { b.magic[0] = 'X'; b.magic[1] = 'Y'; }));
    add("pixels-truncated", "fail", [] {
        const Bytes full = sound(320, 240, 24).serialise();
        return truncated(full, full.size() / 2);
    });
    add("pixels-missing", "fail", [] { return truncated(sound(320, 240, 24).serialise(), 54); });
    add("depth-1-last-padding-missing", "render", [] {  // rows of 41 bytes padded to 44
        const Bytes full = sound(321, 240, 1).serialise();
        return truncated(full, full.size() - 3);
    });

    // Every depth SDL can hold, as the sizes the program needs.
    for (uint16_t bits : {1, 4, 8, 16, 24, 32})
        add("depth-" + std::to_string(bits), "render", bmp(sound(320, 240, bits)));
    add("bitfields-565", "render", bmp(withBitfields(16, 0xF800, 0x07E0, 0x001F)));
    add("bitfields-32-bgra", "render", bmp(withBitfields(32, 0x0000FF00, 0x00FF0000, 0xFF000000)));
    add("bitfields-zero-masks", "either", bmp(withBitfields(32, 0, 0, 0)));
    add("top-down", "render", bmp(sound(320, -240, 24)));
    add("top-down-8", "render", bmp(sound(320, -240, 8)));
    add("smaller-1x1", "render", bmp(sound(1, 1, 24)));
    add("smaller-16x16", "render", bmp(sound(16, 16, 32)));
    add("smaller-319x240", "render", bmp(sound(319, 240, 24)));
    add("larger-640x480", "render", bmp(sound(640, 480, 24)));
    add("larger-1x4000", "render", bmp(sound(1, 4000, 8)));

    // Sizes no bitmap has.
    add("width-0", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.width = 0; }));
    add("height-0", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.height = 0; }));
    add("width-negative", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.width = -320; }));
    add("height-min-int", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.height = INT32_MIN; }));
    add("width-min-int", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.width = INT32_MIN; }));
    add("width-65537", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.width = 65537; }));
    add("width-65537-1bit", "either", mutate(sound(320, 240, 1), [](Bmp& b) { b.width = 65537; }));
    add("width-21846-24bit", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.width = 21846; }));
    add("width-huge", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.width = 0x40000000; }));
    add("height-huge", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.height = 0x40000000; }));
    add("both-max", "either", mutate(sound(320, 240, 32), [](Bmp& b) { b.width = b.height = INT32_MAX; }));

    // Headers that claim gigabytes in a file of a few bytes: a loader that
    // trusts them allocates what they claim before finding no pixels.
    auto claiming = [](int32_t width, int32_t height, uint16_t bits, size_t dataBytes) {
        Bmp b = sound(1, 1, bits);
        b.width = width;
        b.height = height;
        b.pixels = pattern(dataBytes);
        return b;
    };
    add("claims-65536x65536-24bit", "fail", bmp(claiming(65536, 65536, 24, 4096)));
    add("claims-1x2^30-32bit", "fail", bmp(claiming(1, 1 << 30, 32, 64)));
    add("claims-1x2^30-32bit-top-down", "fail", bmp(claiming(1, -(1 << 30), 32, 64)));
    add("claims-65536x65536-rle8", "fail", mutate(claiming(65536, 65536, 8, 0), [](Bmp& b) {
        b.compression = 1;
        b.pixels = {0, 1};  // end of bitmap: every pixel left at index 0
    }));

    // Headers cut short. SDL 1.2 reads a missing field as whatever its stack
    // held, in practice the field it read just before: here the planes, 2040,
    // become the bit count (255 bytes a pixel), and 256 x 65535 such pixels
    // overflow SDL's int size, where zeros in their place claim 16 MiB.
    add("core-header-cut-before-bit-count", "fail", [] {
        Bmp b = sound(1, 1, 24);
        b.headerSize = 12;
        b.width = 256;
        b.height = 65535;
        b.planes = 2040;
        return truncated(b.serialise(), 24);
    });
    // bmp_fuzzer's find: cut inside the planes, whose low byte 0x2D, with
    // the height's high byte, 0x34, left before it, makes a bit count of
    // 13357: SDL 1.2 allocated and cleared 413 MB for this 23-byte file.
    add("core-header-cut-in-planes", "fail", [] {
        return Bytes{'B', 'M', 0x3B, 0, 0, 0, 0, 0x3C, 0x33, 0x2D, 0x26, 0x1F, 0xF3, 0xFF, 0x0C, 0, 0,
                     0, 0xE7, 0, 0x3C, 0x34, 0x2D};
    });

    // Bit counts no bitmap has: some header only, the pixels as a 24-bit file.
    for (uint16_t bits : {0, 2, 7, 15, 48, 64, 2049, 65535})
        add("bits-" + std::to_string(bits), "either",
            mutate(sound(320, 240, 24), [bits](Bmp& b) { b.bitCount = bits; }));
    // bmp_fuzzer's find: SDL derives 23-bit masks with a shift by 255.
    add("bits-23", "fail", mutate(sound(320, 240, 24), [](Bmp& b) { b.bitCount = 23; }));
    add("bits-64-full-data", "either", mutate(sound(320, 240, 24), [](Bmp& b) {
        b.bitCount = 64;
        b.pixels = pattern(static_cast<size_t>(320) * 240 * 8);
    }));

    // Header sizes and versions.
    add("core-header-12", "render", mutate(sound(320, 240, 24), [](Bmp& b) { b.headerSize = 12; }));
    add("v2-header-52", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.headerSize = 52; }));
    add("v3-header-56", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.headerSize = 56; }));
    add("os2-header-64", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.headerSize = 64; }));
    add("v4-header-108", "render", mutate(sound(320, 240, 24), [](Bmp& b) { b.headerSize = 108; }));
    add("v5-header-124", "render", mutate(sound(320, 240, 24), [](Bmp& b) { b.headerSize = 124; }));
    add("v5-bitfields-32", "either", mutate(sound(320, 240, 32), [](Bmp& b) {
        b.headerSize = 124;
        b.compression = 3;
        b.masks[0] = 0x00FF0000;
        b.masks[1] = 0x0000FF00;
        b.masks[2] = 0x000000FF;
        b.masks[3] = 0xFF000000;
    }));
    add("header-size-0", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.headerSize = 0; }));
    add("header-size-39", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.headerSize = 39; }));
    add("header-size-huge", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.headerSize = 0xFFFFFFF0u; }));
    add("planes-0", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.planes = 0; }));
    add("offset-past-end", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.offsetOverride = 0x7FFFFFFF; }));
    add("offset-inside-header", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.offsetOverride = 2; }));

    // Palettes and compression.
    add("palette-colours-300", "either", mutate(sound(320, 240, 8), [](Bmp& b) { b.coloursUsed = 300; }));
    add("palette-colours-huge", "either", mutate(sound(320, 240, 8), [](Bmp& b) { b.coloursUsed = 0xFFFFFFFFu; }));
    add("palette-2-of-256", "either", mutate(sound(320, 240, 8), [](Bmp& b) {
        b.coloursUsed = 2;
        b.palette = greyPalette(2);
    }));
    add("rle8", "either", mutate(sound(320, 240, 8), [](Bmp& b) {
        b.compression = 1;
        b.pixels = rle8Rows(320, 240);
    }));
    add("rle4", "either", mutate(sound(320, 240, 4), [](Bmp& b) {
        b.compression = 2;
        b.pixels = rle4Rows(320, 240);
    }));
    add("rle8-runs-past-row", "either", mutate(sound(320, 240, 8), [](Bmp& b) {
        b.compression = 1;
        b.pixels.clear();
        for (int i = 0; i < 2000; ++i) b.pixels.insert(b.pixels.end(), {255, 0x55});
    }));
    add("rle8-delta-out-of-bounds", "either", mutate(sound(320, 240, 8), [](Bmp& b) {
        b.compression = 1;
        b.pixels = {0, 2, 255, 255, 0, 2, 255, 255, 10, 1, 0, 1};
    }));
    add("rle8-absolute-truncated", "either", mutate(sound(320, 240, 8), [](Bmp& b) {
        b.compression = 1;
        b.pixels = {0, 200, 1, 2, 3};
    }));
    add("rle8-on-24bit", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.compression = 1; }));
    add("compression-jpeg", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.compression = 4; }));
    add("compression-unknown", "either", mutate(sound(320, 240, 24), [](Bmp& b) { b.compression = 0x7F; }));
    return cases;
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

int usage() {
    std::fputs("usage: forge_bmp solid FILE W H R G B | forge_bmp corpus DIR\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    if (command == "solid" && argc == 8) {
        Bmp b = sound(std::atoi(argv[3]), std::atoi(argv[4]), 24);
        const uint8_t colour[3] = {static_cast<uint8_t>(std::atoi(argv[7])),  // stored B, G, R
                                   static_cast<uint8_t>(std::atoi(argv[6])),
                                   static_cast<uint8_t>(std::atoi(argv[5]))};
        const uint32_t stride = rowBytes(b.width, 24);
        for (size_t i = 0; i < b.pixels.size(); ++i)
            b.pixels[i] = (i % stride) < static_cast<size_t>(b.width) * 3 ? colour[(i % stride) % 3] : 0;
        return writeFile(argv[2], b.serialise()) ? 0 : 1;
    }
    if (command == "corpus" && argc == 3) {
        const std::string dir = argv[2];
        std::ofstream list(dir + "/cases.txt");
        for (const Case& c : corpus()) {
            if (!writeFile(dir + "/" + c.name + ".bmp", c.make())) return 1;
            list << c.name << ' ' << c.expect << '\n';
        }
        return list ? 0 : 1;
    }
    return usage();
}
