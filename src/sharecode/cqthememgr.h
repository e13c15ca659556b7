// SPDX-License-Identifier: GPL-3.0-or-later
// Per-widget theme style sheets and themed resource paths.
#pragma once

#include "singletoncls.h"

#include <QObject>

class QWidget;

namespace ShareCode {

class CQThemeMgr : public QObject, public SingletonCls<CQThemeMgr>
{
    Q_OBJECT
public:
    explicit CQThemeMgr(QObject *parent = nullptr);

    QString themeName() const { return m_szThemeName; }
    // The program itself never sets a theme; tools and tests may.
    void setThemeName(const QString &szName) { m_szThemeName = szName; }

    // Loads <theme>/qss/<objectName>.qss (application folder first, then resources) into pWidget
    // after clearing the style sheets of it and its descendants. False when nothing was applied.
    bool apply(QWidget *pWidget);
    // The path of a themed resource: the application folder's copy, the theme's resource, or the
    // default theme's resource.
    void resolve(const QString &szName, QString &szPath) const;

private:
    QString m_szThemeName;
    QString m_szDefaultTheme;
};

} // namespace ShareCode
