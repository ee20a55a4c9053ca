// boxtext: the text of a message box as Windows shows it, for the tests
// under Wine (the box's text is drawn, so X can't read it back). Waits for a
// top-level dialog with the given caption and prints its message text.
//
//   boxtext CAPTION TIMEOUT_MS
//
// Exit status 0 when found, 1 when no such box appeared in time.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: boxtext CAPTION TIMEOUT_MS\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);  // the text exactly, line breaks unchanged
    const DWORD limit = std::strtoul(argv[2], nullptr, 10);
    const DWORD start = GetTickCount();
    do {
        // A message box is a dialog of class #32770; its text is the static control 0xFFFF.
        if (HWND box = FindWindowA("#32770", argv[1])) {
            char text[1024] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            std::fputs(text, stdout);
            return 0;
        }
        Sleep(50);
    } while (GetTickCount() - start < limit);
    return 1;
}
