// SPDX-License-Identifier: GPL-3.0-or-later
// The application's top-level window: own caption and bottom bar, edge resizing, maximise and
// restore, screen and power-state handling.
#pragma once

#include "cframelessparts.h"
#include "cqwidgetex.h"
#include "singletoncls.h"

#include <QRect>
#include <memory>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace platform {
class PowerEventSource;
}

namespace ShareCode {

class CQUIWindowDragger;
class QtInversionWidget;

namespace Ui {
struct CFramelessWindowClass;
}

class CFramelessWindow : public CQWidgetEx,
                         public SingletonCls<CFramelessWindow>,
                         public CQWindowAdaptor
{
    Q_OBJECT
public:
    // Listens to the system's power events; pass a source to replace them (tests).
    explicit CFramelessWindow(QWidget *parent = nullptr,
                              platform::PowerEventSource *pPowerEvents = nullptr);
    ~CFramelessWindow() override;

    // Appends a widget to the content area.
    void addContentWidget(QWidget *pWidget);
    // The caption's title and the window's (an album's name); empty puts the program's name back.
    void setTitleText(const QString &szTitle);
    QString titleText() const;
    // The caption's menu button (≡), for the content to hang its menu on.
    QPushButton *menuButton() const;
    // The version the bottom bar shows.
    static QString versionText();

    QRect normalGeometryRect() const { return m_stNormalGeometry; }
    bool reApplyAfterScreenChange() const { return m_bReApplyAfterScreenChange; }
    QtInversionWidget *dialogAnchor() const { return m_pInversion; }
    bool isResizing() const { return m_bResizing; }

    // Resize band hit test, global coordinates: the edges (Qt::Edges) under stGlobal.
    Qt::Edges hitTest(const QPoint &stGlobal) const;
    static Qt::CursorShape cursorForEdges(Qt::Edges edges);

signals:
    void signal_close();
    void signal_screenOut();

public slots:
    void on_applicationStateChanged(Qt::ApplicationState state);
    void on_btnMini_clicked();
    void on_btnMax_clicked();
    void on_btnClose_clicked();
    void on_uiTitleBar_doubleClicked();
    void sltDpiChangeHandle(int iScreen);
    void sltDpiChangeHandle(QRect stRect);
    void sltAdjustDpiHandle();
    void sltAdvFinished();

    // System suspend: tell the editor (it pauses) and minimise. Resume: bring the window back in
    // the state it had.
    void sltSystemSuspend();
    void sltSystemResume();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setupWindow();
    void watchScreen(QScreen *pScreen);
    bool isFrameButton(QObject *pObject) const;
    bool mousePressHandler(QMouseEvent *event);
    bool mouseMoveHandler(QMouseEvent *event);
    bool mouseReleaseHandler(QMouseEvent *event);
    void setEdges(Qt::Edges edges);
    void applyNormalLook();
    void applyMaximizedLook();
    void setMaxButtonLook(bool bMaximized);
    void reApplyWindowState();
    QRect availableGeometry() const;

    QRect m_stNormalGeometry{0, 0, 902, 580};
    bool m_bReApplyAfterScreenChange = true;
    std::unique_ptr<Ui::CFramelessWindowClass> ui;
    QRect m_stPressGeometry;
    quint8 m_one = 1;     // frame margin when normal; also QRect's right/bottom to edge offset
    quint8 m_border = 10; // width of the resize band, pixels
    bool m_bResizing = false;
    bool m_bTop = false;
    bool m_bLeft = false;
    bool m_bRight = false;
    bool m_bBottom = false;
    int m_iResizeX = 0;
    int m_iResizeY = 0;
    CFrameLessBottom m_bottom;
    CFrameLessCaption m_caption;
    QtInversionWidget *m_pInversion = nullptr;
};

} // namespace ShareCode
