#include "scripted/RenderOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "app/Demo.h"

namespace {

// A whole decimal number with no sign, spaces or trailing text.
int parseCount(const std::string& text, const std::string& what) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])) || stop != end ||
        error != std::errc())
        throw UsageError(what + " must be a whole number from 0 to 2147483647, not \"" + text +
                         "\"");
    return value;
}

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) return items;
        start = comma + 1;
    }
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

FrameKey parseKey(const std::string& item) {
    const size_t colon = item.find(':');
    if (colon == std::string::npos)
        throw UsageError("--keys wants FRAME:up or FRAME:down, not \"" + item + "\"");
    FrameKey key;
    key.frame = parseCount(item.substr(0, colon), "the frame of a key");
    const std::string name = lower(item.substr(colon + 1));
    if (name == "up")
        key.key = SDLK_UP;
    else if (name == "down")
        key.key = SDLK_DOWN;
    else
        throw UsageError("unknown key \"" + item.substr(colon + 1) + "\" (up or down)");
    return key;
}

void checkFrame(int frame, int frames, const std::string& what) {
    if (frame >= frames)
        throw UsageError(what + " " + std::to_string(frame) + " is not rendered: frames run from 0 to " +
                         std::to_string(frames - 1));
}

}  // namespace

RenderOptions parseRenderOptions(const std::vector<std::string>& args) {
    RenderOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        const size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        if (name == "--help" || name == "--version" || name == "--digest") {
            if (hasValue) throw UsageError(name + " takes no value");
            (name == "--help" ? options.help : name == "--version" ? options.version : options.digest) =
                true;
            continue;
        }
        if (name != "--images" && name != "--frames" && name != "--format" &&
            name != "--renderer" && name != "--keys" && name != "--save" && name != "--out")
            throw UsageError("unknown option \"" + args[i] + "\"");
        if (!hasValue) {
            // "--out --frames 3" is a forgotten value, not a directory called "--frames".
            if (i + 1 == args.size() || args[i + 1].rfind("--", 0) == 0)
                throw UsageError(name + " needs a value");
            value = args[++i];
        }

        if (name == "--images") {
            if (value.empty()) throw UsageError("--images needs a directory");
            options.bitmapDir = value;
        } else if (name == "--frames") {
            options.frames = parseCount(value, "--frames");
            if (options.frames == 0) throw UsageError("--frames must be at least 1");
        } else if (name == "--format") {
            const auto format = parseFormat(value);
            if (!format)
                throw UsageError("unknown display format \"" + value +
                                 "\" (xrgb8888, rgb565, rgb888 or index8)");
            options.format = *format;
        } else if (name == "--renderer") {
            if (value == "fast")
                options.renderer = RendererKind::fast;
            else if (value == "literal")
                options.renderer = RendererKind::literal;
            else
                throw UsageError("unknown renderer \"" + value + "\" (fast or literal)");
        } else if (name == "--keys") {
            for (const std::string& item : splitList(value)) options.keys.push_back(parseKey(item));
        } else if (name == "--save") {
            for (const std::string& item : splitList(value))
                options.saveFrames.push_back(parseCount(item, "a --save frame"));
        } else {
            if (value.empty()) throw UsageError("--out needs a directory");
            options.outDir = value;
        }
    }
    if (options.help || options.version) return options;

    // A key or save beyond the last frame would be silently ignored; say so instead.
    for (const FrameKey& key : options.keys) checkFrame(key.frame, options.frames, "the key at frame");
    for (int frame : options.saveFrames) checkFrame(frame, options.frames, "--save frame");
    if (!options.saveFrames.empty() && options.outDir.empty())
        throw UsageError("--save needs --out DIR to say where the frames go");

    std::stable_sort(options.keys.begin(), options.keys.end(),
                     [](const FrameKey& a, const FrameKey& b) { return a.frame < b.frame; });
    std::sort(options.saveFrames.begin(), options.saveFrames.end());
    options.saveFrames.erase(std::unique(options.saveFrames.begin(), options.saveFrames.end()),
                             options.saveFrames.end());
    return options;
}

const char* renderUsage() {
    static const std::string usage =
        std::string(
            "usage: fractals-render [options]\n"
            "Renders frames of the Fractals demo without a window and reports the frame "
            "rate.\n"
            "\n"
            "  --images DIR        where ") +
        kBitmapNamesA[0] + ", " + kBitmapNamesA[1] + ", " + kBitmapNamesB[0] + ", " +
        kBitmapNamesB[1] + " are\n" +
        "                      (default: the current directory)\n"
        "  --frames N          frames to render, at least 1 (default 100)\n"
        "  --format F          display format: xrgb8888, rgb565, rgb888 or index8\n"
        "                      (default xrgb8888)\n"
        "  --renderer R        fast or literal (default fast)\n"
        "  --keys F:KEY,...    press KEY (up or down) while frame F handles its events;\n"
        "                      frames count from 0, so it shows from frame F+1\n"
        "  --save F,F,...      write these frames as frame-NNNNN.bmp ...\n"
        "  --out DIR           ... into DIR (created if missing)\n"
        "  --digest            print \"digest: HEX\", one hash of every frame's pixels,\n"
        "                      the same for the same frames on every platform\n"
        "  --help              show this text\n"
        "  --version           show the version\n"
        "\n"
        "The environment variable FRACTALS_CPU picks the fast renderer's version:\n"
        "baseline, avx2 or avx512 (default: the best this processor runs).\n"
        "The frame rate counts rendering only, not the writing of saved frames.\n"
        "Exit status: 0 done, 1 failure (such as a missing bitmap), 2 bad command line.\n";
    return usage.c_str();
}

std::string savedFrameName(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05d.bmp", frame);
    return name;
}
