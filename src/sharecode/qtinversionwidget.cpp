// SPDX-License-Identifier: GPL-3.0-or-later
// Dialog anchor.
#include "qtinversionwidget.h"

#include "translucency.h"

namespace ShareCode {

QtInversionWidget::QtInversionWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("QtInversionWidgetClass"));
    setWindowTitle(QStringLiteral("QtInversionWidget"));
    resize(572, 378);
    setStyleSheet(QStringLiteral("background-color: transparent;"));
    setAttribute(Qt::WA_TranslucentBackground);
    // X11 has no per-pixel click-through: without an empty input shape this window, lying over
    // the main window, would swallow every click meant for it.
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::Tool |
                   Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void QtInversionWidget::showAnchor()
{
    if (platform::windowTranslucencySupported())
        show();
}

} // namespace ShareCode
