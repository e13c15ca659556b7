// Interim stand-in for the add-pictures button (replaced by the real widget).
#pragma once
#include <QWidget>
class AddImageButton : public QWidget
{
    Q_OBJECT
public:
    explicit AddImageButton(QWidget *parent = nullptr) : QWidget(parent) { setFixedSize(300, 54); }
signals:
    void sig_clickedContent();
};
