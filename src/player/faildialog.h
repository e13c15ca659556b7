// SPDX-License-Identifier: GPL-3.0-or-later
// Reports a failed import or export: a short title and the error text, wrapped onto a few lines,
// or a list of what failed and why.
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
    // Wrapped to the label's fixed width (at spaces, or anywhere in a path) onto up to
    // kMaxMessageLines lines, the card growing downwards for each line beyond the first; only
    // a longer text is elided at the right. The whole text stays available as the label's
    // accessible description, and as its tool tip when elided.
    void setErrorMessage(const QString &szMessage);
    // One line per failed item (a file's name and its reason), shown in full in a box that
    // scrolls when the list is long and whose text can be selected and copied; it takes the
    // one-line message's place, whose text stays the summary for screen readers.
    void setErrorList(const QStringList &lines);
    QPlainTextEdit *errorList() const { return m_pErrorList; }

    static constexpr int kMaxMessageLines = 4;

private:
    std::unique_ptr<Ui::FailDialogClass> ui;
    QPlainTextEdit *m_pErrorList = nullptr;
};
