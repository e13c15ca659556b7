// SPDX-License-Identifier: GPL-3.0-or-later
// Information dialog: the message dialogs' card around any content.
#include "cqinfodialog.h"

#include "cframelesswindow.h"
#include "cqwidgetex.h"
#include "dialogstyle.h"
#include "translucentwindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace ShareCode {

namespace Ui {
struct CQInfoDialog : MessageDialogFrame
{
    QWidget *uiBottom = nullptr;
    QHBoxLayout *horizontalLayout_2 = nullptr;
    QPushButton *btnOK = nullptr;

    void setupUi(QDialog *pDialog)
    {
        setupFrame(pDialog, QStringLiteral("CQInfoDialog"), 204,
                   {QStringLiteral(":/theme_default/imgs/dlgtipsimple/btn_close_1.png"),
                    QStringLiteral(":/theme_default/imgs/dlgtipsimple/btn_close_2.png"),
                    QStringLiteral(":/theme_default/imgs/dlgtipsimple/btn_close_3.png"),
                    QStringLiteral(":/theme_default/imgs/dlgtipsimple/btn_close_4.png")},
                   8);
        // The content takes the tip's place.
        uiTip->hide();
        verticalLayout_3->setContentsMargins(24, 8, 24, 0);
        verticalLayout->addWidget(uiCenter, 1);
        uiBottom = addButtonRow("uiBottom", &horizontalLayout_2);
        btnOK = textButton(uiBottom, "btnOK");
        btnOK->setDefault(true);
        horizontalLayout_2->insertWidget(1, btnOK);
        verticalLayout_2->addWidget(uiFrame);
        btnOK->setText(QCoreApplication::translate("CQDlgTipSimple", "Close"));
        btnClose->setAccessibleName(QCoreApplication::translate("CQDlgTipSimple", "Close"));
    }
};
} // namespace Ui

namespace {
constexpr int kMinWidth = 320; // the message dialogs' width
}

CQInfoDialog::CQInfoDialog(QWidget *parent) : CQDialogEx(parent), ui(new Ui::CQInfoDialog)
{
    ui->setupUi(this);
    applyTheme();
    // Qt::Dialog stays: without it a parented dialog would turn into a child widget.
    setWindowFlags(windowFlags() | Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    fitTranslucentWindow(this, 10);
    connect(ui->btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

CQInfoDialog::~CQInfoDialog() = default;

void CQInfoDialog::setTitle(const QString &szTitle)
{
    ui->labAppTilte->setText(szTitle);
    setWindowTitle(szTitle);
}

void CQInfoDialog::setContent(QWidget *pContent)
{
    pContent->setParent(ui->uiCenter);
    ui->verticalLayout_3->addWidget(pContent);
    fitContent();
}

void CQInfoDialog::fitContent()
{
    // The frame fixed a message dialog's size; this one is as large as what it shows.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    ui->labAppTilte->setMinimumWidth(0);
    // Sized as it will be shown: styled (a style sheet sets fonts and padding), and with the
    // rows shown, hidden or added since the last fit, whose layouts' remembered sizes are stale
    // until their next pass, which comes too late for the size fixed here.
    ensurePolished();
    for (QLayout *pLayout : findChildren<QLayout *>())
        pLayout->invalidate(); // nested ones too: a grid inside a form
    for (QWidget *pWidget : findChildren<QWidget *>()) {
        if (pWidget->layout())
            pWidget->updateGeometry();
    }
    const QSize stHint = layout()->sizeHint();
    setFixedSize(std::max(kMinWidth, stHint.width()), stHint.height() + 8);
    CQWidgetEx::centerWidget(this, CFramelessWindow::instance());
    QScreen *pScreen = QGuiApplication::screenAt(geometry().center());
    if (!pScreen)
        pScreen = QGuiApplication::primaryScreen();
    if (pScreen)
        move(CQWidgetEx::keepOnScreen(pos(), size(), pScreen->availableGeometry()));
}

void CQInfoDialog::setButtonText(const QString &szText)
{
    ui->btnOK->setText(szText);
}

} // namespace ShareCode
