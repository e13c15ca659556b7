// SPDX-License-Identifier: GPL-3.0-or-later
// The small popup that explains the recommended size of a picture watermark.
#pragma once

#include <QDialog>

class QLabel;

class ImageWatermarkHelpDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ImageWatermarkHelpDialog(QWidget *parent = nullptr);

    void setText(const QString &szText);
    QString text() const;

private:
    QLabel *m_pLabel;
};
