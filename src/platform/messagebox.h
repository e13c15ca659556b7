// SPDX-License-Identifier: GPL-3.0-or-later
// A parentless modal message box with one OK button, replaceable for tests.
#pragma once

#include <QString>

namespace platform {

class MessageBoxSink
{
public:
    virtual ~MessageBoxSink() = default;
    virtual void show(const QString &szCaption, const QString &szText) = 0;
};

// The real one: a modal QMessageBox without owner window.
MessageBoxSink *systemMessageBox();

} // namespace platform
