// Message dialog look: white card, bold title, accent confirm button.
#include "dialogstyle.h"

namespace ShareCode {

QString messageDialogStyleSheet(const QString &szCloseImage1, const QString &szCloseImage2,
                                const QString &szCloseImage3, const QString &szCloseImage4)
{
    return QStringLiteral(
               "#uiFrame{background-color:#FFFFFF;border:1px solid #E6E6EB;border-radius:10px;}"
               "#labAppTilte{font-family:\"Microsoft YaHei\";font-size:14px;font-weight:bold;"
               "color:#000000;}"
               "#uiTip{font-family:\"Microsoft YaHei\";font-size:14px;color:#333333;"
               "padding:0px 24px;}"
               "#uiTip2{font-family:\"Microsoft YaHei\";font-size:12px;color:#999999;"
               "padding:0px 24px;}"
               "#btnClose{border:0px;border-image:url(%1);}"
               "#btnClose:hover{border-image:url(%2);}"
               "#btnClose:pressed{border-image:url(%3);}"
               "#btnClose:disabled{border-image:url(%4);}"
               "#btnCancel{border:0px;font-family:\"Microsoft YaHei\";font-size:14px;"
               "color:#333333;border-image:url(:/theme_local/imgs/tip_btn_cancel1.png);}"
               "#btnCancel:hover{color:#5C46F4;"
               "border-image:url(:/theme_local/imgs/tip_btn_cancel2.png);}"
               "#btnCancel:pressed{color:#4A36D8;"
               "border-image:url(:/theme_local/imgs/tip_btn_cancel3.png);}"
               "#btnOK,#btnOK_2{border:0px;font-family:\"Microsoft YaHei\";font-size:14px;"
               "color:#FFFFFF;border-image:url(:/theme_local/imgs/tip_btn_ok1.png);}"
               "#btnOK:hover,#btnOK_2:hover{"
               "border-image:url(:/theme_local/imgs/tip_btn_ok2.png);}"
               "#btnOK:pressed,#btnOK_2:pressed{"
               "border-image:url(:/theme_local/imgs/tip_btn_ok3.png);}")
        .arg(szCloseImage1, szCloseImage2, szCloseImage3, szCloseImage4);
}

} // namespace ShareCode
