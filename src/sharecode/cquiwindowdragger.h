// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's title bar: drags the window, restores it from maximised, reports double clicks.
#pragma once

#include <QRect>
#include <QWidget>

namespace ShareCode {

class CQUIWindowDragger : public QWidget
{
    Q_OBJECT
public:
    explicit CQUIWindowDragger(QWidget *parent = nullptr);

signals:
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *dragWindow() const; // two levels up: title bar -> uiFrame -> window
    int screenLeft() const;

    bool m_bDragging = false;
    bool m_bScreenChanged = false;
    QPoint m_stStartPos;   // global mouse position at the press
    QPoint m_stWindowPos;  // window position at the press
    QRect m_stPressRect;   // window geometry at the press
    int m_iScreenLeft = 0; // left coordinate of the title bar's screen at the press
};

} // namespace ShareCode
