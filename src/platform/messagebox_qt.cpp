// SPDX-License-Identifier: GPL-3.0-or-later
// QMessageBox-backed message box.
#include "messagebox.h"

#include <QMessageBox>

namespace platform {

namespace {
class QtMessageBoxSink final : public MessageBoxSink
{
public:
    void show(const QString &szCaption, const QString &szText) override
    {
        QMessageBox box(QMessageBox::Information, szCaption, szText, QMessageBox::Ok);
        box.exec();
    }
};
} // namespace

MessageBoxSink *systemMessageBox()
{
    static QtMessageBoxSink s_box;
    return &s_box;
}

} // namespace platform
