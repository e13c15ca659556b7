// SPDX-License-Identifier: GPL-3.0-or-later
// Progress dialog.
#include "progressdialog.h"

#include "cblluishadowmgr.h"
#include "cqdlgtipsimple.h"
#include "dialogcard.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHideEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSpacerItem>
#include <QTimerEvent>

namespace Ui {
struct ProgressDialogClass : DialogCard
{
    QWidget *divBackground;
    QGridLayout *gridLayout_3;
    QProgressBar *barProgress;
    QLabel *labelContent;

    void setupUi(QDialog *pDialog)
    {
        setupCard(pDialog, QStringLiteral("ProgressDialogClass"), QStringLiteral("divBackground"),
                  "ProgressDialogClass");
        divBackground = upperPicture;

        gridLayout_3 = new QGridLayout(uiFrame3);
        gridLayout_3->setObjectName(QStringLiteral("gridLayout_3"));
        gridLayout_3->setContentsMargins(0, 0, 0, 0);
        gridLayout_3->setSpacing(0);
        gridLayout_3->addItem(new QSpacerItem(20, 24, QSizePolicy::Minimum, QSizePolicy::Fixed), 0,
                              0);
        barProgress = new QProgressBar(uiFrame3);
        barProgress->setObjectName(QStringLiteral("barProgress"));
        barProgress->setFixedSize(420, 10);
        barProgress->setTextVisible(false);
        barProgress->setStyleSheet(QStringLiteral("QProgressBar{\n  border:0px;\n"
                                                  "  border-radius:2px;\n"
                                                  "  background-color:#E5E8ED;\n}\n"
                                                  "QProgressBar:chunk{\n  border-radius:2px;\n"
                                                  "  border:0px;\n"
                                                  "  background-color:#5C46F4;\n}\n"));
        gridLayout_3->addWidget(barProgress, 1, 0, Qt::AlignHCenter);
        gridLayout_3->addItem(new QSpacerItem(18, 30, QSizePolicy::Minimum, QSizePolicy::Fixed), 2,
                              0);
        labelContent = new QLabel(uiFrame3);
        labelContent->setObjectName(QStringLiteral("labelContent"));
        labelContent->setAlignment(Qt::AlignCenter);
        labelContent->setStyleSheet(
            QStringLiteral("QLabel{\n font-weight:400;color:#333333;font-family:Microsoft   Yahei;"
                           "font-size:14px;text-align:center;\n}"));
        gridLayout_3->addWidget(labelContent, 3, 0);
        gridLayout_3->addItem(new QSpacerItem(18, 16, QSizePolicy::Minimum, QSizePolicy::Fixed), 4,
                              0);
        retranslateUi(pDialog);
    }

    void retranslateUi(QDialog *pDialog)
    {
        pDialog->setWindowTitle(QCoreApplication::translate("ProgressDialogClass", "Dialog"));
        pDialog->setAccessibleName(QCoreApplication::translate("ProgressDialogClass", "Progress"));
        barProgress->setAccessibleName(
            QCoreApplication::translate("ProgressDialogClass", "Progress"));
        labelContent->setText(
            QCoreApplication::translate("ProgressDialogClass", "Material import... "));
    }
};
} // namespace Ui

ProgressDialog::ProgressDialog(QWidget *parent) : QDialog(parent), ui(new Ui::ProgressDialogClass)
{
    ui->setupUi(this);
    ui->setUpWindow(this);
    // The close button is the user's request, which may have to be asked about first.
    disconnect(ui->btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->btnClose, &QPushButton::clicked, this, &ProgressDialog::userStop);
    connect(ui->barProgress, &QProgressBar::valueChanged, this, &ProgressDialog::refreshLabel);
    // A new bar holds no value yet: setting the minimum shows "0%" from the start.
    ui->barProgress->setValue(ui->barProgress->minimum());
}

ProgressDialog::~ProgressDialog() = default;

void ProgressDialog::setTextPrefix(const QString &szPrefix)
{
    m_szTextPrefix = szPrefix;
    refreshLabel();
}

void ProgressDialog::setValue(int iValue)
{
    ui->barProgress->setValue(
        qBound(ui->barProgress->minimum(), iValue, ui->barProgress->maximum()));
}

int ProgressDialog::value() const
{
    return ui->barProgress->value();
}

void ProgressDialog::setBackgroundPicture(const QString &szPath)
{
    ui->divBackground->setStyleSheet(QStringLiteral("border-image:url(%1)").arg(szPath));
}

void ProgressDialog::setStopQuestion(const QString &szTitle, const QString &szQuestion,
                                     const QString &szStop, const QString &szContinue)
{
    m_stop = {szTitle, szQuestion, szStop, szContinue};
}

ShareCode::CQDlgTipSimple *ProgressDialog::stopQuestion() const
{
    return m_pStopQuestion;
}

void ProgressDialog::reject()
{
    // Escape, and QDialog's own handling of a close. A close from code passes straight through.
    if (m_bClosingFromCode || m_stop.question.isEmpty()) {
        QDialog::reject();
        return;
    }
    userStop();
}

void ProgressDialog::closeEvent(QCloseEvent *event)
{
    // QDialog answers a close with reject(): the window manager's close button asks like ours,
    // a close from code does not.
    m_bClosingFromCode = !event->spontaneous();
    QDialog::closeEvent(event);
    m_bClosingFromCode = false;
}

void ProgressDialog::userStop()
{
    if (m_stop.question.isEmpty()) {
        close();
        return;
    }
    if (m_pStopQuestion) {
        m_pStopQuestion->raise();
        m_pStopQuestion->activateWindow();
        return;
    }
    // Modeless towards the program: the operation reports its progress, and may end, meanwhile.
    auto *pQuestion = new ShareCode::CQDlgTipSimple(this);
    pQuestion->setAttribute(Qt::WA_DeleteOnClose);
    pQuestion->setTitle(m_stop.title);
    pQuestion->setMessage(m_stop.question);
    pQuestion->setOkText(m_stop.stop);
    pQuestion->setCancelText(m_stop.keepOn);
    // A reflex Enter or Escape keeps the work going.
    pQuestion->setCancelDefault();
    connect(pQuestion, &QDialog::accepted, this, [this] {
        if (isVisible())
            close();
    });
    m_pStopQuestion = pQuestion;
    pQuestion->open();
}

void ProgressDialog::refreshLabel()
{
    const QString szValue = QString::number(ui->barProgress->value());
    ui->labelContent->setText(m_szTextPrefix.isEmpty()
                                  ? QStringLiteral("%1%").arg(szValue)
                                  : QStringLiteral("%1 (%2%)").arg(m_szTextPrefix, szValue));
}

void ProgressDialog::closeAfterTime(int iMilisecond)
{
    if (m_iCloseTimerId != 0)
        killTimer(m_iCloseTimerId);
    m_iCloseTimerId = startTimer(qMax(0, iMilisecond), Qt::CoarseTimer);
}

void ProgressDialog::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_iCloseTimerId && m_iCloseTimerId != 0) {
        killTimer(m_iCloseTimerId);
        m_iCloseTimerId = 0;
        close();
        return;
    }
    QDialog::timerEvent(event);
}

void ProgressDialog::hideEvent(QHideEvent *event)
{
    // The operation ended (or was stopped): the question about stopping it answers nothing now.
    if (!event->spontaneous() && m_pStopQuestion)
        m_pStopQuestion->close();
    ShareCode::CBLLUIShadowMgr *pShadow = ShareCode::CBLLUIShadowMgr::instance();
    if (pShadow && pShadow->shadow())
        pShadow->sltDlgPop();
    if (!event->spontaneous())
        emit sig_hided();
    QDialog::hideEvent(event);
}

void ProgressDialog::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_bDragging = true;
        m_stPressGlobalPos = event->globalPos();
        m_stPressWindowPos = pos();
    }
    QDialog::mousePressEvent(event);
}

void ProgressDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (m_bDragging && event->buttons().testFlag(Qt::LeftButton))
        move(m_stPressWindowPos + (event->globalPos() - m_stPressGlobalPos));
    QDialog::mouseMoveEvent(event);
}

void ProgressDialog::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_bDragging = false;
    QDialog::mouseReleaseEvent(event);
}
