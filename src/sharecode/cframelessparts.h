// SPDX-License-Identifier: GPL-3.0-or-later
// Controllers of the caption's application menu and of the bottom bar's links.
#pragma once

#include <QObject>

class QPushButton;
class QWidget;

namespace ShareCode {

// Window interface base; other parts reach the window through its concrete class.
class CQWindowAdaptor
{
public:
    virtual ~CQWindowAdaptor() = default;
};

// The application menu leads to online help, feedback and about pages that this build does not
// have; the button is shown so the caption keeps its layout, and does nothing.
class CFrameLessCaption : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void attach(QPushButton *pMenuButton);
};

// Web site, online support and update check: services this build does not have. The update
// button stays hidden.
class CFrameLessBottom : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void attach(QPushButton *pOfficeWeb, QPushButton *pOnlineKeFu, QPushButton *pUpDate,
                QWidget *pWebAdv);
};

} // namespace ShareCode
