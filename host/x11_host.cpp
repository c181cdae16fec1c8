// The display mode's X11 side. One thread: the loop takes the X events that are
// waiting, ends on a signal or the window's end, and draws when the frame budget
// allows, sleeping in poll() on the X connection meanwhile so events (and signals)
// wake it at once.
#include "host/x11_host.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include "host/frame_pacing.h"
#include "host/paced_loop.h"
#include "host/host_state.h"
#include "platform/trace.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal) { stopSignal = signal; }

// What the run holds; one run per process.
struct X11Run {
    Display* display = nullptr;
    Window target = 0;      // the window the options name, or the own window
    Window drawable = 0;    // drawn in: the target, or a child of it with a GL visual
    bool ownDrawable = false;
    Colormap colormap = 0;
    GLXContext context = nullptr;
    Atom deleteWindow = 0;
    bool gone = false;      // the target or the drawable was destroyed
    void (*displayLost)() = nullptr;
};

X11Run run;

// X errors do not end the process: an error about the window drawn in means it went
// away (the daemon may destroy it before it ends the mode); others are traced.
int OnXError(Display*, XErrorEvent* error) {
    if (error->resourceid == run.target || error->resourceid == run.drawable) run.gone = true;
    TraceF("X error %d on 0x%lx", error->error_code, error->resourceid);
    return 0;
}

// The connection to the X server broke: nothing can be drawn or released any more.
// Xlib ends the process if this returns; it ends here without exit handlers instead,
// which a thread still reading a model could meet half torn down.
int OnXIOError(Display*) {
    std::fprintf(stderr, "velmora: the connection to the X display was lost\n");
    std::fflush(stderr);
    if (run.displayLost) run.displayLost();
    std::_Exit(kExitCannotRun);
}

bool HasExtension(const char* list, const char* name) {
    const size_t length = std::strlen(name);
    for (const char* found = list ? std::strstr(list, name) : nullptr; found; found = std::strstr(found + 1, name)) {
        const bool starts = found == list || found[-1] == ' ';
        if (starts && (found[length] == ' ' || found[length] == '\0')) return true;
    }
    return false;
}

// Each swap waits for the display where GLX offers swap control.
void RequestSwapInterval(int screen) {
    const char* extensions = glXQueryExtensionsString(run.display, screen);
    if (HasExtension(extensions, "GLX_EXT_swap_control")) {
        using SwapIntervalEXT = void (*)(Display*, GLXDrawable, int);
        auto set = reinterpret_cast<SwapIntervalEXT>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT")));
        if (set) {
            set(run.display, run.drawable, 1);
            Trace("swap interval 1 (GLX_EXT_swap_control)");
            return;
        }
    }
    if (HasExtension(extensions, "GLX_MESA_swap_control")) {
        using SwapIntervalMESA = int (*)(unsigned int);
        auto set = reinterpret_cast<SwapIntervalMESA>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
        if (set && set(1) == 0) Trace("swap interval 1 (GLX_MESA_swap_control)");
    }
}

// The refresh rate as GLX reports it for the drawable (GLX_OML_sync_control); 0 when
// unknown.
uint32_t SyncControlRefreshRate(int screen) {
    if (!HasExtension(glXQueryExtensionsString(run.display, screen), "GLX_OML_sync_control")) return 0;
    using GetMscRate = Bool (*)(Display*, GLXDrawable, int32_t*, int32_t*);
    auto rate = reinterpret_cast<GetMscRate>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXGetMscRateOML")));
    int32_t numerator = 0, denominator = 0;
    if (!rate || !rate(run.display, run.drawable, &numerator, &denominator) || numerator <= 0 || denominator <= 0)
        return 0;
    return static_cast<uint32_t>((numerator + denominator / 2) / denominator);
}

// The refresh rate of the monitor that shows the middle of the window, from its mode
// in RandR 1.2 or later; 0 when unknown (no RandR, no monitor there, a mode without
// timings, as virtual servers report).
uint32_t MonitorRefreshRate() {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(run.display, &eventBase, &errorBase) || !XRRQueryVersion(run.display, &major, &minor) ||
        major * 100 + minor < 102)
        return 0;
    XWindowAttributes window;
    int x = 0, y = 0;
    Window child = 0;
    if (!XGetWindowAttributes(run.display, run.target, &window) ||
        !XTranslateCoordinates(run.display, run.target, window.root, window.width / 2, window.height / 2, &x, &y,
                               &child))
        return 0;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(run.display, window.root);
    if (!resources) return 0;
    uint32_t rate = 0;
    for (int i = 0; i < resources->ncrtc && rate == 0; ++i) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(run.display, resources, resources->crtcs[i]);
        if (!crtc) continue;
        const bool shows = crtc->mode != None && x >= crtc->x && y >= crtc->y &&
                           x < crtc->x + static_cast<int>(crtc->width) && y < crtc->y + static_cast<int>(crtc->height);
        for (int m = 0; shows && m < resources->nmode; ++m) {
            const XRRModeInfo& mode = resources->modes[m];
            if (mode.id != crtc->mode) continue;
            rate = RefreshRateOfMode(mode.dotClock, mode.hTotal, mode.vTotal, (mode.modeFlags & RR_DoubleScan) != 0,
                                     (mode.modeFlags & RR_Interlace) != 0);
        }
        XRRFreeCrtcInfo(crtc);
    }
    XRRFreeScreenResources(resources);
    return rate;
}

// The display's refresh rate: GLX's own where it offers it, else the monitor's mode;
// 0 when neither says.
uint32_t DisplayRefreshRate(int screen) {
    uint32_t rate = SyncControlRefreshRate(screen);
    const char* source = "GLX_OML_sync_control";
    if (rate == 0) {
        rate = MonitorRefreshRate();
        source = "RandR";
    }
    if (rate != 0)
        TraceF("display refresh rate %u (%s)", static_cast<unsigned>(rate), source);
    else
        Trace("display refresh rate unknown");
    return rate;
}

// A visual fit to draw in: RGBA, double-buffered, with a depth buffer, and a stencil
// buffer when the drawing needs one.
bool Usable(XVisualInfo* visual, bool stencil) {
    int value = 0;
    auto get = [&](int attribute) { return glXGetConfig(run.display, visual, attribute, &value) == 0 ? value : 0; };
    return get(GLX_USE_GL) && get(GLX_RGBA) && get(GLX_DOUBLEBUFFER) && get(GLX_DEPTH_SIZE) >= 16 &&
           (!stencil || get(GLX_STENCIL_SIZE) >= 1);
}

XVisualInfo* ChooseVisual(int screen, bool stencil) {
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                        GLX_DEPTH_SIZE, 16, GLX_STENCIL_SIZE, stencil ? 8 : 0, None};
    return glXChooseVisual(run.display, screen, attributes);
}

// A window of the given visual: a top-level one of the program's own, or a child that
// covers `parent` when the parent's own visual cannot be drawn in with OpenGL.
Window MakeWindow(Window parent, XVisualInfo* visual, int width, int height) {
    run.colormap = XCreateColormap(run.display, parent, visual->visual, AllocNone);
    XSetWindowAttributes attributes = {};
    attributes.colormap = run.colormap;
    attributes.background_pixel = BlackPixel(run.display, visual->screen);
    attributes.border_pixel = 0;
    // Keys are taken only in a window of the program's own; in a child of another's
    // window they go on to that window's owner (the daemon).
    const bool topLevel = parent == RootWindow(run.display, visual->screen);
    attributes.event_mask = StructureNotifyMask | ExposureMask | (topLevel ? KeyPressMask : 0);
    Window window = XCreateWindow(run.display, parent, 0, 0, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), 0, visual->depth, InputOutput, visual->visual,
                                  CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    run.ownDrawable = true;
    return window;
}

void ReleaseRun() {
    if (!run.display) return;
    if (run.context) {
        glXMakeCurrent(run.display, None, nullptr);
        glXDestroyContext(run.display, run.context);
    }
    if (run.ownDrawable && !run.gone) XDestroyWindow(run.display, run.drawable);
    if (run.colormap) XFreeColormap(run.display, run.colormap);
    XCloseDisplay(run.display);
    run = X11Run();
}

int CannotRun(const char* why) {
    std::fprintf(stderr, "velmora: %s\n", why);
    ReleaseRun();
    return kExitCannotRun;
}

}  // namespace

void SwapX11SaverBuffers() {
    if (run.display && !run.gone) glXSwapBuffers(run.display, run.drawable);
}

// The paced loop's view of the run: X events, the one window, poll() on the connection.
class X11LoopPort : public PacedLoopPort {
public:
    X11LoopPort(const X11SaverCallbacks& callbacks, int width, int height, uint32_t frameCap)
        : callbacks_(callbacks), width_(width), height_(height), surface_(frameCap),
          connection_(ConnectionNumber(run.display)) {}

    long frames = 0;  // drawn so far

    bool HandleEvents() override {
        while (!stopSignal && !run.gone && XPending(run.display)) {
            XEvent event;
            XNextEvent(run.display, &event);
            Handle(event);
        }
        return !stopSignal && !run.gone;
    }
    std::vector<PacedSurface*> Surfaces() override { return {&surface_}; }
    void DrawFrame(PacedSurface&) override {
        callbacks_.idle(CurrentFrameRequest());
        ++frames;
    }
    // Errors of this frame's requests (a window destroyed meanwhile) arrive now.
    void AfterFrames(bool unpaced) override {
        if (unpaced) XSync(run.display, False);
        else XFlush(run.display);
    }
    void WaitForEvents(uint32_t milliseconds) override {
        pollfd wait = {connection_, POLLIN, 0};
        poll(&wait, 1, static_cast<int>(milliseconds));
    }
    double Seconds() override {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }

private:
    void Handle(const XEvent& event) {
        switch (event.type) {
            case DestroyNotify:
                if (event.xdestroywindow.window == run.target || event.xdestroywindow.window == run.drawable)
                    run.gone = true;
                break;
            case ConfigureNotify:
                if (event.xconfigure.window != run.target) break;
                if (event.xconfigure.width == width_ && event.xconfigure.height == height_) break;
                width_ = event.xconfigure.width;
                height_ = event.xconfigure.height;
                if (run.drawable != run.target)
                    XResizeWindow(run.display, run.drawable, static_cast<unsigned>(width_),
                                  static_cast<unsigned>(height_));
                callbacks_.resize(width_, height_);
                break;
            case ClientMessage:
                // The window manager's close of the program's own window.
                if (run.deleteWindow != 0 && event.xclient.format == 32 &&
                    static_cast<Atom>(event.xclient.data.l[0]) == run.deleteWindow)
                    stopSignal = SIGTERM;
                break;
            case KeyPress: {
                // In its own window, as in the Windows saver: S and F4 toggle the frame-rate text.
                XKeyEvent key = event.xkey;
                const KeySym symbol = XLookupKeysym(&key, 0);
                if (symbol == XK_s || symbol == XK_F4) ToggleFrameRateText();
                break;
            }
            default: break;
        }
    }

    const X11SaverCallbacks& callbacks_;
    int width_;
    int height_;
    PacedSurface surface_;
    int connection_;
};

int RunX11Saver(const X11RunOptions& options, const X11SaverCallbacks& callbacks) {
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    run.display = XOpenDisplay(options.display.empty() ? nullptr : options.display.c_str());
    if (!run.display) {
        std::fprintf(stderr, "velmora: cannot open the X display \"%s\"\n",
                     options.display.empty() ? (std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "") :
                                               options.display.c_str());
        return kExitCannotRun;
    }
    run.displayLost = callbacks.displayLost;
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIOError);
    int errorBase = 0, eventBase = 0;
    if (!glXQueryExtension(run.display, &errorBase, &eventBase)) return CannotRun("the X display offers no GLX");

    int screen = DefaultScreen(run.display);
    int width = 800, height = 600;
    XVisualInfo* visual = nullptr;
    const bool windowed = options.target == DrawTarget::OwnWindow;
    if (windowed) {
        visual = ChooseVisual(screen, options.stencil);
        if (!visual) return CannotRun("no OpenGL visual (RGBA, double-buffered, with depth)");
        run.drawable = run.target = MakeWindow(RootWindow(run.display, screen), visual, width, height);
        XStoreName(run.display, run.drawable, "Velmora Lodge");
        run.deleteWindow = XInternAtom(run.display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(run.display, run.drawable, &run.deleteWindow, 1);
        XMapWindow(run.display, run.drawable);
    } else {
        run.target = options.target == DrawTarget::Root ? RootWindow(run.display, screen) : options.windowId;
        XWindowAttributes attributes = {};
        if (!XGetWindowAttributes(run.display, run.target, &attributes)) {
            char why[64];
            std::snprintf(why, sizeof why, "no window 0x%lx on the display", run.target);
            return CannotRun(why);
        }
        screen = XScreenNumberOfScreen(attributes.screen);
        width = attributes.width;
        height = attributes.height;
        // Its size and its end; other clients' event masks on it stay as they are.
        XSelectInput(run.display, run.target, StructureNotifyMask);
        XVisualInfo wanted = {};
        wanted.visualid = XVisualIDFromVisual(attributes.visual);
        wanted.screen = screen;
        int count = 0;
        visual = XGetVisualInfo(run.display, VisualIDMask | VisualScreenMask, &wanted, &count);
        if (visual && Usable(visual, options.stencil)) {
            run.drawable = run.target;
        } else {
            if (visual) XFree(visual);
            visual = ChooseVisual(screen, options.stencil);
            if (!visual) return CannotRun("no OpenGL visual (RGBA, double-buffered, with depth)");
            run.drawable = MakeWindow(run.target, visual, width, height);
            XMapWindow(run.display, run.drawable);
        }
    }
    run.context = glXCreateContext(run.display, visual, nullptr, True);
    XFree(visual);
    if (!run.context || !glXMakeCurrent(run.display, run.drawable, run.context))
        return CannotRun("cannot make an OpenGL context current on the window");
    XSync(run.display, False);
    if (run.gone) return CannotRun("the window went away");

    RequestSwapInterval(screen);
    callbacks.start(width, height, windowed);

    HostState.showFrameRate = options.showFrameRate;
    const FrameRateLimit& limit = options.frameRate;
    const uint32_t cap = FrameCap(limit.perSecond, limit.fromDisplay, DisplayRefreshRate(screen));
    TraceF("%dx%d, paced at %u frames a second", width, height, static_cast<unsigned>(cap));
    X11LoopPort port(callbacks, width, height, cap);
    const double started = port.Seconds();
    RunPacedLoop(port);
    TraceF("%ld frames in %.2f s", port.frames, port.Seconds() - started);
    Trace(run.gone ? "the window went away" : "ended by a signal or the close box");
    callbacks.stop();
    ReleaseRun();
    return kExitEnded;
}
