// The video surface: a native window that the playback engine draws into with SDL.
#pragma once

#include <QWidget>

class QGridLayout;
class QLabel;
class QSpacerItem;

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
// engine, paint-on-screen, updates disabled), since SDL owns its pixels.
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
    Ui::CQVideoShowClass *form() const { return ui; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    Ui::CQVideoShowClass *ui;
    bool m_engineOwned = false;
};
