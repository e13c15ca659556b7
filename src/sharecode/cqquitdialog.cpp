// SPDX-License-Identifier: GPL-3.0-or-later
// Quit confirmation dialog.
#include "cqquitdialog.h"

#include "cblluishadowmgr.h"
#include "cquipushbutton.h"
#include "dialogstyle.h"
#include "translucentwindow.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>
#include <QVariant>
#include <algorithm>

namespace ShareCode {

namespace Ui {
struct CQQuitDialogClass : MessageDialogFrame
{
    QLabel *uiTip2;
    QWidget *uiBottom1;
    QHBoxLayout *horizontalLayout_2;
    QPushButton *btnCancel;
    QPushButton *btnOK;
    QPushButton *btnOther;

    void setupUi(QDialog *pDialog)
    {
        setupFrame(pDialog, QStringLiteral("CQQuitDialogClass"), 232,
                   {QStringLiteral(":/theme_local/imgs/btn_close_1.png"),
                    QStringLiteral(":/theme_local/imgs/btn_close_2.png"),
                    QStringLiteral(":/theme_local/imgs/btn_close_3.png"),
                    QStringLiteral(":/theme_local/imgs/btn_close_4.png")},
                   22);
        verticalLayout_3->setSpacing(10);
        uiTip->setOpenExternalLinks(true);
        verticalLayout_3->addWidget(uiTip);
        uiTip2 = new QLabel(uiCenter);
        uiTip2->setObjectName(QStringLiteral("uiTip2"));
        uiTip2->setFixedWidth(320);
        uiTip2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        uiTip2->setWordWrap(true);
        verticalLayout_3->addWidget(uiTip2);
        verticalLayout_3->addStretch(1);
        verticalLayout->addWidget(uiCenter, 1);

        uiBottom1 = addConfirmRow(&horizontalLayout_2, &btnCancel, &btnOK);
        btnOther = textButton(uiBottom1, "btnOther");
        btnOther->setMinimumWidth(76);
        btnOther->setMaximumWidth(110);
        btnOther->hide();
        horizontalLayout_2->insertWidget(1, btnOther);

        verticalLayout_2->addWidget(uiFrame);
        retranslateUi(pDialog);
    }

    void retranslateUi(QDialog *)
    {
        labAppTilte->setText(QCoreApplication::translate("CQQuitDialogClass", "Tips"));
        uiTip2->setText(QCoreApplication::translate("CQQuitDialogClass", "label2"));
        btnCancel->setText(QCoreApplication::translate("CQQuitDialogClass", "Cancel"));
        btnOK->setText(QCoreApplication::translate("CQQuitDialogClass", "Comfirm"));
        btnClose->setAccessibleName(QCoreApplication::translate("CQQuitDialogClass", "Close"));
    }
};
} // namespace Ui

CQQuitDialog::CQQuitDialog(QWidget *parent) : QDialog(parent), ui(new Ui::CQQuitDialogClass)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    fitTranslucentWindow(this, 10);
    setWindowTitle(QCoreApplication::translate("CQQuitDialogClass", "Tips"));
    connect(ui->btnClose, &QPushButton::clicked, this, &CQQuitDialog::sltClose);
    connect(ui->btnCancel, &QPushButton::clicked, this, &CQQuitDialog::sltCancel);
    connect(ui->btnOK, &QPushButton::clicked, this, &CQQuitDialog::sltOK);
    connect(ui->btnOther, &QPushButton::clicked, this, [this] {
        close();
        emit otherSignal();
    });
}

CQQuitDialog::~CQQuitDialog()
{
    // Deleted while shown (with its parent, say): the shadow must not outlive it.
    CBLLUIShadowMgr *pShadow = CBLLUIShadowMgr::instance();
    if (m_bShadowing && pShadow)
        pShadow->popDialog(this);
}

void CQQuitDialog::setTitle(const QString &szTitle)
{
    ui->labAppTilte->setText(szTitle);
    setWindowTitle(szTitle);
}

void CQQuitDialog::setTip(const QString &szTip)
{
    ui->uiTip->setText(szTip);
}

void CQQuitDialog::setTip2(const QString &szTip2)
{
    ui->uiTip2->setText(szTip2);
}

void CQQuitDialog::setOkText(const QString &szText)
{
    ui->btnOK->setText(szText);
}

void CQQuitDialog::setCancelText(const QString &szText)
{
    ui->btnCancel->setText(szText);
}

void CQQuitDialog::setOtherText(const QString &szText, bool bDestructive)
{
    QPushButton *pButton = ui->btnOther;
    pButton->setText(szText);
    pButton->setProperty("destructive", bDestructive);
    // As wide as its text needs, within the card's room for three buttons.
    pButton->setFixedWidth(
        std::clamp(pButton->fontMetrics().horizontalAdvance(szText) + 20, 76, 110));
    pButton->setVisible(!szText.isEmpty());
    pButton->style()->unpolish(pButton);
    pButton->style()->polish(pButton);
}

void CQQuitDialog::sltClose()
{
    close();
}

void CQQuitDialog::sltCancel()
{
    close();
    emit cancelSignal();
}

void CQQuitDialog::sltOK()
{
    close();
    emit okSignal();
}

void CQQuitDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_bShadowing = true;
    if (CBLLUIShadowMgr *pShadow = CBLLUIShadowMgr::instance())
        pShadow->pushDialog(this);
}

void CQQuitDialog::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    m_bShadowing = false;
    if (CBLLUIShadowMgr *pShadow = CBLLUIShadowMgr::instance())
        pShadow->popDialog(this);
}

} // namespace ShareCode
