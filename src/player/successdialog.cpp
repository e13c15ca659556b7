// SPDX-License-Identifier: GPL-3.0-or-later
// Success dialog.
#include "successdialog.h"

#include "dialogcard.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The folder button's sprite: four 360 x 72 states stacked (normal, hover, pressed, disabled),
// drawn at twice the button's size. Each state is cut out with border-image slices; its 24-pixel
// rounded ends keep their shape in 12-pixel borders however wide a translation makes the button.
QString folderButtonStyleSheet()
{
    const QString szImage =
        QStringLiteral("border-image:url(:/theme_local/imgs/bg_export_success_folder.png) ");
    return QStringLiteral("#btnExportFolder{font-family:\"Microsoft YaHei\";font-size:14px;"
                          "color:#5C46F4;border-width:0px 12px;") +
           szImage + QStringLiteral("0 24 216 24 stretch stretch;}") +
           QStringLiteral("#btnExportFolder:hover{color:#FFFFFF;") + szImage +
           QStringLiteral("72 24 144 24 stretch stretch;}") +
           QStringLiteral("#btnExportFolder:pressed{color:#FFFFFF;") + szImage +
           QStringLiteral("144 24 72 24 stretch stretch;}") +
           QStringLiteral("#btnExportFolder:disabled{color:#DDDDDD;") + szImage +
           QStringLiteral("216 24 0 24 stretch stretch;}");
}
} // namespace

namespace Ui {
struct SuccessDialogClass : DialogCard
{
    QWidget *uiFrame4;
    QVBoxLayout *verticalLayout_2;
    QHBoxLayout *horizontalLayout;
    QLabel *label;
    QLabel *labelContent;
    QLabel *label_2;
    QHBoxLayout *horizontalLayout_2;
    QPushButton *btnExportFolder;

    static QLabel *icon(QWidget *pParent, const char *szName, const QString &szStyleSheet)
    {
        auto *pLabel = new QLabel(pParent);
        pLabel->setObjectName(QLatin1String(szName));
        pLabel->setFixedSize(16, 14);
        pLabel->setStyleSheet(szStyleSheet);
        return pLabel;
    }

    void setupUi(QDialog *pDialog)
    {
        setupCard(pDialog, QStringLiteral("SuccessDialogClass"), QStringLiteral("uiFrame4"),
                  "SuccessDialogClass");
        uiFrame4 = upperPicture;
        uiFrame4->setStyleSheet(QStringLiteral(
            "#uiFrame4{\nborder-image:url(:/theme_local/imgs/export_success.png);\n}"));

        verticalLayout_2 = new QVBoxLayout(uiFrame3);
        verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
        verticalLayout_2->setContentsMargins(0, 18, 0, 0);
        verticalLayout_2->setSpacing(14);

        horizontalLayout = new QHBoxLayout();
        horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
        horizontalLayout->setSpacing(8);
        horizontalLayout->addStretch(1);
        label = icon(
            uiFrame3, "label",
            QStringLiteral("#label{border-image:url(:/theme_local/imgs/exportSuccessIcon.png);}"));
        horizontalLayout->addWidget(label);
        labelContent = new QLabel(uiFrame3);
        labelContent->setObjectName(QStringLiteral("labelContent"));
        labelContent->setMinimumWidth(64);
        labelContent->setAlignment(Qt::AlignCenter);
        labelContent->setStyleSheet(QStringLiteral(
            "#labelContent{font-family:\"Microsoft YaHei\";font-size:16px;color:#333333;}"));
        horizontalLayout->addWidget(labelContent);
        label_2 =
            icon(uiFrame3, "label_2",
                 QStringLiteral(
                     "#label_2{border-image:url(:/theme_local/imgs/exportSuccessIcon-1.png);}"));
        horizontalLayout->addWidget(label_2);
        horizontalLayout->addStretch(1);
        verticalLayout_2->addLayout(horizontalLayout);

        horizontalLayout_2 = new QHBoxLayout();
        horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
        horizontalLayout_2->addStretch(1);
        btnExportFolder = new QPushButton(uiFrame3);
        btnExportFolder->setObjectName(QStringLiteral("btnExportFolder"));
        btnExportFolder->setMinimumSize(180, 36);
        btnExportFolder->setFixedHeight(36);
        btnExportFolder->setCursor(Qt::PointingHandCursor);
        btnExportFolder->setStyleSheet(folderButtonStyleSheet());
        horizontalLayout_2->addWidget(btnExportFolder);
        horizontalLayout_2->addStretch(1);
        verticalLayout_2->addLayout(horizontalLayout_2);
        verticalLayout_2->addStretch(1);
        retranslateUi(pDialog);
    }

    void retranslateUi(QDialog *pDialog)
    {
        pDialog->setWindowTitle(QCoreApplication::translate("SuccessDialogClass", "SuccessDialog"));
        labelContent->setText(
            QCoreApplication::translate("SuccessDialogClass", "Export succeeded"));
        btnExportFolder->setText(
            QCoreApplication::translate("SuccessDialogClass", "Open the export folder"));
        btnExportFolder->setAccessibleName(btnExportFolder->text());
        pDialog->setAccessibleName(labelContent->text());
    }
};
} // namespace Ui

SuccessDialog::SuccessDialog(QWidget *parent) : QDialog(parent), ui(new Ui::SuccessDialogClass)
{
    ui->setupUi(this);
    ui->setUpWindow(this);
    // The folder button is what the dialog is for: it comes first for the keyboard.
    setTabOrder(ui->btnExportFolder, ui->btnClose);
    connect(ui->btnExportFolder, &QPushButton::clicked, this,
            &SuccessDialog::sig_explorerFolderRequest);
}

SuccessDialog::~SuccessDialog() = default;
