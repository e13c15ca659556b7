// SPDX-License-Identifier: GPL-3.0-or-later
// The invisible dialog anchor that always covers the main window.
#pragma once

#include "singletoncls.h"

#include <QWidget>

namespace ShareCode {

class QtInversionWidget : public QWidget, public SingletonCls<QtInversionWidget>
{
    Q_OBJECT
public:
    explicit QtInversionWidget(QWidget *parent = nullptr);

    // Shows the anchor where the display can make it see-through; elsewhere it stays unmapped
    // (an opaque window over the main window would hide it) and only keeps its geometry.
    void showAnchor();
};

} // namespace ShareCode
