// SPDX-License-Identifier: GPL-3.0-or-later
// System suspend and resume notifications, replaceable for tests.
#pragma once

#include <QObject>

namespace platform {

class PowerEventSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void suspending(); // the system is about to sleep
    void resumed();    // the system woke up again
};

// logind's PrepareForSleep on the system bus. Without a system bus (or without logind) the source
// never emits and reports nothing.
PowerEventSource *createSystemPowerEventSource(QObject *pParent);

} // namespace platform
