// The command line of fractals-render: what it accepts, how it orders what
// it accepted, and that every mistake is refused with a message naming it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripted/RenderOptions.h"
#include "scripted/ScriptedKeys.h"

namespace {

using Args = std::vector<std::string>;

// The parse must fail, and its message must point at the mistake.
void expectRefused(const Args& args, const std::string& mentioned) {
    try {
        parseRenderOptions(args);
        ADD_FAILURE() << "accepted: " << ::testing::PrintToString(args);
    } catch (const UsageError& error) {
        EXPECT_NE(std::string(error.what()).find(mentioned), std::string::npos)
            << "message \"" << error.what() << "\" doesn't mention \"" << mentioned << "\"";
    }
}

TEST(RenderOptionsAccepted, NoArgumentsGiveTheDefaults) {
    const RenderOptions o = parseRenderOptions({});
    EXPECT_EQ(o.bitmapDir, "");
    EXPECT_EQ(o.frames, 100);
    EXPECT_EQ(o.format, DisplayFormat::xrgb8888);
    EXPECT_EQ(o.renderer, RendererKind::fast);
    EXPECT_TRUE(o.keys.empty());
    EXPECT_TRUE(o.saveFrames.empty());
    EXPECT_FALSE(o.digest);
    EXPECT_FALSE(o.help);
}

TEST(RenderOptionsAccepted, EveryOptionInBothSpellings) {
    const RenderOptions o = parseRenderOptions({"--images", "pics", "--frames=30", "--format",
                                                "index8", "--renderer=literal", "--keys",
                                                "4:Up,2:down", "--save=29,0", "--out", "out",
                                                "--digest"});
    EXPECT_EQ(o.bitmapDir, "pics");
    EXPECT_EQ(o.frames, 30);
    EXPECT_EQ(o.format, DisplayFormat::index8);
    EXPECT_EQ(o.renderer, RendererKind::literal);
    ASSERT_EQ(o.keys.size(), 2u);
    EXPECT_EQ(o.keys[0].frame, 2);
    EXPECT_EQ(o.keys[0].key, SDLK_DOWN);
    EXPECT_EQ(o.keys[1].frame, 4);
    EXPECT_EQ(o.keys[1].key, SDLK_UP);
    EXPECT_EQ(o.saveFrames, (std::vector<int>{0, 29}));
    EXPECT_EQ(o.outDir, "out");
    EXPECT_TRUE(o.digest);
}

TEST(RenderOptionsAccepted, EachFormatByName) {
    for (DisplayFormat f : kAllDisplayFormats)
        EXPECT_EQ(parseRenderOptions({"--format", formatName(f)}).format, f) << formatName(f);
}

// Keys of one frame are dispatched in the order given, like queued events.
TEST(RenderOptionsAccepted, KeysSortByFrameButKeepTheirOrderWithinOne) {
    const RenderOptions o = parseRenderOptions({"--keys", "7:up,3:down", "--keys", "3:up,3:down"});
    ASSERT_EQ(o.keys.size(), 4u);
    EXPECT_EQ(o.keys[0].frame, 3);
    EXPECT_EQ(o.keys[0].key, SDLK_DOWN);
    EXPECT_EQ(o.keys[1].key, SDLK_UP);
    EXPECT_EQ(o.keys[2].key, SDLK_DOWN);
    EXPECT_EQ(o.keys[3].frame, 7);
}

// Each key comes out while its own frame takes events, as the key press SDL
// would queue, and a frame without keys gets none.
TEST(RenderOptionsAccepted, ScriptedKeysComeOutFrameByFrame) {
    ScriptedKeys keys(parseRenderOptions({"--keys", "2:down,0:up,2:up"}).keys);
    std::vector<std::string> seen;
    for (int frame = 0; frame < 4; ++frame, keys.endFrame()) {
        SDL_Event event;
        while (keys.next(event)) {
            EXPECT_EQ(event.type, SDL_KEYDOWN);
            EXPECT_EQ(event.key.state, SDL_PRESSED);
            seen.push_back(std::to_string(keys.frame()) + ":" + std::to_string(event.key.keysym.sym));
        }
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"0:273", "2:274", "2:273"}));
}

TEST(RenderOptionsAccepted, RepeatedSavesAreWrittenOnce) {
    const RenderOptions o = parseRenderOptions({"--save", "5,1,5", "--save", "1", "--out", "d"});
    EXPECT_EQ(o.saveFrames, (std::vector<int>{1, 5}));
}

TEST(RenderOptionsAccepted, TheLastFrameCanBeSavedAndKeyed) {
    const RenderOptions o = parseRenderOptions({"--frames", "3", "--save", "2", "--out", "d",
                                                "--keys", "2:up"});
    EXPECT_EQ(o.saveFrames, (std::vector<int>{2}));
    EXPECT_EQ(o.keys.at(0).frame, 2);
}

TEST(RenderOptionsAccepted, HelpAndVersionNeedNothingElse) {
    EXPECT_TRUE(parseRenderOptions({"--help"}).help);
    // Even a --save without --out: asking for help is not a render.
    EXPECT_TRUE(parseRenderOptions({"--save", "1", "--help"}).help);
    EXPECT_TRUE(parseRenderOptions({"--save", "1", "--version"}).version);
    EXPECT_FALSE(parseRenderOptions({"--version"}).help);
}

TEST(RenderOptionsRefused, NumbersThatAreNotWholeCounts) {
    for (const char* bad : {"abc", "-5", "+5", "10x", " 5", "5 ", "1.5", "0x10", "2147483648",
                            "99999999999999999999"})
        expectRefused({"--frames", bad}, bad);
    expectRefused({"--frames="}, "--frames");
    expectRefused({"--frames", "0"}, "at least 1");
}

TEST(RenderOptionsRefused, MalformedKeys) {
    expectRefused({"--keys", "5"}, "\"5\"");
    expectRefused({"--keys", "5:left"}, "left");
    expectRefused({"--keys", "5:"}, "unknown key");
    expectRefused({"--keys", ":up"}, "frame of a key");
    expectRefused({"--keys", "x:up"}, "\"x\"");
    expectRefused({"--keys", "-1:up"}, "-1");
    expectRefused({"--keys", "1:up,,2:down"}, "\"\"");
    expectRefused({"--keys", "1:up:down"}, "up:down");
}

TEST(RenderOptionsRefused, KeysAndSavesBeyondTheLastFrame) {
    expectRefused({"--frames", "10", "--keys", "10:up"}, "10");
    expectRefused({"--keys", "100:down"}, "0 to 99");
    expectRefused({"--frames", "5", "--save", "5", "--out", "d"}, "--save frame 5");
}

TEST(RenderOptionsRefused, UnknownFormatsAndRenderers) {
    expectRefused({"--format", "rgb555"}, "rgb555");
    expectRefused({"--format", "XRGB8888"}, "XRGB8888");
    expectRefused({"--format", ""}, "display format");
    expectRefused({"--renderer", "quick"}, "quick");
}

TEST(RenderOptionsRefused, SaveWithoutAnOutputDirectory) {
    expectRefused({"--save", "1"}, "--out");
    expectRefused({"--save", "1", "--out", ""}, "--out");
    expectRefused({"--save", "1,x", "--out", "d"}, "\"x\"");
}

TEST(RenderOptionsRefused, UnknownOptionsAndMissingValues) {
    expectRefused({"--frame", "10"}, "--frame");
    expectRefused({"frames"}, "frames");
    expectRefused({"-h"}, "-h");
    expectRefused({"--help=yes"}, "--help");
    expectRefused({"--digest=1"}, "--digest takes no value");
    expectRefused({"--version=2"}, "--version takes no value");
    expectRefused({"--images"}, "--images needs a value");
    expectRefused({"--images", ""}, "--images");
    // A forgotten value is not taken to be a directory called "--frames".
    expectRefused({"--out", "--frames", "3"}, "--out needs a value");
}

TEST(RenderOptionsNames, SavedFramesHaveFiveDigitsAtLeast) {
    EXPECT_EQ(savedFrameName(0), "frame-00000.bmp");
    EXPECT_EQ(savedFrameName(42), "frame-00042.bmp");
    EXPECT_EQ(savedFrameName(123456), "frame-123456.bmp");
}

}  // namespace
