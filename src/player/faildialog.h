// Reports a failed import or export: a short title and the error text, elided to one line.
#pragma once

#include <QDialog>

#include <memory>

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

private:
    std::unique_ptr<Ui::FailDialogClass> ui;
};
