// SPDX-License-Identifier: GPL-3.0-or-later
// The shared card of the progress and result dialogs.
#include "dialogcard.h"

#include "cqwidgetex.h"
#include "translucentwindow.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGridLayout>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {
constexpr int kDialogWidth = 502;
constexpr int kDialogHeight = 352;
constexpr int kLowerHalfHeight = 106;
constexpr int kCloseInset = 5; // the close button sits 5 pixels in from the card's top right
constexpr int kCornerRadius = 10;
} // namespace

namespace Ui {

void DialogCard::setupCard(QDialog *pDialog, const QString &szObjectName,
                           const QString &szPictureName, const char *szFormContext)
{
    pDialog->setObjectName(szObjectName);
    pDialog->setFixedSize(kDialogWidth, kDialogHeight);
    gridLayout = new QGridLayout(pDialog);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setContentsMargins(0, 0, 0, 0);

    ui_shadow = new QWidget(pDialog);
    ui_shadow->setObjectName(QStringLiteral("ui_shadow"));
    // A faint one-pixel ring, so the white card stays distinct on a white window.
    ui_shadow->setStyleSheet(
        QStringLiteral("#ui_shadow{background-color:rgba(51, 51, 68, 40);border-radius:11px;}"));
    verticalLayout = new QVBoxLayout(ui_shadow);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(1, 1, 1, 1);

    uiFrame2 = new QWidget(ui_shadow);
    uiFrame2->setObjectName(QStringLiteral("uiFrame2"));
    uiFrame2->setStyleSheet(QStringLiteral("#uiFrame2{\n  background-color: rgb(255, 255, 255);\n"
                                           "  border-top-left-radius: 10px;\n"
                                           "  border-top-right-radius: 10px;\n"
                                           "  border-bottom-right-radius: 0px;\n"
                                           "  border-bottom-left-radius: 0px;\n}"));
    gridLayout_2 = new QGridLayout(uiFrame2);
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    gridLayout_2->setContentsMargins(0, 0, 0, 0);
    gridLayout_2->setSpacing(0);
    upperPicture = new QWidget(uiFrame2);
    upperPicture->setObjectName(szPictureName);
    gridLayout_2->addWidget(upperPicture, 0, 0, 3, 3);
    // The close button lies over the picture's top right corner.
    gridLayout_2->addItem(new QSpacerItem(0, kCloseInset, QSizePolicy::Minimum, QSizePolicy::Fixed),
                          0, 1);
    gridLayout_2->addItem(new QSpacerItem(kCloseInset, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                          1, 2);
    gridLayout_2->setRowStretch(2, 1);
    gridLayout_2->setColumnStretch(0, 1);
    btnClose = new QPushButton(uiFrame2);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setFixedSize(30, 30);
    btnClose->setCursor(Qt::PointingHandCursor);
    // Enter must not close a running progress by accident; Escape and the button itself do.
    btnClose->setAutoDefault(false);
    btnClose->setStyleSheet(QStringLiteral(
        "#btnClose{;border-image:url(:/theme_local/imgs/btn_close_1.png);}\n"
        "#btnClose:hover {border-image: url(:/theme_local/imgs/btn_close_2.png); }\n"
        "#btnClose:pressed {border-image:url(:/theme_local/imgs/btn_close_3.png); }\n"
        "#btnClose:disabled {border-image:url(:/theme_local/imgs/btn_close_4.png); }"));
    // The context varies by dialog; the list below names each entry for the translation tools.
    static const char *const kCloseTexts[] = {QT_TRANSLATE_NOOP("ProgressDialogClass", "Close"),
                                              QT_TRANSLATE_NOOP("FailDialogClass", "Close"),
                                              QT_TRANSLATE_NOOP("SuccessDialogClass", "Close")};
    btnClose->setAccessibleName(QCoreApplication::translate(szFormContext, kCloseTexts[0]));
    gridLayout_2->addWidget(btnClose, 1, 1);
    verticalLayout->addWidget(uiFrame2);

    uiFrame3 = new QWidget(ui_shadow);
    uiFrame3->setObjectName(QStringLiteral("uiFrame3"));
    uiFrame3->setFixedHeight(kLowerHalfHeight);
    uiFrame3->setStyleSheet(
        QStringLiteral("#uiFrame3{\n\tbackground-color: rgb(255, 255, 255);\n"
                       "  border-top-left-radius: 0px;\n  border-top-right-radius: 0px;\n"
                       "  border-bottom-right-radius: 10px;\n"
                       "  border-bottom-left-radius: 10px;\n\n}"));
    verticalLayout->addWidget(uiFrame3);
    gridLayout->addWidget(ui_shadow, 0, 0);
}

void DialogCard::setUpWindow(QDialog *pDialog)
{
    pDialog->setWindowFlags(pDialog->windowFlags() | Qt::FramelessWindowHint);
    pDialog->setAttribute(Qt::WA_TranslucentBackground);
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    ShareCode::fitTranslucentWindow(pDialog, kCornerRadius);
    QObject::connect(btnClose, &QPushButton::clicked, pDialog, &QWidget::close);
    ShareCode::CQWidgetEx::centerWidget(pDialog, pDialog->parentWidget());
}

void DialogCard::growLowerHalf(QDialog *pDialog, int iExtra)
{
    uiFrame3->setFixedHeight(kLowerHalfHeight + iExtra);
    pDialog->setFixedSize(kDialogWidth, kDialogHeight + iExtra);
    ShareCode::CQWidgetEx::centerWidget(pDialog, pDialog->parentWidget());
}

} // namespace Ui
