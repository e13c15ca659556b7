// SPDX-License-Identifier: GPL-3.0-or-later
// Shadow layer.
#include "cqwidgetshadow.h"

#include <QVBoxLayout>

namespace ShareCode {

CQWidgetShadow::CQWidgetShadow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CQWidgetShadow"));
    setWindowTitle(QStringLiteral("CQWidgetShadow"));
    resize(748, 476);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setObjectName(QStringLiteral("verticalLayout"));
    m_pLayout->setSpacing(0);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pBG = new QWidget(this);
    m_pBG->setObjectName(QStringLiteral("uiBG"));
    m_pBG->setStyleSheet(QStringLiteral("#uiBG{background-color: rgba(51, 51, 51, 136);}"));
    m_pLayout->addWidget(m_pBG);
}

} // namespace ShareCode
