// SPDX-License-Identifier: GPL-3.0-or-later
// The video surface: a native window that the playback engine draws into with SDL.
#pragma once

#include <QPointer>
#include <QWidget>

class QGridLayout;
class QLabel;
class QSpacerItem;
class QWindow;

namespace Ui {
// The surface's form, built the way the form designer generates it.
class CQVideoShowClass
{
public:
    QGridLayout *gridLayout_2 = nullptr;
    QWidget *widget = nullptr;
    QGridLayout *gridLayout = nullptr;
    QSpacerItem *verticalSpacer = nullptr;
    QSpacerItem *horizontalSpacer = nullptr;
    QLabel *videoDisplayLabel = nullptr;
    QSpacerItem *horizontalSpacer_2 = nullptr;
    QSpacerItem *verticalSpacer_2 = nullptr;

    void setupUi(QWidget *CQVideoShowClass);
    void retranslateUi(QWidget *CQVideoShowClass);
};
} // namespace Ui

// A native X11 window whose id goes to SDL. Until the engine is attached Qt paints the dark
// background and the placeholder label; while attached Qt does not paint it at all (no paint
// engine, paint-on-screen, updates disabled), since SDL owns its pixels. While attached it tells
// the engine its size in device pixels whenever that changes (a resize, or a move to a screen of
// another scale, which changes no logical size) and when its window is exposed.
class CQVideoShow : public QWidget
{
    Q_OBJECT
public:
    explicit CQVideoShow(QWidget *parent = nullptr);
    ~CQVideoShow() override;

    QPaintEngine *paintEngine() const override;
    // Hands the window's pixels to the engine (true) or back to Qt (false).
    void setEngineOwned(bool bOwned);
    bool engineOwned() const { return m_engineOwned; }
    // The size SDL draws at: the logical size times the screen's scale.
    QSize deviceSize() const;
    Ui::CQVideoShowClass *form() const { return ui; }

signals:
    // The size in device pixels changed (attached or not): what the pictures are shown at.
    void deviceSizeChanged(QSize size);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void reportSize();
    void watchScreen();

    Ui::CQVideoShowClass *ui;
    bool m_engineOwned = false;
    QSize m_reportedSize;
    QSize m_announcedSize;
    QPointer<QWindow> m_watchedWindow;
    QMetaObject::Connection m_screenConnections[3];
};
