// SPDX-License-Identifier: GPL-3.0-or-later
// Theme manager.
#include "cqthememgr.h"

#include <QCoreApplication>
#include <QFile>
#include <QWidget>

namespace ShareCode {

namespace {
bool canRead(const QString &szPath)
{
    QFile file(szPath);
    return file.open(QIODevice::ReadOnly);
}
} // namespace

CQThemeMgr::CQThemeMgr(QObject *parent)
    : QObject(parent), m_szDefaultTheme(QStringLiteral("theme_default"))
{
}

bool CQThemeMgr::apply(QWidget *pWidget)
{
    if (m_szThemeName.isEmpty() || !pWidget || pWidget->objectName().isEmpty())
        return false;
    const QString szRelative =
        m_szThemeName + QStringLiteral("/qss/") + pWidget->objectName() + QStringLiteral(".qss");
    QFile file(QCoreApplication::applicationDirPath() + QLatin1Char('/') + szRelative);
    if (!file.open(QIODevice::ReadOnly)) {
        file.setFileName(QStringLiteral(":/") + szRelative);
        if (!file.open(QIODevice::ReadOnly))
            return false;
    }
    const QString szSheet = QString::fromUtf8(file.readAll());
    if (szSheet.isEmpty())
        return false;
    const auto children = pWidget->findChildren<QWidget *>();
    for (QWidget *pChild : children)
        pChild->setStyleSheet(QString());
    pWidget->setStyleSheet(szSheet);
    return true;
}

void CQThemeMgr::resolve(const QString &szName, QString &szPath) const
{
    if (!m_szThemeName.isEmpty() && !szName.isEmpty()) {
        const QString szLocal = QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                                m_szThemeName + QLatin1Char('/') + szName;
        if (canRead(szLocal)) {
            szPath = szLocal;
            return;
        }
        const QString szResource = QStringLiteral(":/") + m_szThemeName + QLatin1Char('/') + szName;
        if (canRead(szResource)) {
            szPath = szResource;
            return;
        }
    }
    szPath = QStringLiteral(":/") + m_szDefaultTheme + QLatin1Char('/') + szName;
}

} // namespace ShareCode
