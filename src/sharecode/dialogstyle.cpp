// SPDX-License-Identifier: GPL-3.0-or-later
// Message dialog look (white card, bold title, accent confirm button) and the frame of the form.
#include "dialogstyle.h"

#include "cquipushbutton.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace ShareCode {

QString messageDialogStyleSheet(const QStringList &closeImages)
{
    return QStringLiteral(
               "#uiFrame{background-color:#FFFFFF;border:1px solid #E6E6EB;border-radius:10px;}"
               "#labAppTilte{font-family:\"Microsoft YaHei\";font-size:14px;font-weight:bold;"
               "color:#000000;}"
               "#uiTip{font-family:\"Microsoft YaHei\";font-size:14px;color:#333333;"
               "padding:0px 24px;}"
               "#uiTip2{font-family:\"Microsoft YaHei\";font-size:12px;color:#999999;"
               "padding:0px 24px;}"
               "#btnClose{border:0px;border-image:url(%1);}"
               "#btnClose:hover{border-image:url(%2);}"
               "#btnClose:pressed{border-image:url(%3);}"
               "#btnClose:disabled{border-image:url(%4);}"
               "#btnCancel{border:0px;font-family:\"Microsoft YaHei\";font-size:14px;"
               "color:#333333;border-image:url(:/theme_local/imgs/tip_btn_cancel1.png);}"
               "#btnCancel:hover{color:#5C46F4;"
               "border-image:url(:/theme_local/imgs/tip_btn_cancel2.png);}"
               "#btnCancel:pressed{color:#4A36D8;"
               "border-image:url(:/theme_local/imgs/tip_btn_cancel3.png);}"
               "#btnOther{border:1px solid #DDDDDD;border-radius:4px;background:#FFFFFF;"
               "font-family:\"Microsoft YaHei\";font-size:14px;color:#333333;}"
               "#btnOther:hover{border-color:#5C46F4;color:#5C46F4;}"
               "#btnOther[destructive=\"true\"]{color:#E5484D;}"
               "#btnOther[destructive=\"true\"]:hover{border-color:#E5484D;color:#E5484D;}"
               "#btnOK,#btnOK_2{border:0px;font-family:\"Microsoft YaHei\";font-size:14px;"
               "color:#FFFFFF;border-image:url(:/theme_local/imgs/tip_btn_ok1.png);}"
               "#btnOK:hover,#btnOK_2:hover{"
               "border-image:url(:/theme_local/imgs/tip_btn_ok2.png);}"
               "#btnOK:pressed,#btnOK_2:pressed{"
               "border-image:url(:/theme_local/imgs/tip_btn_ok3.png);}")
        .arg(closeImages.value(0), closeImages.value(1), closeImages.value(2),
             closeImages.value(3));
}

namespace Ui {

void MessageDialogFrame::setupFrame(QDialog *pDialog, const QString &szObjectName, int iHeight,
                                    const QStringList &closeImages, int iCenterTopMargin)
{
    pDialog->setObjectName(szObjectName);
    pDialog->setFixedSize(320, iHeight);
    pDialog->setStyleSheet(messageDialogStyleSheet(closeImages));
    verticalLayout_2 = new QVBoxLayout(pDialog);
    verticalLayout_2->setContentsMargins(0, 0, 0, 0);
    uiFrame = new QWidget(pDialog);
    uiFrame->setObjectName(QStringLiteral("uiFrame"));
    verticalLayout = new QVBoxLayout(uiFrame);
    verticalLayout->setContentsMargins(0, 0, 0, 0);
    verticalLayout->setSpacing(0);

    uiTitle = new QWidget(uiFrame);
    uiTitle->setObjectName(QStringLiteral("uiTitle"));
    uiTitle->setFixedHeight(38);
    horizontalLayout = new QHBoxLayout(uiTitle);
    horizontalLayout->setContentsMargins(16, 4, 6, 0);
    labAppTilte = new QLabel(uiTitle);
    labAppTilte->setObjectName(QStringLiteral("labAppTilte"));
    labAppTilte->setFixedWidth(200);
    horizontalLayout->addWidget(labAppTilte);
    horizontalLayout->addStretch(1);
    btnClose = new QPushButton(uiTitle);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setFixedSize(30, 30);
    btnClose->setCursor(Qt::PointingHandCursor);
    btnClose->setFocusPolicy(Qt::NoFocus);
    horizontalLayout->addWidget(btnClose);
    verticalLayout->addWidget(uiTitle);

    uiCenter = new QWidget(uiFrame);
    uiCenter->setObjectName(QStringLiteral("uiCenter"));
    verticalLayout_3 = new QVBoxLayout(uiCenter);
    verticalLayout_3->setContentsMargins(0, iCenterTopMargin, 0, 0);
    uiTip = new QLabel(uiCenter);
    uiTip->setObjectName(QStringLiteral("uiTip"));
    uiTip->setFixedWidth(320);
    uiTip->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    uiTip->setWordWrap(true);
}

QPushButton *MessageDialogFrame::textButton(QWidget *pParent, const char *szName)
{
    auto *pButton = new CQUIPushButton(pParent);
    pButton->setObjectName(QLatin1String(szName));
    pButton->setFixedSize(76, 30);
    pButton->setCursor(Qt::PointingHandCursor);
    return pButton;
}

QWidget *MessageDialogFrame::addButtonRow(const char *szName, QHBoxLayout **ppLayout)
{
    auto *pRow = new QWidget(uiFrame);
    pRow->setObjectName(QLatin1String(szName));
    pRow->setFixedHeight(57);
    auto *pLayout = new QHBoxLayout(pRow);
    pLayout->setContentsMargins(0, 0, 0, 12);
    pLayout->setSpacing(16);
    pLayout->addStretch(1);
    pLayout->addStretch(1);
    verticalLayout->addWidget(pRow);
    *ppLayout = pLayout;
    return pRow;
}

QWidget *MessageDialogFrame::addConfirmRow(QHBoxLayout **ppLayout, QPushButton **ppCancel,
                                           QPushButton **ppOK)
{
    QWidget *pRow = addButtonRow("uiBottom1", ppLayout);
    *ppCancel = textButton(pRow, "btnCancel");
    (*ppLayout)->insertWidget(1, *ppCancel);
    *ppOK = textButton(pRow, "btnOK");
    (*ppOK)->setDefault(true);
    (*ppLayout)->insertWidget(2, *ppOK);
    return pRow;
}

} // namespace Ui

} // namespace ShareCode
