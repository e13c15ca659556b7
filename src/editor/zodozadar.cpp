// Album editor.
#include "zodozadar.h"

#include "cframelesswindow.h"

ZodoZadar::ZodoZadar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ZodoZadarClass"));
    if (auto *pFrame = ShareCode::CFramelessWindow::instance())
        connect(pFrame, &ShareCode::CFramelessWindow::signal_close, this, &ZodoZadar::closeRequest);
}

void ZodoZadar::closeRequest()
{
    if (QWidget *pWindow = window())
        pWindow->close();
}
