// SPDX-License-Identifier: GPL-3.0-or-later
// The translucent dark layer laid over the main window while a dialog is open.
#pragma once

#include <QPixmap>
#include <QRect>
#include <QVector>
#include <QWidget>

class QVBoxLayout;

namespace ShareCode {

class CQWidgetShadow : public QWidget
{
    Q_OBJECT
public:
    explicit CQWidgetShadow(QWidget *parent = nullptr);

    // Pictures drawn under the dimming, each at its place in this widget: what windows that Qt
    // does not paint (the player's video surface) showed when the shadow came.
    struct Underlay
    {
        QRect rect;
        QPixmap picture;
    };
    void setUnderlays(const QVector<Underlay> &underlays);
    const QVector<Underlay> &underlays() const { return m_underlays; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVector<Underlay> m_underlays;
    QVBoxLayout *m_pLayout;
    QWidget *m_pBG;
};

} // namespace ShareCode
