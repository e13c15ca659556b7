// SPDX-License-Identifier: GPL-3.0-or-later
// Compositing-manager detection for X11 sessions.
#include "translucency.h"

#include <QByteArray>
#include <QGuiApplication>

#ifdef VM_HAVE_XCB
#include <cstdlib>
#include <xcb/xcb.h>
#endif

namespace platform {

namespace {
bool queryCompositingManager()
{
#ifdef VM_HAVE_XCB
    int iScreen = 0;
    xcb_connection_t *pConn = xcb_connect(nullptr, &iScreen);
    if (!pConn || xcb_connection_has_error(pConn)) {
        if (pConn)
            xcb_disconnect(pConn);
        return false;
    }
    // A compositing manager owns the selection _NET_WM_CM_S<screen> (EWMH).
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(iScreen);
    xcb_intern_atom_reply_t *pAtom = xcb_intern_atom_reply(
        pConn, xcb_intern_atom(pConn, 0, static_cast<uint16_t>(name.size()), name.constData()),
        nullptr);
    bool bOwned = false;
    if (pAtom) {
        xcb_get_selection_owner_reply_t *pOwner = xcb_get_selection_owner_reply(
            pConn, xcb_get_selection_owner(pConn, pAtom->atom), nullptr);
        if (pOwner) {
            bOwned = pOwner->owner != XCB_NONE;
            std::free(pOwner);
        }
        std::free(pAtom);
    }
    xcb_disconnect(pConn);
    return bOwned;
#else
    return true;
#endif
}
} // namespace

bool windowTranslucencySupported()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    static const bool s_bSupported = queryCompositingManager();
    return s_bSupported;
}

} // namespace platform
