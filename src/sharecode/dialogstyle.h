// SPDX-License-Identifier: GPL-3.0-or-later
// The small white message dialogs: their shared style sheet and the frame of their forms.
#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace ShareCode {

// The close button's images in its four states: normal, hover, pressed, disabled.
QString messageDialogStyleSheet(const QStringList &closeImages);

namespace Ui {
// Card, title bar with the close button, and the centre area with its tip label (not yet laid
// out, since each dialog places it differently).
struct MessageDialogFrame
{
    QVBoxLayout *verticalLayout_2;
    QWidget *uiFrame;
    QVBoxLayout *verticalLayout;
    QWidget *uiTitle;
    QHBoxLayout *horizontalLayout;
    QLabel *labAppTilte;
    QPushButton *btnClose;
    QWidget *uiCenter;
    QVBoxLayout *verticalLayout_3;
    QLabel *uiTip;

    void setupFrame(QDialog *pDialog, const QString &szObjectName, int iHeight,
                    const QStringList &closeImages, int iCenterTopMargin);
    // A 76 x 30 text button of the bottom row.
    static QPushButton *textButton(QWidget *pParent, const char *szName);
    // Appends a 57-pixel bottom row named szName whose buttons sit centred, 16 pixels apart; the
    // caller adds them between the two stretches with insertWidget(index 1, 2, ...).
    QWidget *addButtonRow(const char *szName, QHBoxLayout **ppLayout);
    // The "uiBottom1" row: "btnCancel" and the default "btnOK", centred.
    QWidget *addConfirmRow(QHBoxLayout **ppLayout, QPushButton **ppCancel, QPushButton **ppOK);
};
} // namespace Ui

} // namespace ShareCode
