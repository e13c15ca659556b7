// Interim stand-in for the failure dialog (replaced by the real one).
#pragma once
#include <QDialog>
class FailDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FailDialog(QWidget *parent = nullptr) : QDialog(parent) {}
    void setTitle(const QString &) {}
    void setErrorMessage(const QString &) {}
};
