// SPDX-License-Identifier: GPL-3.0-or-later
// The translucent dark layer laid over the main window while a dialog is open.
#pragma once

#include <QColor>
#include <QWidget>

class QVBoxLayout;

namespace ShareCode {

class CQWidgetShadow : public QWidget
{
    Q_OBJECT
public:
    explicit CQWidgetShadow(QWidget *parent = nullptr);

    // The dimming the shadow lays over the window.
    static QColor dimColour() { return QColor(51, 51, 51, 136); }
    // Set (true) on windows that another library draws (paint-on-screen: the player's video
    // surface) while the shadow leaves them uncovered: they dim their own pictures with
    // dimColour(), so that what they show stays visible and live.
    static constexpr const char *kDimmedProperty = "shadowDimmed";

private:
    QVBoxLayout *m_pLayout;
    QWidget *m_pBG;
};

} // namespace ShareCode
