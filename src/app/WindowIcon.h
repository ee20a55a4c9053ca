// The picture a window manager shows for the window (title bar, task
// switcher). The program's own is drawn at build time from one of its frames
// (tools/make_window_icon.cpp) and compiled in as kWindowIcon.
#pragma once

#include <cstdint>

struct WindowIcon {
    int32_t size = 0;               // width and height
    const uint8_t* rgba = nullptr;  // rows top down, 4 bytes a pixel
};

// The program's own icon, in the source the build generates.
extern const WindowIcon kWindowIcon;

// Hands the icon to SDL, which gives it to the window the next video mode
// opens; its pixels at least half opaque show, the rest is see-through.
void setWindowIcon(const WindowIcon& icon);
