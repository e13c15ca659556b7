// Interim stand-in for the font dialog (replaced by the real one).
#pragma once
#include <QColor>
#include <QDialog>
#include <QFont>
class FontDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FontDialog(QWidget *parent = nullptr) : QDialog(parent) {}
    void setCurrentFont(const QFont &) {}
    void setCurrentColor(const QColor &) {}
signals:
    void currentFontChanged(QFont stFont);
    void fontSelected(QFont stFont);
    void currentColorChanged(QColor stColor);
    void colorSelected(QColor stColor);
};
