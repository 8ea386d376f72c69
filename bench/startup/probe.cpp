// Starts a program in the current X server and watches the screen from outside: the time from
// exec to the mapping of its 432 x 384 window, the time to its first complete paint (the first
// screen grab from which the window's area no longer changes), and its resident memory once idle.
// With --click X,Y --cue FILE it then presses the button at X,Y of the window and reports the time
// from the press to the first bytes of the cue in FILE (the program's audio output must write
// there). One run per call; prints one line of key=value pairs.
#include "lib/SkinGeometry.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWidth = kSkinSize.width();
constexpr int kHeight = kSkinSize.height();

double Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

uint64_t Hash(const XImage *img) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < img->height; ++y) {
        const auto *row = reinterpret_cast<const unsigned char *>(img->data) + size_t(y) * img->bytes_per_line;
        for (int i = 0; i < img->width * img->bits_per_pixel / 8; ++i)
            h = (h ^ row[i]) * 1099511628211ull;
    }
    return h;
}

off_t FileSize(const char *path) {
    struct stat st {};
    return stat(path, &st) == 0 ? st.st_size : 0;
}

// A press and a release of the first button at X,Y of the window, sent to it directly (the
// server's input extension for faking devices is not always there to be linked).
void Click(Display *dpy, Window win, int x, int y) {
    XEvent ev{};
    ev.xbutton.display = dpy;
    ev.xbutton.window = win;
    ev.xbutton.root = DefaultRootWindow(dpy);
    ev.xbutton.x = x;
    ev.xbutton.y = y;
    ev.xbutton.same_screen = True;
    ev.type = MotionNotify;
    XSendEvent(dpy, win, True, PointerMotionMask, &ev);
    ev.type = ButtonPress;
    ev.xbutton.button = Button1;
    XSendEvent(dpy, win, True, ButtonPressMask, &ev);
    ev.type = ButtonRelease;
    ev.xbutton.state = Button1Mask;
    XSendEvent(dpy, win, True, ButtonReleaseMask, &ev);
    XFlush(dpy);
}

long RssKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

} // namespace

int main(int argc, char **argv) {
    int clickX = -1, clickY = -1;
    const char *cueFile = nullptr;
    while (argc > 2 && argv[1][0] == '-') {
        if (std::strcmp(argv[1], "--click") == 0 && std::sscanf(argv[2], "%d,%d", &clickX, &clickY) == 2)
            ;
        else if (std::strcmp(argv[1], "--cue") == 0)
            cueFile = argv[2];
        else
            break;
        argc -= 2;
        argv += 2;
    }
    if (argc < 2 || (clickX >= 0) != (cueFile != nullptr)) {
        std::fprintf(stderr, "usage: %s [--click X,Y --cue FILE] PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const double watchSeconds = 2.5, idleSeconds = 1.5;
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "probe: no X display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XWarpPointer(dpy, None, root, 0, 0, 0, 0, 0, 0); // away from every button
    XSync(dpy, False);

    const double start = Now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }

    Window win = 0;
    int wx = 0, wy = 0;
    double mapped = -1;
    while (!win && Now() - start < 20) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type != MapNotify)
                continue;
            XWindowAttributes attr;
            if (XGetWindowAttributes(dpy, ev.xmap.window, &attr) && attr.width == kWidth && attr.height == kHeight) {
                win = ev.xmap.window;
                wx = attr.x;
                wy = attr.y;
                mapped = Now();
            }
        }
        if (!win)
            usleep(500);
    }
    if (!win) {
        std::fprintf(stderr, "probe: no %dx%d window was mapped\n", kWidth, kHeight);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return 1;
    }

    std::vector<std::pair<double, uint64_t>> grabs;
    while (Now() - mapped < watchSeconds) {
        XImage *img = XGetImage(dpy, root, wx, wy, kWidth, kHeight, AllPlanes, ZPixmap);
        const double t = Now();
        if (img) {
            grabs.emplace_back(t, Hash(img));
            XDestroyImage(img);
        }
        usleep(2000);
    }
    // The first grab of the final, unchanging picture.
    double painted = -1;
    if (!grabs.empty()) {
        size_t i = grabs.size() - 1;
        while (i > 0 && grabs[i - 1].second == grabs.back().second)
            --i;
        painted = grabs[i].first;
    }
    usleep(useconds_t(idleSeconds * 1e6));
    const long rss = RssKb(pid);

    double cue = -1;
    if (cueFile) {
        unlink(cueFile);
        Click(dpy, win, clickX, clickY);
        const double pressed = Now();
        while (Now() - pressed < 3 && FileSize(cueFile) == 0)
            usleep(250);
        if (FileSize(cueFile) > 0)
            cue = (Now() - pressed) * 1e3;
    }

    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(dpy);
    std::printf("map_ms=%.1f paint_ms=%.1f rss_kb=%ld grabs=%zu", (mapped - start) * 1e3, (painted - start) * 1e3, rss,
                grabs.size());
    if (cueFile)
        std::printf(" cue_ms=%.1f", cue);
    std::printf("\n");
    return 0;
}
