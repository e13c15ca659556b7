// SPDX-License-Identifier: GPL-3.0-or-later
// Reports a failed import or export: a short title and the error text, elided to one line, or
// a list of what failed and why.
#pragma once

#include <QDialog>

#include <memory>

class QPlainTextEdit;

namespace Ui {
struct FailDialogClass;
}

class FailDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FailDialog(QWidget *parent = nullptr);
    ~FailDialog() override;

    // Shown as it is, e.g. "Import failed..." or "Partial import failed...".
    void setTitle(const QString &szTitle);
    // Shown on one line, elided at the right to the label's fixed width; the whole text stays
    // available as the label's tool tip and accessible description.
    void setErrorMessage(const QString &szMessage);
    // One line per failed item (a file's name and its reason), shown in full in a box that
    // scrolls when the list is long and whose text can be selected and copied; it takes the
    // one-line message's place, whose text stays the summary for screen readers.
    void setErrorList(const QStringList &lines);
    QPlainTextEdit *errorList() const { return m_pErrorList; }

private:
    std::unique_ptr<Ui::FailDialogClass> ui;
    QPlainTextEdit *m_pErrorList = nullptr;
};
