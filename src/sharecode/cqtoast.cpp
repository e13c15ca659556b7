// SPDX-License-Identifier: GPL-3.0-or-later
// Toast notice.
#include "cqtoast.h"

#include "translucentwindow.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>
#include <QSpacerItem>
#include <QTimer>

namespace ShareCode {

namespace {
constexpr int kDefaultDurationMs = 1000;
constexpr int kTopOffset = 58; // below the parent's top edge, clear of the caption
} // namespace

namespace Ui {
struct CQToastClass
{
    QGridLayout *gridLayout;
    QWidget *toastWidget;
    QHBoxLayout *horizontalLayout;
    QLabel *labelIcon;
    QLabel *labelText;

    void setupUi(QWidget *pToast)
    {
        pToast->setObjectName(QStringLiteral("CQToastClass"));
        pToast->resize(256, 46);
        pToast->setMinimumSize(256, 46);
        pToast->setMaximumHeight(46);
        pToast->setWindowTitle(QStringLiteral("CQMyToast"));
        pToast->setStyleSheet(
            QStringLiteral("#CQToastClass{background-color: transparent;border-radius:10px;}"));
        gridLayout = new QGridLayout(pToast);
        gridLayout->setObjectName(QStringLiteral("gridLayout"));
        gridLayout->setContentsMargins(0, 0, 0, 0);
        gridLayout->setSpacing(0);
        toastWidget = new QWidget(pToast);
        toastWidget->setObjectName(QStringLiteral("toastWidget"));
        toastWidget->setStyleSheet(
            QStringLiteral("#toastWidget{border:1px solid #FFB9B9;border-radius:10px;"
                           "background-color: rgba(255, 239, 239, 255);}"));
        horizontalLayout = new QHBoxLayout(toastWidget);
        horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
        horizontalLayout->setContentsMargins(0, 0, 0, 0);
        horizontalLayout->setSpacing(0);
        horizontalLayout->addItem(new QSpacerItem(50, 20, QSizePolicy::Fixed));
        labelIcon = new QLabel(toastWidget);
        labelIcon->setObjectName(QStringLiteral("labelIcon"));
        labelIcon->setFixedSize(20, 20);
        labelIcon->setScaledContents(true);
        horizontalLayout->addWidget(labelIcon);
        horizontalLayout->addItem(new QSpacerItem(14, 20, QSizePolicy::Fixed));
        labelText = new QLabel(toastWidget);
        labelText->setObjectName(QStringLiteral("labelText"));
        labelText->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        labelText->setAlignment(Qt::AlignCenter);
        labelText->setStyleSheet(QStringLiteral("color: #EE4747;"));
        QFont font(QStringLiteral("Microsoft YaHei"));
        font.setPixelSize(16);
        labelText->setFont(font);
        horizontalLayout->addWidget(labelText);
        horizontalLayout->addItem(new QSpacerItem(50, 20, QSizePolicy::Fixed));
        gridLayout->addWidget(toastWidget, 0, 0);
    }
};
} // namespace Ui

CQToast::CQToast(QWidget *parent) : QWidget(parent), ui(new Ui::CQToastClass)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    fitTranslucentWindow(this, 10);
    m_pTimer = new QTimer(this);
    m_pTimer->setSingleShot(true);
    m_pTimer->setTimerType(Qt::PreciseTimer); // the fade ends exactly when the toast closes
    connect(m_pTimer, &QTimer::timeout, this, &QWidget::close);
    m_icon = QPixmap(QStringLiteral(":/theme_local/imgs/toastIcon.png"));
    ui->labelIcon->setPixmap(m_icon);
}

CQToast::~CQToast() = default;

void CQToast::placeText(const QString &szText)
{
    m_szText = szText;
    ui->labelText->setText(szText);
    // The label's width comes from the layout; settle it before comparing.
    ensurePolished();
    ui->labelText->ensurePolished();
    layout()->activate();
    const int iTextWidth = QFontMetrics(ui->labelText->font()).horizontalAdvance(szText);
    const int iLabelWidth = ui->labelText->width();
    if (iTextWidth > iLabelWidth) {
        resize(width() + iTextWidth - iLabelWidth, height());
        layout()->activate();
    }
    if (QWidget *pParent = parentWidget()) {
        const QPoint stTopLeft =
            pParent->isWindow() ? pParent->pos() : pParent->mapToGlobal(QPoint(0, 0));
        move(stTopLeft.x() + (pParent->width() - width()) / 2, stTopLeft.y() + kTopOffset);
    }
}

void CQToast::setText(const QString &szText)
{
    placeText(szText);
}

void CQToast::showMessage(const QString &szText, int iDurationMs, bool bFade)
{
    placeText(szText);
    if (bFade) {
        auto *pAnimation = new QPropertyAnimation(this, "alpha", this);
        pAnimation->setDuration(iDurationMs < 0 ? kDefaultDurationMs : iDurationMs);
        pAnimation->setKeyValueAt(0, 255);
        pAnimation->setKeyValueAt(1, 0);
        m_pAnimation = pAnimation;
        pAnimation->start(QAbstractAnimation::DeleteWhenStopped);
    } else {
        setAlpha(255);
    }
    m_pTimer->start(iDurationMs < 0 ? kDefaultDurationMs : iDurationMs);
    show();
}

void CQToast::setAlpha(int iAlpha)
{
    m_iAlpha = qBound(0, iAlpha, 255);
    if (!m_icon.isNull()) {
        QPixmap faded(m_icon.size());
        faded.setDevicePixelRatio(m_icon.devicePixelRatio());
        faded.fill(Qt::transparent);
        QPainter painter(&faded);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(0, 0, m_icon);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.fillRect(faded.rect(), QColor(0, 0, 0, m_iAlpha));
        painter.end();
        ui->labelIcon->setPixmap(faded);
    }
    ui->toastWidget->setStyleSheet(
        QStringLiteral("#toastWidget{border:1px solid rgba(255, 185, 185, %2);border-radius:10px;"
                       "background-color: rgba(255, 239, 239, %1);}")
            .arg(m_iAlpha)
            .arg(m_iAlpha));
    ui->labelText->setStyleSheet(QStringLiteral("color: rgba(238, 71, 71,%1);").arg(m_iAlpha));
}

void CQToast::setIcon(const QPixmap &icon)
{
    m_icon = icon;
    setAlpha(m_iAlpha);
}

void CQToast::closeEvent(QCloseEvent *event)
{
    // The fade and the timer share a duration but not a clock: land the fade on its end value so
    // the toast always leaves fully clear.
    if (m_pAnimation && m_pAnimation->state() == QAbstractAnimation::Running)
        m_pAnimation->setCurrentTime(m_pAnimation->duration());
    QWidget::closeEvent(event);
}

} // namespace ShareCode
