// SPDX-License-Identifier: GPL-3.0-or-later
// The empty strip's call to action: an add icon and a hint, clickable as one button.
#pragma once

#include <QWidget>

class QHoverEvent;
class QLabel;

class AddImageButton : public QWidget
{
    Q_OBJECT
public:
    explicit AddImageButton(QWidget *parent = nullptr);

signals:
    void sig_clickedContent();

public slots:
    // Clicks it as the mouse would; keyboard and assistive technologies reach it this way.
    void click();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hoverEnter(QHoverEvent *event);
    void hoverMove(QHoverEvent *event);
    void hoverLeave(QHoverEvent *event);

private:
    enum class Look
    {
        Normal,
        Hover,
        Pressed
    };
    void showLook(Look eLook);
    void trackHover(const QPoint &stPos);

    QLabel *iconLabel;
    QLabel *textLabel;
    bool hovered = false;
    bool pressed = false;
    bool leftDown = false;
    // Focus that came by Tab shows as the hover look; focus given on window activation does not.
    bool m_bKeyboardFocus = false;
};
