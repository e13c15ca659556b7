// SPDX-License-Identifier: GPL-3.0-or-later
// Combo box row painter.
#include "cqcomboboxitemdelegate.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPainter>
#include <QPainterPath>

namespace ShareCode {

namespace {
bool isSeparator(const QModelIndex &index)
{
    return index.data(Qt::AccessibleDescriptionRole).toString() == QLatin1String("separator");
}
} // namespace

CQComboBoxItemDelegate::CQComboBoxItemDelegate(QObject *parent, QComboBox *pComboBox)
    : QItemDelegate(parent), m_pComboBox(pComboBox),
      m_stBorderColor(pComboBox->palette().color(QPalette::Text)),
      m_stSelectionBackgroundColor(pComboBox->palette().color(QPalette::Highlight)),
      m_stSelectionColor(pComboBox->palette().color(QPalette::HighlightedText)),
      m_stFont(pComboBox->font())
{
}

QSize CQComboBoxItemDelegate::sizeHint(const QStyleOptionViewItem &option,
                                       const QModelIndex &index) const
{
    if (isSeparator(index)) {
        const int iPm =
            m_pComboBox->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, m_pComboBox);
        return QSize(iPm, iPm);
    }
    QSize stSize = QItemDelegate::sizeHint(option, index);
    if (m_iItemHeight != -1)
        stSize.setHeight(m_iItemHeight);
    return stSize;
}

void CQComboBoxItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    const QRect R = option.rect;
    if (isSeparator(index)) {
        QStyleOption opt;
        opt.rect = R;
        if (auto *pView = qobject_cast<const QAbstractItemView *>(option.widget))
            opt.rect.setWidth(pView->viewport()->width());
        m_pComboBox->style()->drawPrimitive(QStyle::PE_IndicatorToolBarSeparator, &opt, painter,
                                            m_pComboBox);
        return;
    }

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);

    const bool bEnabled = option.state.testFlag(QStyle::State_Enabled);
    const bool bHover = option.state.testFlag(QStyle::State_MouseOver);
    const bool bCurrent = index.row() == m_pComboBox->currentIndex();
    const QSize stIconSize = m_pComboBox->iconSize();
    if (bHover || bCurrent) {
        if (bEnabled) {
            if (m_iBorderWidth > 0)
                painter->setPen(QPen(m_stBorderColor, m_iBorderWidth, Qt::SolidLine));
            else
                painter->setPen(Qt::NoPen);
            QPainterPath path;
            path.addRoundedRect(QRectF(R), m_lfBorderRadius, m_lfBorderRadius);
            painter->setClipPath(path);
            painter->fillPath(path, m_stSelectionBackgroundColor);
        }
        if (bCurrent && !m_stCheckedIcon.isNull() && m_eCheckedIconPosition != NonePosition) {
            const int iX = m_eCheckedIconPosition == LeftPosition
                               ? R.x() + kCheckMarkInset
                               : R.x() + R.width() - stIconSize.width() - kCheckMarkInset;
            const QRect stIconRect(iX, R.y() + (R.height() - stIconSize.height()) / 2,
                                   stIconSize.width(), stIconSize.height());
            m_stCheckedIcon.paint(painter, stIconRect, Qt::AlignCenter, QIcon::Normal, QIcon::Off);
        }
    }

    QRect stItemIconRect;
    const QIcon itemIcon = m_pComboBox->itemIcon(index.row());
    if (!itemIcon.isNull()) {
        stItemIconRect =
            QRect(R.x() + m_iContentLeftPadding, R.y() + (R.height() - stIconSize.height()) / 2,
                  stIconSize.width(), stIconSize.height());
        itemIcon.paint(painter, stItemIconRect, Qt::AlignCenter, QIcon::Normal, QIcon::Off);
    }

    const QString szText = m_pComboBox->itemText(index.row());
    if (!szText.isEmpty()) {
        QRect stTextRect = R;
        stTextRect.setLeft(stItemIconRect.isValid() ? stItemIconRect.right() + kIconTextGap
                                                    : m_iContentLeftPadding);
        stTextRect.setWidth(stTextRect.width() - m_iContentRightPadding);
        // The box's current font, so that a style-sheet font set after construction counts.
        const QFont stFont = m_pComboBox->font();
        painter->setFont(stFont);
        painter->setPen(bEnabled ? option.palette.color(QPalette::Text) : QColor("#7F7F7F"));
        const QString szShown =
            QFontMetrics(stFont).elidedText(szText, m_eElideMode, stTextRect.width());
        painter->drawText(stTextRect, static_cast<int>(m_eTextAlignment), szShown);
    }
    painter->restore();
}

} // namespace ShareCode
