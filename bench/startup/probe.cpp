// Starts a program in the current X server and watches the screen from outside: the time from
// exec to the mapping of its 432 x 384 window, the time to its first complete paint (the first
// screen grab from which the window's area no longer changes), and its resident memory once idle.
// One run per call; prints one line of key=value pairs.
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
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWidth = 432;
constexpr int kHeight = 384;

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
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGS...]\n", argv[0]);
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

    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(dpy);
    std::printf("map_ms=%.1f paint_ms=%.1f rss_kb=%ld grabs=%zu\n", (mapped - start) * 1e3, (painted - start) * 1e3, rss,
                grabs.size());
    return 0;
}
