// SPDX-License-Identifier: GPL-3.0-or-later
// Rounded-mask fallback for translucent windows.
#include "translucentwindow.h"

#include "translucency.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QWidget>

namespace ShareCode {

namespace {
class RoundedMask : public QObject
{
public:
    RoundedMask(QWidget *pWindow, int iRadius) : QObject(pWindow), m_iRadius(iRadius)
    {
        pWindow->installEventFilter(this);
        apply(pWindow);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *pWindow = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
            apply(pWindow);
        } else if (event->type() == QEvent::Paint) {
            // What shows through the half-transparent parts (a fading toast) is white, as a
            // light desktop would be, not whatever the window's buffer held.
            QPainter painter(pWindow);
            painter.fillRect(pWindow->rect(), Qt::white);
        }
        return false;
    }

private:
    void apply(QWidget *pWindow)
    {
        QPainterPath path;
        path.addRoundedRect(QRectF(pWindow->rect()), m_iRadius, m_iRadius);
        pWindow->setMask(QRegion(path.toFillPolygon().toPolygon()));
    }

    int m_iRadius;
};
} // namespace

void fitTranslucentWindow(QWidget *pWindow, int iRadius)
{
    if (!pWindow || platform::windowTranslucencySupported())
        return;
    pWindow->setAttribute(Qt::WA_TranslucentBackground, false);
    pWindow->setAttribute(Qt::WA_NoSystemBackground, false);
    new RoundedMask(pWindow, iRadius);
}

} // namespace ShareCode
