// SPDX-License-Identifier: GPL-3.0-or-later
// The styled combo box's pop-up list; its look is set through qproperty style-sheet declarations.
#pragma once

#include "cqcomboboxitemdelegate.h"

#include <QListView>

class QComboBox;

namespace ShareCode {

class CQComboBoxListView : public QListView
{
    Q_OBJECT
    Q_PROPERTY(int itemBorderWidth READ itemBorderWidth WRITE setItemBorderWidth)
    Q_PROPERTY(QColor itemBorderColor READ itemBorderColor WRITE setItemBorderColor)
    Q_PROPERTY(double itemBorderRadius READ itemBorderRadius WRITE setItemBorderRadius)
    Q_PROPERTY(int itemWidth READ itemWidth WRITE setItemWidth)
    Q_PROPERTY(int itemHeight READ itemHeight WRITE setItemHeight)
    Q_PROPERTY(QColor selectionBackgroudColor READ selectionBackgroudColor WRITE
                   setSelectionBackgroudColor)
    Q_PROPERTY(QColor selectionColor READ selectionColor WRITE setSelectionColor)
    Q_PROPERTY(ShareCode::CQComboBoxItemDelegate::Position checkedIconPosition READ
                   checkedIconPosition WRITE setCheckedIconPosition)
    Q_PROPERTY(QIcon checkedIcon READ checkedIcon WRITE setCheckedIcon)
    Q_PROPERTY(
        Qt::TextElideMode itemTextElideMode READ itemTextElideMode WRITE setItemTextElideMode)
    Q_PROPERTY(Qt::Alignment itemTextAlignment READ itemTextAlignment WRITE setItemTextAlignment)
    Q_PROPERTY(
        int itemContentLeftPadding READ itemContentLeftPadding WRITE setItemContentLeftPadding)
    Q_PROPERTY(
        int itemContentRightPadding READ itemContentRightPadding WRITE setItemContentRightPadding)
public:
    explicit CQComboBoxListView(QComboBox *pComboBox);

    int itemBorderWidth() const;
    void setItemBorderWidth(int iWidth);
    QColor itemBorderColor() const;
    void setItemBorderColor(const QColor &stColor);
    double itemBorderRadius() const;
    void setItemBorderRadius(double lfRadius);
    int itemWidth() const;
    void setItemWidth(int iWidth);
    int itemHeight() const;
    void setItemHeight(int iHeight);
    QColor selectionBackgroudColor() const;
    void setSelectionBackgroudColor(const QColor &stColor);
    QColor selectionColor() const;
    void setSelectionColor(const QColor &stColor);
    CQComboBoxItemDelegate::Position checkedIconPosition() const;
    void setCheckedIconPosition(CQComboBoxItemDelegate::Position ePosition);
    QIcon checkedIcon() const;
    void setCheckedIcon(const QIcon &icon);
    Qt::TextElideMode itemTextElideMode() const;
    void setItemTextElideMode(Qt::TextElideMode eMode);
    Qt::Alignment itemTextAlignment() const;
    void setItemTextAlignment(Qt::Alignment eAlignment);
    int itemContentLeftPadding() const;
    void setItemContentLeftPadding(int iPadding);
    int itemContentRightPadding() const;
    void setItemContentRightPadding(int iPadding);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    QStyleOptionViewItem viewOptions() const override;

private:
    CQComboBoxItemDelegate *delegate() const;

    QComboBox *m_pComboBox;
};

} // namespace ShareCode
