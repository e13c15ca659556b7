// Style sheet shared by the small white message dialogs.
#pragma once

#include <QString>

namespace ShareCode {

// szCloseImage is the close button's image without its "_1.png" .. "_4.png" state suffix.
QString messageDialogStyleSheet(const QString &szCloseImage1, const QString &szCloseImage2,
                                const QString &szCloseImage3, const QString &szCloseImage4);

} // namespace ShareCode
