// SPDX-License-Identifier: GPL-3.0-or-later
// Paints the rows of the styled combo box's pop-up: rounded highlight, check mark, paddings.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QItemDelegate>

class QComboBox;

namespace ShareCode {

class CQComboBoxItemDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    enum Position
    {
        NonePosition = -1,
        LeftPosition = 0,
        RightPosition = 1
    };
    Q_ENUM(Position)

    CQComboBoxItemDelegate(QObject *parent, QComboBox *pComboBox);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Distance of the check mark from the row's left or right edge.
    static constexpr int kCheckMarkInset = 8;
    // Gap between an item icon and the text.
    static constexpr int kIconTextGap = 6;

    QComboBox *m_pComboBox;
    int m_iBorderWidth = 1;
    QColor m_stBorderColor;
    double m_lfBorderRadius = 0;
    int m_iItemHeight = -1;
    QColor m_stSelectionBackgroundColor;
    QColor m_stSelectionColor; // kept for style sheets; rows are not painted with it
    QFont m_stFont;
    QIcon m_stCheckedIcon;
    Position m_eCheckedIconPosition = RightPosition;
    Qt::TextElideMode m_eElideMode = Qt::ElideNone;
    Qt::Alignment m_eTextAlignment = Qt::AlignLeft;
    int m_iContentLeftPadding = 0;
    int m_iContentRightPadding = 0;
};

} // namespace ShareCode
