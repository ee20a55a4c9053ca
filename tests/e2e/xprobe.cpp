// xprobe: the few X requests the end-to-end tests need that the stock tools
// don't make exactly: find a top-level window by its exact title, report its
// size, summarise its pixels, and close it the way a window manager does (a
// WM_DELETE_WINDOW message, not a destroy).
//
//   xprobe find TITLE TIMEOUT_MS   prints the window id once it is viewable
//   xprobe size WIN                prints "W H"
//   xprobe pixels WIN              prints "nonblack=N red=R green=G blue=B hash=H": how
//                                  many pixels are not black, how many have some red...
//   xprobe close WIN               sends WM_DELETE_WINDOW; fails if not offered
//   xprobe icon WIN                prints the icon the window offers a window manager,
//                                  "net_wm_icon WxH" or "pixmap WxH"; fails if none
//
// Exit status 0 on success, 1 when the request fails, 2 on a usage error.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>

namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// A window that vanishes between listing and asking must not abort the probe.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

std::string titleOf(Display* d, Window w) {
    std::string title;
    // Prefer the UTF-8 name a modern toolkit sets; fall back to WM_NAME.
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr) {
        if (type == utf8) title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    if (!title.empty()) return title;
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name != nullptr) {
        title = name;
        XFree(name);
    }
    return title;
}

bool viewable(Display* d, Window w) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(d, w, &attributes) && attributes.map_state == IsViewable;
}

// Depth-first over the whole tree: without a window manager the titled
// window is a child of the root, under one it may be a grandchild.
Window findTitled(Display* d, Window under, const std::string& title) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, under, &root, &parent, &children, &count)) return None;
    Window found = None;
    for (unsigned int i = 0; i < count && found == None; ++i) {
        if (titleOf(d, children[i]) == title && viewable(d, children[i]))
            found = children[i];
        else
            found = findTitled(d, children[i], title);
    }
    if (children != nullptr) XFree(children);
    return found;
}

int find(Display* d, const std::string& title, long timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const Window w = findTitled(d, DefaultRootWindow(d), title);
        if (w != None) {
            std::printf("0x%lx\n", w);
            return 0;
        }
        if (std::chrono::steady_clock::now() > deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::fprintf(stderr, "xprobe: no viewable window titled \"%s\"\n", title.c_str());
    return 1;
}

int size(Display* d, Window w) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, w, &attributes)) return 1;
    std::printf("%d %d\n", attributes.width, attributes.height);
    return 0;
}

// The red, green and blue of one pixel, as its own bits or its colour map
// entry has them: only whether each is 0 counts.
struct Channels {
    unsigned long red, green, blue;
};

// What is on the screen inside the window (children included, as shown).
int pixels(Display* d, Window w) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, w, &attributes)) return 1;
    XImage* image = XGetImage(d, w, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image == nullptr) return 1;
    // A true-colour pixel carries its channels in its bits; an indexed one
    // in its colour map entry (asked once per index).
    const Visual* visual = attributes.visual;
    const bool indexed = visual->c_class != TrueColor && visual->c_class != DirectColor;
    std::map<unsigned long, Channels> colourOf;
    auto channels = [&](unsigned long p) {
        if (!indexed)
            return Channels{p & visual->red_mask, p & visual->green_mask, p & visual->blue_mask};
        auto known = colourOf.find(p);
        if (known != colourOf.end()) return known->second;
        XColor colour;
        colour.pixel = p;
        XQueryColor(d, attributes.colormap, &colour);
        return colourOf[p] = Channels{colour.red, colour.green, colour.blue};
    };

    long nonBlack = 0, red = 0, green = 0, blue = 0;  // pixels where that is not 0
    uint64_t hash = 1469598103934665603ull;  // FNV-1a over the pixel values
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            const Channels c = channels(p);
            red += c.red != 0;
            green += c.green != 0;
            blue += c.blue != 0;
            nonBlack += (c.red | c.green | c.blue) != 0;
            hash = (hash ^ p) * 1099511628211ull;
        }
    }
    XDestroyImage(image);
    std::printf("nonblack=%ld red=%ld green=%ld blue=%ld hash=%016llx\n", nonBlack, red, green,
                blue, static_cast<unsigned long long>(hash));
    return 0;
}

int close(Display* d, Window w) {
    const Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    Atom* offered = nullptr;
    int count = 0;
    bool offers = false;
    if (XGetWMProtocols(d, w, &offered, &count)) {
        for (int i = 0; i < count; ++i) offers = offers || offered[i] == deleteWindow;
        XFree(offered);
    }
    if (!offers) {
        std::fprintf(stderr, "xprobe: window 0x%lx does not take WM_DELETE_WINDOW\n", w);
        return 1;
    }
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    if (!XSendEvent(d, w, False, NoEventMask, &event)) return 1;
    XSync(d, False);
    return 0;
}

// _NET_WM_ICON (its first image, as width, height, then the pixels), or
// else the pixmap of WM_HINTS, as an X client sets either.
int icon(Display* d, Window w) {
    const Atom netIcon = XInternAtom(d, "_NET_WM_ICON", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, netIcon, 0, 2, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success && data != nullptr) {
        const long* size = reinterpret_cast<const long*>(data);  // format 32 comes as longs
        const bool found = count == 2 && size[0] > 0 && size[1] > 0;
        if (found) std::printf("net_wm_icon %ldx%ld\n", size[0], size[1]);
        XFree(data);
        if (found) return 0;
    }
    XWMHints* hints = XGetWMHints(d, w);
    if (hints == nullptr) return 1;
    const Pixmap pixmap = hints->flags & IconPixmapHint ? hints->icon_pixmap : None;
    XFree(hints);
    Window root = 0;
    int x = 0, y = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    if (pixmap == None ||
        !XGetGeometry(d, pixmap, &root, &x, &y, &width, &height, &border, &depth))
        return 1;
    std::printf("pixmap %ux%u\n", width, height);
    return 0;
}

int usage() {
    std::fputs("usage: xprobe find TITLE TIMEOUT_MS | size WIN | pixels WIN | close WIN | icon WIN\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) return usage();
    const std::string command = argv[1];
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) {
        std::fputs("xprobe: cannot open the display\n", stderr);
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    Display* d = display.get();

    if (command == "find" && argc == 4) return find(d, argv[2], std::strtol(argv[3], nullptr, 10));
    if (argc != 3) return usage();
    const Window w = std::strtoul(argv[2], nullptr, 0);
    if (command == "size") return size(d, w);
    if (command == "pixels") return pixels(d, w);
    if (command == "close") return close(d, w);
    if (command == "icon") return icon(d, w);
    return usage();
}
