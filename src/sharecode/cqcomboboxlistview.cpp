// SPDX-License-Identifier: GPL-3.0-or-later
// Combo box pop-up list.
#include "cqcomboboxlistview.h"

#include <QComboBox>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyleOptionMenuItem>

namespace ShareCode {

CQComboBoxListView::CQComboBoxListView(QComboBox *pComboBox)
    : QListView(nullptr), m_pComboBox(pComboBox)
{
    QAbstractItemDelegate *pOld = itemDelegate();
    setItemDelegate(new CQComboBoxItemDelegate(pComboBox, pComboBox));
    delete pOld;
}

CQComboBoxItemDelegate *CQComboBoxListView::delegate() const
{
    return qobject_cast<CQComboBoxItemDelegate *>(itemDelegate());
}

// Properties live in the delegate; with a foreign delegate writes do nothing and reads give the
// type's default.
#define VM_DELEGATE_PROPERTY(Type, getter, setter, member)                                         \
    Type CQComboBoxListView::getter() const                                                        \
    {                                                                                              \
        CQComboBoxItemDelegate *d = delegate();                                                    \
        return d ? d->member : Type();                                                             \
    }                                                                                              \
    void CQComboBoxListView::setter(Type value)                                                    \
    {                                                                                              \
        if (CQComboBoxItemDelegate *d = delegate()) {                                              \
            d->member = value;                                                                     \
            viewport()->update();                                                                  \
        }                                                                                          \
    }

VM_DELEGATE_PROPERTY(int, itemBorderWidth, setItemBorderWidth, m_iBorderWidth)
VM_DELEGATE_PROPERTY(double, itemBorderRadius, setItemBorderRadius, m_lfBorderRadius)
VM_DELEGATE_PROPERTY(int, itemContentLeftPadding, setItemContentLeftPadding, m_iContentLeftPadding)
VM_DELEGATE_PROPERTY(int, itemContentRightPadding, setItemContentRightPadding,
                     m_iContentRightPadding)
VM_DELEGATE_PROPERTY(Qt::TextElideMode, itemTextElideMode, setItemTextElideMode, m_eElideMode)
VM_DELEGATE_PROPERTY(Qt::Alignment, itemTextAlignment, setItemTextAlignment, m_eTextAlignment)
#undef VM_DELEGATE_PROPERTY

int CQComboBoxListView::itemHeight() const
{
    CQComboBoxItemDelegate *d = delegate();
    return d ? d->m_iItemHeight : 0;
}

void CQComboBoxListView::setItemHeight(int iHeight)
{
    if (CQComboBoxItemDelegate *d = delegate()) {
        d->m_iItemHeight = iHeight;
        doItemsLayout(); // row heights come from the delegate's size hint
    }
}

QColor CQComboBoxListView::itemBorderColor() const
{
    CQComboBoxItemDelegate *d = delegate();
    return d ? d->m_stBorderColor : QColor();
}

void CQComboBoxListView::setItemBorderColor(const QColor &stColor)
{
    if (CQComboBoxItemDelegate *d = delegate())
        d->m_stBorderColor = stColor;
}

QColor CQComboBoxListView::selectionBackgroudColor() const
{
    CQComboBoxItemDelegate *d = delegate();
    return d ? d->m_stSelectionBackgroundColor : QColor();
}

void CQComboBoxListView::setSelectionBackgroudColor(const QColor &stColor)
{
    if (CQComboBoxItemDelegate *d = delegate())
        d->m_stSelectionBackgroundColor = stColor;
}

QColor CQComboBoxListView::selectionColor() const
{
    CQComboBoxItemDelegate *d = delegate();
    return d ? d->m_stSelectionColor : QColor();
}

void CQComboBoxListView::setSelectionColor(const QColor &stColor)
{
    if (CQComboBoxItemDelegate *d = delegate())
        d->m_stSelectionColor = stColor;
}

CQComboBoxItemDelegate::Position CQComboBoxListView::checkedIconPosition() const
{
    CQComboBoxItemDelegate *d = delegate();
    return d ? d->m_eCheckedIconPosition : CQComboBoxItemDelegate::NonePosition;
}

void CQComboBoxListView::setCheckedIconPosition(CQComboBoxItemDelegate::Position ePosition)
{
    if (CQComboBoxItemDelegate *d = delegate())
        d->m_eCheckedIconPosition = ePosition;
}

QIcon CQComboBoxListView::checkedIcon() const
{
    CQComboBoxItemDelegate *d = delegate();
    return d ? d->m_stCheckedIcon : QIcon();
}

void CQComboBoxListView::setCheckedIcon(const QIcon &icon)
{
    if (CQComboBoxItemDelegate *d = delegate())
        d->m_stCheckedIcon = icon;
}

int CQComboBoxListView::itemWidth() const
{
    return width();
}

void CQComboBoxListView::setItemWidth(int iWidth)
{
    setFixedWidth(iWidth);
}

QStyleOptionViewItem CQComboBoxListView::viewOptions() const
{
    QStyleOptionViewItem option = QListView::viewOptions();
    option.showDecorationSelected = true;
    if (m_pComboBox)
        option.font = m_pComboBox->font();
    return option;
}

void CQComboBoxListView::resizeEvent(QResizeEvent *event)
{
    resizeContents(viewport()->width(), contentsSize().height());
    QListView::resizeEvent(event);
}

void CQComboBoxListView::paintEvent(QPaintEvent *event)
{
    if (m_pComboBox) {
        QStyleOptionComboBox comboOption;
        comboOption.initFrom(m_pComboBox);
        comboOption.editable = m_pComboBox->isEditable();
        if (m_pComboBox->style()->styleHint(QStyle::SH_ComboBox_Popup, &comboOption, m_pComboBox)) {
            QStyleOptionMenuItem menuOption;
            menuOption.initFrom(this);
            menuOption.palette = palette();
            menuOption.state = QStyle::State_None;
            menuOption.checkType = QStyleOptionMenuItem::NotCheckable;
            menuOption.menuRect = event->rect();
            menuOption.maxIconWidth = 0;
            menuOption.tabWidth = 0;
            QPainter painter(viewport());
            m_pComboBox->style()->drawControl(QStyle::CE_MenuEmptyArea, &menuOption, &painter,
                                              this);
        }
    }
    QListView::paintEvent(event);
}

} // namespace ShareCode
