#include "app/xrandr_display.h"

#include "app/process_liveness.h"

// Qt first: Xlib's macros would otherwise reach into Qt's headers.
#include <QGuiApplication>
#include <algorithm>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <signal.h>
#include <unistd.h>

namespace quova {

namespace {

// Xlib's names collide with Qt's; keep them inside this file.
::Display* XDisplay() {
    if (!qGuiApp) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

constexpr const char* kProperty = "_QUOVA_SAVED_MODE";

const XRRModeInfo* ModeInfo(XRRScreenResources* res, RRMode id) {
    for (int i = 0; i < res->nmode; ++i)
        if (res->modes[i].id == id) return &res->modes[i];
    return nullptr;
}

}  // namespace

struct XRandrDisplay::Impl {
    ::Display* display = nullptr;
    Window root = 0;
    int x = 0;
    int y = 0;
    bool randr = false;

    XRRScreenResources* Resources() const {
        return randr ? XRRGetScreenResourcesCurrent(display, root) : nullptr;
    }
    // The CRTC showing the point, else the first one that shows anything.
    RRCrtc CrtcAtPoint(XRRScreenResources* res) const {
        RRCrtc first = 0;
        for (int i = 0; i < res->ncrtc; ++i) {
            XRRCrtcInfo* info = XRRGetCrtcInfo(display, res, res->crtcs[i]);
            if (!info) continue;
            const bool active = info->mode != None;
            const bool inside = active && x >= info->x && y >= info->y &&
                                x < info->x + int(info->width) && y < info->y + int(info->height);
            XRRFreeCrtcInfo(info);
            if (inside) return res->crtcs[i];
            if (active && !first) first = res->crtcs[i];
        }
        return first;
    }
};

XRandrDisplay::XRandrDisplay() : impl_(std::make_unique<Impl>()) {
    impl_->display = XDisplay();
    if (!impl_->display) return;
    impl_->root = DefaultRootWindow(impl_->display);
    int event = 0, error = 0, major = 0, minor = 0;
    impl_->randr = XRRQueryExtension(impl_->display, &event, &error) &&
                   XRRQueryVersion(impl_->display, &major, &minor) && (major > 1 || minor >= 3);
}

XRandrDisplay::~XRandrDisplay() = default;

void XRandrDisplay::SetPoint(int x, int y) {
    impl_->x = x;
    impl_->y = y;
}

bool XRandrDisplay::Current(DisplayMode& mode) {
    if (!impl_->display) return false;
    mode.depth = DefaultDepth(impl_->display, DefaultScreen(impl_->display));
    XRRScreenResources* res = impl_->Resources();
    if (!res) {
        mode.width = DisplayWidth(impl_->display, DefaultScreen(impl_->display));
        mode.height = DisplayHeight(impl_->display, DefaultScreen(impl_->display));
        mode.id = 0;
        return true;
    }
    bool found = false;
    if (RRCrtc crtc = impl_->CrtcAtPoint(res)) {
        if (XRRCrtcInfo* info = XRRGetCrtcInfo(impl_->display, res, crtc)) {
            mode.width = int(info->width);
            mode.height = int(info->height);
            mode.id = info->mode;
            found = true;
            XRRFreeCrtcInfo(info);
        }
    }
    XRRFreeScreenResources(res);
    return found;
}

std::vector<DisplayMode> XRandrDisplay::Modes() {
    std::vector<DisplayMode> modes;
    XRRScreenResources* res = impl_->Resources();
    if (!res) return modes;
    const int depth = DefaultDepth(impl_->display, DefaultScreen(impl_->display));
    if (RRCrtc crtc = impl_->CrtcAtPoint(res)) {
        XRRCrtcInfo* info = XRRGetCrtcInfo(impl_->display, res, crtc);
        if (info && info->noutput > 0) {
            if (XRROutputInfo* out = XRRGetOutputInfo(impl_->display, res, info->outputs[0])) {
                for (int i = 0; i < out->nmode; ++i)
                    if (const XRRModeInfo* m = ModeInfo(res, out->modes[i]))
                        modes.push_back({int(m->width), int(m->height), depth, m->id});
                XRRFreeOutputInfo(out);
            }
        }
        if (info) XRRFreeCrtcInfo(info);
    }
    XRRFreeScreenResources(res);
    return modes;
}

int XRandrDisplay::Apply(const DisplayMode& mode) {
    XRRScreenResources* res = impl_->Resources();
    if (!res) return DispChangeFailed;
    int result = DispChangeFailed;
    RRCrtc crtc = impl_->CrtcAtPoint(res);
    XRRCrtcInfo* info = crtc ? XRRGetCrtcInfo(impl_->display, res, crtc) : nullptr;
    if (info && mode.id && ModeInfo(res, mode.id)) {
        ::Display* d = impl_->display;
        const int screen = DefaultScreen(d);
        const bool alone = res->ncrtc == 1;
        const int right = info->x + mode.width;
        const int bottom = info->y + mode.height;
        // The screen grows before a larger mode and shrinks after a smaller
        // one when this output is all there is.
        auto fitScreen = [&] {
            if (!alone) return;
            const double mmPerPixel =
                double(DisplayWidthMM(d, screen)) / std::max(1, DisplayWidth(d, screen));
            XRRSetScreenSize(d, impl_->root, right, bottom, int(right * mmPerPixel),
                             int(bottom * mmPerPixel));
        };
        const bool grows = right > DisplayWidth(d, screen) || bottom > DisplayHeight(d, screen);
        if (grows) fitScreen();
        const Status status = XRRSetCrtcConfig(d, res, crtc, CurrentTime, info->x, info->y, mode.id,
                                               info->rotation, info->outputs, info->noutput);
        if (status == RRSetConfigSuccess) {
            if (!grows) fitScreen();
            result = DispChangeSuccessful;
        }
        XSync(d, False);
    } else if (info) {
        result = DispChangeBadMode;
    }
    if (info) XRRFreeCrtcInfo(info);
    XRRFreeScreenResources(res);
    return result;
}

void XRandrDisplay::Remember(const DisplayMode& saved) {
    if (!impl_->display) return;
    const Atom atom = XInternAtom(impl_->display, kProperty, False);
    long data[5] = {long(getpid()), long(saved.id), saved.width, saved.height, saved.depth};
    XChangeProperty(impl_->display, impl_->root, atom, XA_INTEGER, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(data), 5);
    XSync(impl_->display, False);
}

void XRandrDisplay::Forget() {
    if (!impl_->display) return;
    const Atom atom = XInternAtom(impl_->display, kProperty, True);
    if (atom != None) XDeleteProperty(impl_->display, impl_->root, atom);
    XSync(impl_->display, False);
}

void XRandrDisplay::RestoreAbandoned() {
    if (!impl_->display) return;
    const Atom atom = XInternAtom(impl_->display, kProperty, True);
    if (atom == None) return;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* bytes = nullptr;
    if (XGetWindowProperty(impl_->display, impl_->root, atom, 0, 5, False, XA_INTEGER, &type,
                           &format, &count, &after, &bytes) != Success)
        return;
    if (bytes && format == 32 && count == 5) {
        const long* data = reinterpret_cast<const long*>(bytes);
        const pid_t owner = pid_t(data[0]);
        // Another running instance owns its change; a dead one left it behind.
        if (owner != getpid() && !ProcessAlive(owner)) {
            DisplayMode saved{int(data[2]), int(data[3]), int(data[4]), (unsigned long)data[1]};
            Apply(saved);
            Forget();
        }
    }
    if (bytes) XFree(bytes);
}

}  // namespace quova
