// SPDX-License-Identifier: GPL-3.0-or-later
// Success dialog.
#include "successdialog.h"

#include "dialogcard.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kLowerHalfHeight = 106; // the card's own lower half
constexpr int kBottomMargin = 16;     // white below the buttons, as the card has it

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
    QLabel *labelFilePath;
    QLabel *labelFolderNote;
    QHBoxLayout *horizontalLayout_2;
    QPushButton *btnExportFolder;
    QPushButton *btnCopyPath;

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

        // Where the file went: whole, wrapped anywhere in a long path, and selectable.
        labelFilePath = new QLabel(uiFrame3);
        labelFilePath->setObjectName(QStringLiteral("labelFilePath"));
        labelFilePath->setTextFormat(Qt::PlainText);
        labelFilePath->setWordWrap(true);
        labelFilePath->setAlignment(Qt::AlignCenter);
        labelFilePath->setFixedWidth(440);
        labelFilePath->setTextInteractionFlags(Qt::TextSelectableByMouse);
        labelFilePath->setStyleSheet(QStringLiteral(
            "#labelFilePath{font-family:\"Microsoft YaHei\";font-size:13px;color:#666666;}"));
        labelFilePath->hide();
        verticalLayout_2->addWidget(labelFilePath, 0, Qt::AlignHCenter);
        labelFolderNote = new QLabel(uiFrame3);
        labelFolderNote->setObjectName(QStringLiteral("labelFolderNote"));
        labelFolderNote->setWordWrap(true);
        labelFolderNote->setAlignment(Qt::AlignCenter);
        labelFolderNote->setFixedWidth(440);
        labelFolderNote->setStyleSheet(QStringLiteral(
            "#labelFolderNote{font-family:\"Microsoft YaHei\";font-size:13px;color:#D9534F;}"));
        labelFolderNote->hide();
        verticalLayout_2->addWidget(labelFolderNote, 0, Qt::AlignHCenter);

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
        btnCopyPath = new QPushButton(uiFrame3);
        btnCopyPath->setObjectName(QStringLiteral("btnCopyPath"));
        btnCopyPath->setMinimumSize(120, 36);
        btnCopyPath->setFixedHeight(36);
        btnCopyPath->setCursor(Qt::PointingHandCursor);
        btnCopyPath->setStyleSheet(folderButtonStyleSheet().replace(
            QStringLiteral("#btnExportFolder"), QStringLiteral("#btnCopyPath")));
        btnCopyPath->hide();
        horizontalLayout_2->addWidget(btnCopyPath);
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
        btnCopyPath->setText(QCoreApplication::translate("SuccessDialogClass", "Copy the path"));
        btnCopyPath->setAccessibleName(btnCopyPath->text());
        labelFilePath->setAccessibleName(
            QCoreApplication::translate("SuccessDialogClass", "The video file"));
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
    connect(ui->btnCopyPath, &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(m_szPath);
        ui->btnCopyPath->setText(QCoreApplication::translate("SuccessDialogClass", "Copied"));
    });
}

void SuccessDialog::setFilePath(const QString &szPath)
{
    m_szPath = QDir::toNativeSeparators(szPath);
    // A zero-width space after each separator lets a long path wrap there; the copy and the
    // screen reader get the path itself.
    QString szShown = m_szPath;
    szShown.replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200B));
    ui->labelFilePath->setText(szShown);
    ui->labelFilePath->setToolTip(m_szPath);
    ui->labelFilePath->setAccessibleDescription(m_szPath);
    ui->labelFilePath->setVisible(!m_szPath.isEmpty());
    fitLowerHalf();
}

void SuccessDialog::showFolderNotOpened()
{
    ui->labelFolderNote->setText(QCoreApplication::translate(
        "SuccessDialogClass", "No file manager opened the folder. You can copy the path."));
    ui->labelFolderNote->show();
    ui->btnCopyPath->setVisible(!m_szPath.isEmpty());
    fitLowerHalf();
}

void SuccessDialog::fitLowerHalf()
{
    // The card grows downwards by what the path and the note need beyond its usual half. Each
    // wrapped text gets the height of its lines at its own fixed width (the layout would measure
    // it at the card's, and give too few).
    for (QLabel *pLabel : {ui->labelFilePath, ui->labelFolderNote}) {
        pLabel->ensurePolished();
        const int iHeight = pLabel->heightForWidth(pLabel->width());
        if (!pLabel->isHidden() && iHeight > 0)
            pLabel->setFixedHeight(iHeight);
    }
    QVBoxLayout *pLayout = ui->verticalLayout_2;
    const QMargins margins = pLayout->contentsMargins();
    int iNeeded = margins.top() + margins.bottom();
    int iItems = 0;
    for (int i = 0; i < pLayout->count(); ++i) {
        QLayoutItem *pItem = pLayout->itemAt(i);
        if (pItem->isEmpty())
            continue;
        QWidget *pWidget = pItem->widget();
        iNeeded += pWidget && pWidget->hasHeightForWidth()
                       ? pWidget->heightForWidth(pWidget->width())
                       : pItem->sizeHint().height();
        ++iItems;
    }
    iNeeded += pLayout->spacing() * std::max(0, iItems - 1);
    ui->growLowerHalf(this, std::max(0, iNeeded + kBottomMargin - kLowerHalfHeight));
    // Placed now, not on the next pass: the card is measured and shown as it is.
    layout()->activate();
    pLayout->activate();
}

SuccessDialog::~SuccessDialog() = default;
