// SPDX-License-Identifier: GPL-3.0-or-later
// Caption and bottom-bar controllers.
#include "cframelessparts.h"

#include <QPushButton>

namespace ShareCode {

void CFrameLessCaption::attach(QPushButton *pMenuButton)
{
    if (pMenuButton)
        pMenuButton->setEnabled(true);
}

void CFrameLessBottom::attach(QPushButton *pOfficeWeb, QPushButton *pOnlineKeFu,
                              QPushButton *pUpDate, QWidget *pWebAdv)
{
    Q_UNUSED(pOfficeWeb);
    Q_UNUSED(pOnlineKeFu);
    Q_UNUSED(pWebAdv);
    if (pUpDate)
        pUpDate->hide();
}

} // namespace ShareCode
