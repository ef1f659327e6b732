// SPDX-License-Identifier: MIT
#include "BlendSupport.h"

#include <QByteArray>
#include <QGuiApplication>

#ifdef MORLITH_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace morlith {

namespace {

#ifdef MORLITH_HAVE_XCB
// The X screen number of the display name (":0.1" is screen 1), 0 when not given.
int ScreenNumberOfDisplay()
{
    const QByteArray display = qgetenv("DISPLAY");
    const int colon = display.lastIndexOf(':');
    const int dot = display.lastIndexOf('.');
    return dot > colon ? std::atoi(display.constData() + dot + 1) : 0;
}

// Whether a compositing manager owns the selection _NET_WM_CM_S<screen>.
bool X11CompositorRunning()
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(ScreenNumberOfDisplay());
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.constData()),
        nullptr);
    if (!atom)
        return false;
    bool owned = false;
    if (atom->atom != XCB_ATOM_NONE) {
        xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
        owned = owner && owner->owner != XCB_WINDOW_NONE;
        std::free(owner);
    }
    std::free(atom);
    return owned;
}
#endif

} // namespace

bool PlatformCanBlendWindows()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform.startsWith(QLatin1String("wayland")))
        return true;
#ifdef MORLITH_HAVE_XCB
    if (platform == QLatin1String("xcb"))
        return X11CompositorRunning();
#endif
    return false;
}

} // namespace morlith
