// Interim stand-in for the progress dialog (replaced by the real one).
#pragma once
#include <QDialog>
#include <QTimer>
class ProgressDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget *parent = nullptr) : QDialog(parent)
    {
        setAttribute(Qt::WA_DeleteOnClose);
    }
    void setTextPrefix(const QString &) {}
    void setValue(int) {}
    void setBackgroundPicture(const QString &) {}
public slots:
    void closeAfterTime(int iMs) { QTimer::singleShot(iMs, this, &QWidget::close); }
signals:
    void sig_hided();
};
