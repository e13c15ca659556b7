// The form check of widget tests: every shown control a user acts on has an accessible name, as
// screen readers and the end-to-end tests read it (Qt falls back to a button's text).
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>

namespace accessible {

// Object names of the controls under pRoot, shown with it, that have no accessible name.
inline QStringList unnamedControls(QWidget *pRoot)
{
    QStringList unnamed;
    const auto widgets = pRoot->findChildren<QWidget *>();
    for (QWidget *pWidget : widgets) {
        // A read-only edit (the player's times) is a display, read out by its text.
        const auto *pEdit = qobject_cast<QLineEdit *>(pWidget);
        const bool bControl =
            qobject_cast<QAbstractButton *>(pWidget) || qobject_cast<QAbstractSlider *>(pWidget) ||
            qobject_cast<QComboBox *>(pWidget) || (pEdit && !pEdit->isReadOnly()) ||
            qobject_cast<QAbstractItemView *>(pWidget);
        if (!bControl || !pWidget->isVisibleTo(pRoot) || !pWidget->isEnabledTo(pRoot))
            continue;
        QAccessibleInterface *pInterface = QAccessible::queryAccessibleInterface(pWidget);
        if (!pInterface || pInterface->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << pWidget->objectName();
    }
    return unnamed;
}

} // namespace accessible
