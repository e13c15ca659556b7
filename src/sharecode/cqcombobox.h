// SPDX-License-Identifier: GPL-3.0-or-later
// The application's drop-down list: rounded translucent pop-up with its own row painter.
#pragma once

#include <QComboBox>

namespace ShareCode {

class CQComboBox : public QComboBox
{
    Q_OBJECT
    Q_PROPERTY(bool effectEnabled READ effectEnabled WRITE setEffectEnabled)
    Q_PROPERTY(int spacingBetweenBoxAndListView READ spacingBetweenBoxAndListView WRITE
                   setSpacingBetweenBoxAndListView)
public:
    explicit CQComboBox(QWidget *parent = nullptr);

    void showPopup() override;

    bool effectEnabled() const { return m_bEffectEnabled; }
    void setEffectEnabled(bool bEnabled) { m_bEffectEnabled = bEnabled; }
    int spacingBetweenBoxAndListView() const { return m_iSpacing; }
    void setSpacingBetweenBoxAndListView(int iSpacing) { m_iSpacing = iSpacing; }

private:
    bool m_bEffectEnabled = false;
    int m_iSpacing = 0; // pixels between the box and its pop-up
};

} // namespace ShareCode
