// SPDX-License-Identifier: GPL-3.0-or-later
// The white card that the progress, success and failure dialogs share: a picture half on top
// with the close button over it, and a 106-pixel half below for each dialog's own content.
#pragma once

#include <QString>

class QDialog;
class QGridLayout;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace Ui {
struct DialogCard
{
    QGridLayout *gridLayout;
    QWidget *ui_shadow;
    QVBoxLayout *verticalLayout;
    QWidget *uiFrame2;
    QGridLayout *gridLayout_2;
    QWidget *upperPicture; // divBackground or uiFrame4, named by the dialog
    QPushButton *btnClose;
    QWidget *uiFrame3;

    // Builds the 502 x 352 card on pDialog; szFormContext is the form's translation context.
    void setupCard(QDialog *pDialog, const QString &szObjectName, const QString &szPictureName,
                   const char *szFormContext);
    // The frameless, see-through window closed by btnClose and deleted on close, centred over
    // its parent (over the main window's screen without one). Called after the whole form.
    void setUpWindow(QDialog *pDialog);
    // Makes the lower half iExtra pixels taller (the card grows downwards, and is centred again).
    void growLowerHalf(QDialog *pDialog, int iExtra);
};
} // namespace Ui
