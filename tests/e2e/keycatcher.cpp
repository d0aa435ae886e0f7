// A plain X client for the end-to-end test: a window that takes the input
// focus, takes it back whenever another window gets it, and appends every
// character typed into it to a file, so the test can check that keys the
// timer watches still reach other applications.  Prints its window id once
// it has the focus.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FILE\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "keycatcher: no X display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 400, 10, 200, 100, 1,
                                              BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, "keycatcher");
    XSelectInput(display, window, KeyPressMask | ExposureMask | StructureNotifyMask | FocusChangeMask);
    XMapRaised(display, window);
    for (;;) { // wait until mapped, then take the focus
        XEvent e;
        XNextEvent(display, &e);
        if (e.type == MapNotify)
            break;
    }
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
    std::printf("%lu\n", static_cast<unsigned long>(window));
    std::fflush(stdout);

    for (;;) {
        XEvent e;
        XNextEvent(display, &e);
        if (e.type == FocusOut && e.xfocus.mode == NotifyNormal) {
            XSetInputFocus(display, window, RevertToParent, CurrentTime);
            XFlush(display);
            continue;
        }
        if (e.type != KeyPress)
            continue;
        char text[16];
        KeySym sym;
        const int n = XLookupString(&e.xkey, text, sizeof text, &sym, nullptr);
        if (n > 0) {
            if (FILE* out = std::fopen(argv[1], "a")) {
                std::fwrite(text, 1, static_cast<size_t>(n), out);
                std::fclose(out);
            }
        }
    }
}
