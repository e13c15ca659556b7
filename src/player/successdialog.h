// Interim stand-in for the success dialog (replaced by the real one).
#pragma once
#include <QDialog>
class SuccessDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SuccessDialog(QWidget *parent = nullptr) : QDialog(parent)
    {
        setAttribute(Qt::WA_DeleteOnClose);
    }
signals:
    void sig_explorerFolderRequest();
};
