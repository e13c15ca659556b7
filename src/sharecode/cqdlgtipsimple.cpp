// SPDX-License-Identifier: GPL-3.0-or-later
// Question dialog.
#include "cqdlgtipsimple.h"

#include "cframelesswindow.h"
#include "cquipushbutton.h"
#include "cqwidgetex.h"
#include "dialogstyle.h"
#include "translucentwindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace ShareCode {

namespace Ui {
struct CQDlgTipSimple : MessageDialogFrame
{
    QWidget *uiBottom1;
    QHBoxLayout *horizontalLayout_2;
    QPushButton *btnCancel;
    QPushButton *btnOK;
    QWidget *uiBottom2;
    QHBoxLayout *horizontalLayout_3;
    QPushButton *btnOK_2;

    void setupUi(QDialog *pDialog)
    {
        setupFrame(pDialog, QStringLiteral("CQDlgTipSimple"), 204,
                   {QStringLiteral(":/theme_default/imgs/dlgtipsimple/btn_close_1.png"),
                    QStringLiteral(":/theme_default/imgs/dlgtipsimple/btn_close_2.png"),
                    QStringLiteral(":/theme_default/imgs/dlgtipsimple/btn_close_3.png"),
                    QStringLiteral(":/theme_default/imgs/dlgtipsimple/btn_close_4.png")},
                   18);
        verticalLayout_3->addWidget(uiTip, 1);
        verticalLayout->addWidget(uiCenter, 1);

        uiBottom1 = addConfirmRow(&horizontalLayout_2, &btnCancel, &btnOK);

        uiBottom2 = addButtonRow("uiBottom2", &horizontalLayout_3);
        btnOK_2 = textButton(uiBottom2, "btnOK_2");
        horizontalLayout_3->insertWidget(1, btnOK_2);

        verticalLayout_2->addWidget(uiFrame);
        retranslateUi(pDialog);
    }

    void retranslateUi(QDialog *)
    {
        labAppTilte->setText(QCoreApplication::translate("CQDlgTipSimple", "检查更新"));
        btnCancel->setText(QCoreApplication::translate("CQDlgTipSimple", "Cancel"));
        btnOK->setText(QCoreApplication::translate("CQDlgTipSimple", "Comfirm"));
        btnOK_2->setText(QCoreApplication::translate("CQDlgTipSimple", "Comfirm"));
        btnClose->setAccessibleName(QCoreApplication::translate("CQDlgTipSimple", "Close"));
    }
};
} // namespace Ui

CQDlgTipSimple::CQDlgTipSimple(QWidget *parent) : CQDialogEx(parent), ui(new Ui::CQDlgTipSimple)
{
    ui->setupUi(this);
    applyTheme();
    // Qt::Dialog stays: without it a parented dialog would turn into a child widget.
    setWindowFlags(windowFlags() | Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    fitTranslucentWindow(this, 10);

    CQWidgetEx::centerWidget(this, CFramelessWindow::instance());
    QScreen *pScreen = QGuiApplication::screenAt(geometry().center());
    if (!pScreen)
        pScreen = QGuiApplication::primaryScreen();
    if (pScreen)
        move(CQWidgetEx::keepOnScreen(pos(), size(), pScreen->availableGeometry()));

    setWindowTitle(QCoreApplication::translate("CQDlgTipSimple", "checkUpdate"));
    connect(ui->btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnOK_2, &QPushButton::clicked, this, &QDialog::accept);
    ui->uiBottom1->show();
    ui->uiBottom2->hide();
}

CQDlgTipSimple::~CQDlgTipSimple() = default;

void CQDlgTipSimple::setTitle(const QString &szTitle)
{
    ui->labAppTilte->setText(szTitle);
    setWindowTitle(szTitle);
}

void CQDlgTipSimple::setMessage(const QString &szMessage)
{
    ui->uiTip->setText(szMessage);
}

void CQDlgTipSimple::setOkText(const QString &szText)
{
    ui->btnOK->setText(szText);
    ui->btnOK_2->setText(szText);
}

void CQDlgTipSimple::setCancelText(const QString &szText)
{
    ui->btnCancel->setText(szText);
}

void CQDlgTipSimple::setCancelDefault()
{
    ui->btnOK->setDefault(false);
    ui->btnOK->setAutoDefault(false);
    ui->btnCancel->setDefault(true);
    ui->btnCancel->setFocus();
}

void CQDlgTipSimple::sltClose()
{
    close();
}

void CQDlgTipSimple::sltOK()
{
    accept();
}

} // namespace ShareCode
