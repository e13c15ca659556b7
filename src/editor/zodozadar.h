// The album editor that fills the main window's content area.
#pragma once

#include <QWidget>

class ZodoZadar : public QWidget
{
    Q_OBJECT
public:
    explicit ZodoZadar(QWidget *parent = nullptr);

public slots:
    // The main window's close button: with nothing to lose yet, closing needs no confirmation.
    void closeRequest();
};
