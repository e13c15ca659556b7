// SPDX-License-Identifier: GPL-3.0-or-later
// Picture-watermark help popup.
#include "imagewatermarkhelpdialog.h"

#include <QLabel>
#include <QVBoxLayout>

ImageWatermarkHelpDialog::ImageWatermarkHelpDialog(QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::ToolTip), m_pLabel(new QLabel(this))
{
    setObjectName(QStringLiteral("ImageWatermarkHelpDialog"));
    // The bubble is drawn by its own picture, rounded corners and pointer included.
    setAttribute(Qt::WA_TranslucentBackground);
    auto *pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    m_pLabel->setObjectName(QStringLiteral("labelHelp"));
    m_pLabel->setWordWrap(true);
    m_pLabel->setStyleSheet(QStringLiteral(
        "border-image: url(:/theme_local/imgs/watermarkHelpDialog.png);color: #EEEEEE;"
        "font-family: 'Microsoft YaHei';font-size: 14px;line-height: 22px;padding-left: "
        "16px;padding-right: 16px;"));
    pLayout->addWidget(m_pLabel);
}

void ImageWatermarkHelpDialog::setText(const QString &szText)
{
    m_pLabel->setText(szText);
}

QString ImageWatermarkHelpDialog::text() const
{
    return m_pLabel->text();
}
