// SPDX-License-Identifier: GPL-3.0-or-later
// Styled combo box.
#include "cqcombobox.h"

#include "cqcomboboxlistview.h"
#include "translucentwindow.h"

#include "translucency.h"

#include <QApplication>

namespace ShareCode {

CQComboBox::CQComboBox(QWidget *parent) : QComboBox(parent)
{
    setView(new CQComboBoxListView(this));
    QWidget *pPopup = view()->window();
    pPopup->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    pPopup->setAttribute(Qt::WA_TranslucentBackground);
    fitTranslucentWindow(pPopup, 10);
}

void CQComboBox::showPopup()
{
    const bool bWasAnimated = QApplication::isEffectEnabled(Qt::UI_AnimateCombo);
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, m_bEffectEnabled);
    QComboBox::showPopup();
    QWidget *pPopup = view()->window();
    pPopup->move(pPopup->x(), pPopup->y() + m_iSpacing);
    if (platform::windowTranslucencySupported())
        pPopup->setAttribute(Qt::WA_TranslucentBackground);
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, bWasAnimated);
}

} // namespace ShareCode
