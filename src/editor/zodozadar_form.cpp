// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's form: top bar, settings area, player and source strip.
#include "zodozadar_form.h"

#include "addimagebutton.h"
#include "cqcombobox.h"
#include "cqvideoplay.h"
#include "imagelistview.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace Ui {

namespace {
template <class T> T *make(QWidget *pParent, const char *szName)
{
    auto *p = new T(pParent);
    p->setObjectName(QString::fromLatin1(szName));
    return p;
}

QWidget *container(QWidget *pParent, const char *szName)
{
    QWidget *p = make<QWidget>(pParent, szName);
    // Plain containers paint their style-sheet background only with this attribute.
    p->setAttribute(Qt::WA_StyledBackground);
    return p;
}

QHBoxLayout *hbox(QWidget *pOwner, const char *szName, int iSpacing, QMargins margins)
{
    auto *p = new QHBoxLayout(pOwner);
    p->setObjectName(QString::fromLatin1(szName));
    p->setSpacing(iSpacing);
    p->setContentsMargins(margins);
    return p;
}
} // namespace

void ZodoZadarClass::setupUi(QWidget *ZodoZadarClass)
{
    ZodoZadarClass->setObjectName(QStringLiteral("ZodoZadarClass"));
    ZodoZadarClass->setAttribute(Qt::WA_StyledBackground);
    ZodoZadarClass->resize(900, 520);
    verticalLayout = new QVBoxLayout(ZodoZadarClass);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    // Top bar: the two output lists and the export button.
    widget = container(ZodoZadarClass, "widget");
    widget->setFixedHeight(52);
    horizontalLayout = hbox(widget, "horizontalLayout", 10, {16, 0, 16, 0});
    labelTitle = make<QLabel>(widget, "labelTitle");
    horizontalLayout->addWidget(labelTitle);
    horizontalLayout->addStretch(1);
    comboVideoRatio = make<ShareCode::CQComboBox>(widget, "comboVideoRatio");
    comboVideoRatio->setMaxVisibleItems(6);
    comboVideoRatio->setFixedSize(178, 32);
    comboVideoRatio->setSpacingBetweenBoxAndListView(4);
    horizontalLayout->addWidget(comboVideoRatio);
    comboVideoHeight = make<ShareCode::CQComboBox>(widget, "comboVideoHeight");
    comboVideoHeight->setFixedSize(96, 32);
    comboVideoHeight->setSpacingBetweenBoxAndListView(4);
    horizontalLayout->addWidget(comboVideoHeight);
    btnExport = make<QPushButton>(widget, "btnExport");
    btnExport->setFixedSize(96, 32);
    btnExport->setCursor(Qt::PointingHandCursor);
    horizontalLayout->addWidget(btnExport);
    verticalLayout->addWidget(widget);

    // Middle band.
    widget_5 = container(ZodoZadarClass, "widget_5");
    horizontalLayout_5 = hbox(widget_5, "horizontalLayout_5", 12, {12, 12, 12, 12});
    divSetting = container(widget_5, "divSetting");
    divSetting->setFixedWidth(364);
    verticalLayout_2 = new QVBoxLayout(divSetting);
    verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
    verticalLayout_2->setSpacing(0);
    verticalLayout_2->setContentsMargins(0, 0, 0, 0);
    divSettingHead = container(divSetting, "divSettingHead");
    divSettingHead->setFixedHeight(40);
    horizontalLayout_2 = hbox(divSettingHead, "horizontalLayout_2", 0, {14, 0, 14, 0});
    btnSetting = make<QPushButton>(divSettingHead, "btnSetting");
    btnSetting->setFocusPolicy(Qt::NoFocus);
    horizontalLayout_2->addWidget(btnSetting);
    horizontalLayout_2->addStretch(1);
    verticalLayout_2->addWidget(divSettingHead);

    // A small window scrolls the settings rather than cutting off the position grid.
    scrollSettingContent = new QScrollArea(divSetting);
    scrollSettingContent->setObjectName(QStringLiteral("scrollSettingContent"));
    scrollSettingContent->setFrameShape(QFrame::NoFrame);
    scrollSettingContent->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollSettingContent->setWidgetResizable(true);
    scrollSettingContent->setStyleSheet(QStringLiteral(
        "#scrollSettingContent,#scrollSettingContent>QWidget{background:transparent;}"
        "QScrollBar:vertical{width:6px;background:transparent;margin:2px 0;}"
        "QScrollBar::handle:vertical{background:#D8D8E0;border-radius:3px;"
        "min-height:24px;}"
        "QScrollBar::add-line,QScrollBar::sub-line{height:0px;}"
        "QScrollBar::add-page,QScrollBar::sub-page{background:transparent;}"));
    divSettingContent = container(scrollSettingContent, "divSettingContent");
    verticalLayout_3 = new QVBoxLayout(divSettingContent);
    verticalLayout_3->setObjectName(QStringLiteral("verticalLayout_3"));
    verticalLayout_3->setSpacing(14);
    verticalLayout_3->setContentsMargins(14, 12, 14, 12);

    divDuration = container(divSettingContent, "divDuration");
    horizontalLayout_3 = hbox(divDuration, "horizontalLayout_3", 6, {0, 0, 0, 0});
    labelImageDuration = make<QLabel>(divDuration, "labelImageDuration");
    horizontalLayout_3->addWidget(labelImageDuration);
    boxImageDuration = make<QSpinBox>(divDuration, "boxImageDuration");
    boxImageDuration->setWrapping(false);
    boxImageDuration->setRange(-999999999, 999999999);
    boxImageDuration->setValue(1);
    boxImageDuration->setFixedSize(56, 28);
    boxImageDuration->setAlignment(Qt::AlignCenter);
    horizontalLayout_3->addWidget(boxImageDuration);
    labelSecond = make<QLabel>(divDuration, "labelSecond");
    horizontalLayout_3->addWidget(labelSecond);
    btnDurationToAll = make<QPushButton>(divDuration, "btnDurationToAll");
    btnDurationToAll->setCursor(Qt::PointingHandCursor);
    btnDurationToAll->hide();
    horizontalLayout_3->addWidget(btnDurationToAll);
    horizontalLayout_3->addStretch(1);
    labelTransition = make<QLabel>(divDuration, "labelTransition");
    horizontalLayout_3->addWidget(labelTransition);
    labelRandom = make<QLabel>(divDuration, "labelRandom");
    horizontalLayout_3->addWidget(labelRandom);
    verticalLayout_3->addWidget(divDuration);

    divMusic = container(divSettingContent, "divMusic");
    gridLayout_music = new QGridLayout(divMusic);
    gridLayout_music->setObjectName(QStringLiteral("gridLayout_music"));
    gridLayout_music->setContentsMargins(0, 0, 0, 0);
    gridLayout_music->setHorizontalSpacing(8);
    gridLayout_music->setVerticalSpacing(8);
    labelBackgroundMusic = make<QLabel>(divMusic, "labelBackgroundMusic");
    gridLayout_music->addWidget(labelBackgroundMusic, 0, 0, 1, 4);
    radioNoMusic = make<QRadioButton>(divMusic, "radioNoMusic");
    gridLayout_music->addWidget(radioNoMusic, 1, 0);
    ratioCustomMusic = make<QRadioButton>(divMusic, "ratioCustomMusic");
    gridLayout_music->addWidget(ratioCustomMusic, 1, 1);
    gridLayout_music->setColumnStretch(3, 1);
    divBackgroundOperate = make<QStackedWidget>(divMusic, "divBackgroundOperate");
    divBackgroundOperate->setFixedHeight(30);
    pageNoMusic = make<QWidget>(divBackgroundOperate, "pageNoMusic");
    divBackgroundOperate->addWidget(pageNoMusic);
    pageCustomMusic = container(divBackgroundOperate, "pageCustomMusic");
    horizontalLayout_music = hbox(pageCustomMusic, "horizontalLayout_music", 6, {8, 0, 4, 0});
    labelBackgroundMusicName = make<QLabel>(pageCustomMusic, "labelBackgroundMusicName");
    labelBackgroundMusicName->setMinimumWidth(10);
    horizontalLayout_music->addWidget(labelBackgroundMusicName, 1);
    btnAddBackgroundMusic = make<QPushButton>(pageCustomMusic, "btnAddBackgroundMusic");
    btnAddBackgroundMusic->setFixedSize(22, 22);
    btnAddBackgroundMusic->setCursor(Qt::PointingHandCursor);
    horizontalLayout_music->addWidget(btnAddBackgroundMusic);
    divBackgroundOperate->addWidget(pageCustomMusic);
    gridLayout_music->addWidget(divBackgroundOperate, 2, 0, 1, 4);
    verticalLayout_3->addWidget(divMusic);

    divWatermark = container(divSettingContent, "divWatermark");
    gridLayout_watermark = new QGridLayout(divWatermark);
    gridLayout_watermark->setObjectName(QStringLiteral("gridLayout_watermark"));
    gridLayout_watermark->setContentsMargins(0, 0, 0, 0);
    gridLayout_watermark->setHorizontalSpacing(4);
    gridLayout_watermark->setVerticalSpacing(8);
    labelWatermark = make<QLabel>(divWatermark, "labelWatermark");
    gridLayout_watermark->addWidget(labelWatermark, 0, 0, 1, 5);
    radioNoWatermark = make<QRadioButton>(divWatermark, "radioNoWatermark");
    gridLayout_watermark->addWidget(radioNoWatermark, 1, 0);
    radioTextWatermark = make<QRadioButton>(divWatermark, "radioTextWatermark");
    gridLayout_watermark->addWidget(radioTextWatermark, 1, 1);
    radioImageWatermark = make<QRadioButton>(divWatermark, "radioImageWatermark");
    gridLayout_watermark->addWidget(radioImageWatermark, 1, 2);
    btnImageWartermarkHelp = make<QPushButton>(divWatermark, "btnImageWartermarkHelp");
    btnImageWartermarkHelp->setFixedSize(16, 16);
    btnImageWartermarkHelp->setFocusPolicy(Qt::NoFocus);
    gridLayout_watermark->addWidget(btnImageWartermarkHelp, 1, 3, Qt::AlignLeft | Qt::AlignVCenter);
    gridLayout_watermark->setColumnStretch(4, 1);

    divWatermarkOperate = make<QStackedWidget>(divWatermark, "divWatermarkOperate");
    divWatermarkOperate->setFixedHeight(30);
    pageTextWatermark = make<QWidget>(divWatermarkOperate, "pageTextWatermark");
    horizontalLayout_text = hbox(pageTextWatermark, "horizontalLayout_text", 8, {0, 0, 0, 0});
    editWatermarkText = make<QLineEdit>(pageTextWatermark, "editWatermarkText");
    editWatermarkText->setFixedHeight(30);
    horizontalLayout_text->addWidget(editWatermarkText, 1);
    btnFontStyle = make<QPushButton>(pageTextWatermark, "btnFontStyle");
    btnFontStyle->setFixedSize(60, 30);
    btnFontStyle->setCursor(Qt::PointingHandCursor);
    horizontalLayout_text->addWidget(btnFontStyle);
    divWatermarkOperate->addWidget(pageTextWatermark);
    pageImageWatermark = container(divWatermarkOperate, "pageImageWatermark");
    horizontalLayout_image = hbox(pageImageWatermark, "horizontalLayout_image", 6, {8, 0, 4, 0});
    labelImageWatermarkName = make<QLabel>(pageImageWatermark, "labelImageWatermarkName");
    labelImageWatermarkName->setMinimumWidth(10);
    horizontalLayout_image->addWidget(labelImageWatermarkName, 1);
    btnAddImageWatermark = make<QPushButton>(pageImageWatermark, "btnAddImageWatermark");
    btnAddImageWatermark->setFixedSize(22, 22);
    btnAddImageWatermark->setCursor(Qt::PointingHandCursor);
    horizontalLayout_image->addWidget(btnAddImageWatermark);
    divWatermarkOperate->addWidget(pageImageWatermark);
    gridLayout_watermark->addWidget(divWatermarkOperate, 2, 0, 1, 5);

    divWatermarkPos = container(divWatermark, "divWatermarkPos");
    horizontalLayout_pos = hbox(divWatermarkPos, "horizontalLayout_pos", 12, {0, 0, 0, 0});
    labelWatermarkPos = make<QLabel>(divWatermarkPos, "labelWatermarkPos");
    labelWatermarkPos->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    horizontalLayout_pos->addWidget(labelWatermarkPos, 0, Qt::AlignTop);
    divWatermarkPosGrid = container(divWatermarkPos, "divWatermarkPosGrid");
    divWatermarkPosGrid->setFixedSize(84, 60);
    gridLayout_pos = new QGridLayout(divWatermarkPosGrid);
    gridLayout_pos->setObjectName(QStringLiteral("gridLayout_pos"));
    gridLayout_pos->setContentsMargins(4, 4, 4, 4);
    gridLayout_pos->setSpacing(2);
    QCheckBox **boxes[] = {
        &checkWatermarkPosLeftTop,    &checkWatermarkPosTop,    &checkWatermarkPosRightTop,
        &checkWatermarkPosLeft,       &checkWatermarkPosCenter, &checkWatermarkPosRight,
        &checkWatermarkPosLeftBottom, &checkWatermarkPosBottom, &checkWatermarkPosRightBottom};
    const char *names[] = {
        "checkWatermarkPosLeftTop",    "checkWatermarkPosTop",    "checkWatermarkPosRightTop",
        "checkWatermarkPosLeft",       "checkWatermarkPosCenter", "checkWatermarkPosRight",
        "checkWatermarkPosLeftBottom", "checkWatermarkPosBottom", "checkWatermarkPosRightBottom"};
    for (int i = 0; i < 9; ++i) {
        *boxes[i] = make<QCheckBox>(divWatermarkPosGrid, names[i]);
        (*boxes[i])->setAutoExclusive(true);
        (*boxes[i])->setCursor(Qt::PointingHandCursor);
        gridLayout_pos->addWidget(*boxes[i], i / 3, i % 3, Qt::AlignCenter);
    }
    horizontalLayout_pos->addWidget(divWatermarkPosGrid, 0, Qt::AlignTop);
    horizontalLayout_pos->addStretch(1);
    gridLayout_watermark->addWidget(divWatermarkPos, 3, 0, 1, 5);
    verticalLayout_3->addWidget(divWatermark);
    verticalLayout_3->addStretch(1);
    scrollSettingContent->setWidget(divSettingContent);
    verticalLayout_2->addWidget(scrollSettingContent, 1);
    horizontalLayout_5->addWidget(divSetting);

    divPlayer = make<CQVideoPlay>(widget_5, "divPlayer");
    divPlayer->setMinimumSize(462, 300);
    divPlayer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    horizontalLayout_5->addWidget(divPlayer, 1);
    verticalLayout->addWidget(widget_5, 1);

    // Source strip.
    divSource = container(ZodoZadarClass, "divSource");
    divSource->setFixedHeight(108);
    horizontalLayout_4 = hbox(divSource, "horizontalLayout_4", 0, {12, 0, 12, 0});
    divImageSourceOperate = make<QStackedWidget>(divSource, "divImageSourceOperate");
    divImageSourceOperate->setMinimumHeight(100);
    pageAddImage = make<QWidget>(divImageSourceOperate, "pageAddImage");
    gridLayout_add = new QGridLayout(pageAddImage);
    gridLayout_add->setObjectName(QStringLiteral("gridLayout_add"));
    gridLayout_add->setContentsMargins(0, 0, 0, 0);
    btnAddImage = make<AddImageButton>(pageAddImage, "btnAddImage");
    gridLayout_add->addWidget(btnAddImage, 0, 0, Qt::AlignCenter);
    divImageSourceOperate->addWidget(pageAddImage);
    pageImageSourcList = make<QWidget>(divImageSourceOperate, "pageImageSourcList");
    horizontalLayout_list = hbox(pageImageSourcList, "horizontalLayout_list", 8, {0, 0, 0, 0});
    imageSourceList = make<ImageListView>(pageImageSourcList, "imageSourceList");
    imageSourceList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    imageSourceList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    imageSourceList->setAutoScrollMargin(50);
    imageSourceList->setDragEnabled(true);
    imageSourceList->setDragDropMode(QAbstractItemView::DragDrop);
    imageSourceList->setDefaultDropAction(Qt::MoveAction);
    imageSourceList->setFlow(QListView::LeftToRight);
    imageSourceList->setSpacing(8);
    imageSourceList->setProperty("showDropIndicator", true);
    imageSourceList->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalLayout_list->addWidget(imageSourceList, 1);
    btnAddImageAgain = make<QPushButton>(pageImageSourcList, "btnAddImageAgain");
    btnAddImageAgain->setMinimumSize(80, 108);
    btnAddImageAgain->setCursor(Qt::PointingHandCursor);
    horizontalLayout_list->addWidget(btnAddImageAgain);
    divImageSourceOperate->addWidget(pageImageSourcList);
    horizontalLayout_4->addWidget(divImageSourceOperate);
    verticalLayout->addWidget(divSource);

    retranslateUi(ZodoZadarClass);
    divImageSourceOperate->setCurrentIndex(0);
    divWatermarkOperate->setCurrentIndex(0);
    divBackgroundOperate->setCurrentIndex(0);
}

void ZodoZadarClass::retranslateUi(QWidget *ZodoZadarClass)
{
    ZodoZadarClass->setWindowTitle(QCoreApplication::translate("ZodoZadarClass", "VMAlbum"));
    labelTitle->setText(QCoreApplication::translate("ZodoZadarClass", "electronic photo album"));
    const QStringList ratios = {
        QCoreApplication::translate("ZodoZadarClass", "self-adaption(default)"),
        QStringLiteral("16:9"),
        QStringLiteral("4:3"),
        QStringLiteral("2:1"),
        QStringLiteral("9:16"),
        QStringLiteral("3:4"),
        QStringLiteral("1:1")};
    const QStringList heights = {QStringLiteral("480P"), QStringLiteral("720P"),
                                 QStringLiteral("1080P"), QStringLiteral("2K"),
                                 QStringLiteral("4K")};
    if (comboVideoRatio->count() == 0) {
        comboVideoRatio->addItems(ratios);
        comboVideoHeight->addItems(heights);
    } else {
        comboVideoRatio->setItemText(0, ratios.first());
    }
    btnExport->setText(QCoreApplication::translate("ZodoZadarClass", "export"));
    btnSetting->setText(QCoreApplication::translate("ZodoZadarClass", "setting"));
    labelImageDuration->setText(QCoreApplication::translate("ZodoZadarClass", "image duration"));
    labelSecond->setText(QCoreApplication::translate("ZodoZadarClass", "s"));
    labelTransition->setText(QCoreApplication::translate("ZodoZadarClass", "transition effect"));
    labelRandom->setText(QCoreApplication::translate("ZodoZadarClass", "random"));
    const QString szTransitionsTip = QCoreApplication::translate(
        "ZodoZadarClass",
        "Each picture gets a transition at random. Choose one for a picture in its panel.");
    labelTransition->setToolTip(szTransitionsTip);
    labelRandom->setToolTip(szTransitionsTip);
    labelBackgroundMusic->setText(
        QCoreApplication::translate("ZodoZadarClass", "background music"));
    radioNoMusic->setText(QCoreApplication::translate("ZodoZadarClass", "none"));
    ratioCustomMusic->setText(QCoreApplication::translate("ZodoZadarClass", "custom"));
    labelBackgroundMusicName->setText(
        QCoreApplication::translate("ZodoZadarClass", "Please select background music file"));
    labelWatermark->setText(QCoreApplication::translate("ZodoZadarClass", "watermark"));
    radioNoWatermark->setText(QCoreApplication::translate("ZodoZadarClass", "none"));
    radioTextWatermark->setText(QCoreApplication::translate("ZodoZadarClass", "text watermark"));
    radioImageWatermark->setText(QCoreApplication::translate("ZodoZadarClass", "image watermark"));
    editWatermarkText->setPlaceholderText(
        QCoreApplication::translate("ZodoZadarClass", "Please enter the watermark content"));
    btnFontStyle->setText(QCoreApplication::translate("ZodoZadarClass", "font"));
    labelImageWatermarkName->setText(
        QCoreApplication::translate("ZodoZadarClass", "Please select image watermark"));
    labelWatermarkPos->setText(
        QCoreApplication::translate("ZodoZadarClass", "select watermark position"));
    btnAddImageAgain->setText(QCoreApplication::translate("ZodoZadarClass", "add again"));

    // Names for screen readers and accessibility-driven tests.
    comboVideoRatio->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Aspect ratio"));
    comboVideoHeight->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Video height"));
    btnExport->setAccessibleName(QCoreApplication::translate("ZodoZadarClass", "Export"));
    boxImageDuration->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Picture duration in seconds"));
    radioNoMusic->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "No background music"));
    ratioCustomMusic->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Custom background music"));
    btnAddBackgroundMusic->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Choose the music file"));
    radioNoWatermark->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "No watermark"));
    radioTextWatermark->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Text watermark"));
    radioImageWatermark->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Picture watermark"));
    btnImageWartermarkHelp->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Picture watermark help"));
    editWatermarkText->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Watermark text"));
    btnFontStyle->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Watermark font"));
    btnAddImageWatermark->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Choose the watermark picture"));
    const char *positions[] = {
        QT_TRANSLATE_NOOP("ZodoZadarClass", "Watermark at the top left"),
        QT_TRANSLATE_NOOP("ZodoZadarClass", "Watermark at the top"),
        QT_TRANSLATE_NOOP("ZodoZadarClass", "Watermark at the top right"),
        QT_TRANSLATE_NOOP("ZodoZadarClass", "Watermark at the left"),
        QT_TRANSLATE_NOOP("ZodoZadarClass", "Watermark in the centre"),
        QT_TRANSLATE_NOOP("ZodoZadarClass", "Watermark at the right"),
        QT_TRANSLATE_NOOP("ZodoZadarClass", "Watermark at the bottom left"),
        QT_TRANSLATE_NOOP("ZodoZadarClass", "Watermark at the bottom"),
        QT_TRANSLATE_NOOP("ZodoZadarClass", "Watermark at the bottom right")};
    for (int i = 0; i < 9; ++i) {
        positionBox(i)->setAccessibleName(
            QCoreApplication::translate("ZodoZadarClass", positions[i]));
        positionBox(i)->setToolTip(QCoreApplication::translate("ZodoZadarClass", positions[i]));
    }
    btnAddImage->setAccessibleName(QCoreApplication::translate("ZodoZadarClass", "Add pictures"));
    imageSourceList->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Pictures of the album"));
    btnAddImageAgain->setAccessibleName(
        QCoreApplication::translate("ZodoZadarClass", "Add pictures again"));
    divPlayer->setAccessibleName(QCoreApplication::translate("ZodoZadarClass", "Preview"));
}

QCheckBox *ZodoZadarClass::positionBox(int iIndex) const
{
    QCheckBox *const boxes[] = {
        checkWatermarkPosLeftTop,    checkWatermarkPosTop,    checkWatermarkPosRightTop,
        checkWatermarkPosLeft,       checkWatermarkPosCenter, checkWatermarkPosRight,
        checkWatermarkPosLeftBottom, checkWatermarkPosBottom, checkWatermarkPosRightBottom};
    return iIndex >= 0 && iIndex < 9 ? boxes[iIndex] : nullptr;
}

} // namespace Ui

QString zodoZadarStyleSheet()
{
    return QStringLiteral(
        "#ZodoZadarClass{background-color:#F4F5FA;}"
        "#ZodoZadarClass QLabel{font-family:\"Microsoft YaHei\";font-size:13px;color:#333333;}"
        "#widget{background-color:#FFFFFF;border-bottom:1px solid #ECEDF3;}"
        "#labelTitle{font-size:15px;font-weight:bold;color:#2B2B3A;}"
        "#btnExport{font-family:\"Microsoft YaHei\";font-size:14px;color:#FFFFFF;border:none;"
        "border-radius:4px;background-color:#5C46F4;}"
        "#btnExport:hover{background-color:#7160F6;}"
        "#btnExport:pressed{background-color:#4A35DB;}"
        "#btnExport:disabled{background-color:#C8C1FB;color:#F4F2FF;}"
        "#widget_5{background-color:#F4F5FA;}"
        "#divSetting{background-color:#FFFFFF;border-radius:6px;}"
        "#divSettingHead{background-color:#FFFFFF;border-top-left-radius:6px;"
        "border-top-right-radius:6px;border-bottom:1px solid #F0F0F5;}"
        "#btnSetting{border:none;background:transparent;font-family:\"Microsoft YaHei\";"
        "font-size:14px;font-weight:bold;color:#2B2B3A;text-align:left;padding:0px;}"
        "#divSettingContent,#divDuration,#divMusic,#divWatermark,#divWatermarkPos{"
        "background-color:#FFFFFF;border-bottom-left-radius:6px;border-bottom-right-radius:6px;}"
        "#labelBackgroundMusic,#labelWatermark,#labelImageDuration{color:#2B2B3A;font-weight:bold;}"
        // What the album does with transitions, said in plain words: no accent colour, which
        // would make it look like a control.
        "#ZodoZadarClass #labelSecond,#ZodoZadarClass #labelTransition,"
        "#ZodoZadarClass #labelRandom{color:#666666;}"
        "#btnDurationToAll{border:none;background:transparent;color:#5C46F4;padding:0px;"
        "font-size:12px;text-decoration:underline;}"
        "#btnDurationToAll:hover{color:#4A36D8;}"
        "#ZodoZadarClass QLabel:disabled{color:#B5B5C0;}"
        "#boxImageDuration{border:1px solid #DCDCE6;border-radius:4px;padding-right:16px;"
        "font-size:13px;color:#333333;background:#FFFFFF;}"
        "#boxImageDuration:focus{border-color:#5C46F4;}"
        "#boxImageDuration::up-button,#boxImageDuration::down-button{width:16px;border:none;"
        "background:#F1EFFE;}"
        "#boxImageDuration::up-button{border-top-right-radius:4px;}"
        "#boxImageDuration::down-button{border-bottom-right-radius:4px;}"
        "#boxImageDuration::up-button:hover,#boxImageDuration::down-button:hover{"
        "background:#E2DDFD;}"
        "#boxImageDuration[isMaximum=\"true\"]::up-button,"
        "#boxImageDuration[isMinimum=\"true\"]::down-button{background:#F5F5F7;}"
        "#boxImageDuration:disabled{color:#B5B5C0;border-color:#EBEBF0;}"
        "#boxImageDuration[ownDurations=\"true\"]{color:#A8A8B8;}"
        "#pageCustomMusic,#pageImageWatermark{background:#F7F7FA;border:1px solid #E6E6EE;"
        "border-radius:4px;}"
        "#labelBackgroundMusicName,#labelImageWatermarkName{color:#777777;background:transparent;}"
        "#editWatermarkText{border:1px solid #DCDCE6;border-radius:4px;padding:0px 8px;"
        "font-family:\"Microsoft YaHei\";font-size:13px;color:#333333;}"
        "#editWatermarkText[editing=\"true\"]{border-color:#5C46F4;}"
        "#btnFontStyle{border:1px solid #5C46F4;border-radius:4px;color:#5C46F4;"
        "background:#FFFFFF;font-family:\"Microsoft YaHei\";font-size:13px;}"
        "#btnFontStyle:hover{background:#F1EFFE;}"
        "#btnFontStyle:pressed{background:#E2DDFD;}"
        "#divWatermarkPosGrid{background:#F7F7FA;border:1px solid #E6E6EE;border-radius:4px;}"
        "#divSource{background-color:#FFFFFF;}"
        "#btnAddImageAgain{border:1px dashed #BDB4F9;border-radius:6px;background:#F7F6FF;"
        "color:#5C46F4;font-family:\"Microsoft YaHei\";font-size:13px;}"
        "#btnAddImageAgain:hover{background:#EEEBFF;}"
        "#btnAddImageAgain:pressed{background:#E2DDFD;}"
        "#btnAddImageAgain:disabled{border-color:#DCDCE6;background:#F7F7F9;color:#B8B8C8;}"
        "#imageSourceList{border:none;background:transparent;}"
        // The strip's scroll bar: a light track and a clearly darker handle.
        "#imageSourceList QScrollBar:horizontal{height:10px;background:#EDEDF3;border:none;"
        "border-radius:5px;margin:0px 2px 2px 2px;}"
        "#imageSourceList QScrollBar::handle:horizontal{background:#9A9AAE;border-radius:4px;"
        "min-width:40px;margin:1px;}"
        "#imageSourceList QScrollBar::handle:horizontal:hover,"
        "#imageSourceList QScrollBar::handle:horizontal:pressed{background:#5C46F4;}"
        "#imageSourceList QScrollBar::add-line:horizontal,"
        "#imageSourceList QScrollBar::sub-line:horizontal{width:0px;border:none;}"
        "#imageSourceList QScrollBar::add-page:horizontal,"
        "#imageSourceList QScrollBar::sub-page:horizontal{background:transparent;}"
        "#ZodoZadarClass QRadioButton{font-family:\"Microsoft YaHei\";font-size:13px;"
        "color:#333333;spacing:5px;}"
        "#ZodoZadarClass QRadioButton:disabled{color:#B5B5C0;}"
        "#ZodoZadarClass QRadioButton::indicator{width:16px;height:16px;}"
        "#ZodoZadarClass QRadioButton::indicator:unchecked{"
        "image:url(:/theme_local/imgs/radio.png);}"
        "#ZodoZadarClass QRadioButton::indicator:unchecked:hover{"
        "image:url(:/theme_local/imgs/radio-1.png);}"
        "#ZodoZadarClass "
        "QRadioButton::indicator:checked{image:url(:/theme_local/imgs/radio-2.png);}"
        "#ZodoZadarClass QRadioButton::indicator:unchecked:disabled{"
        "image:url(:/theme_local/imgs/radio-3.png);}"
        "#ZodoZadarClass QRadioButton::indicator:checked:disabled{"
        "image:url(:/theme_local/imgs/radio-4.png);}"
        "#divWatermarkPosGrid QCheckBox::indicator{width:20px;height:14px;}"
        "#divWatermarkPosGrid QCheckBox::indicator:unchecked{"
        "image:url(:/theme_local/imgs/watermarkPos.png);}"
        "#divWatermarkPosGrid QCheckBox::indicator:unchecked:hover{"
        "image:url(:/theme_local/imgs/watermarkPos-1.png);}"
        "#divWatermarkPosGrid QCheckBox::indicator:checked{"
        "image:url(:/theme_local/imgs/watermarkPos-2.png);}"
        "#divWatermarkPosGrid QCheckBox::indicator:unchecked:disabled{"
        "image:url(:/theme_local/imgs/watermarkPos-3.png);}"
        "#boxImageDuration::up-arrow{image:url(:/theme_local/imgs/spinUp.png);width:10px;"
        "height:6px;}"
        "#boxImageDuration::down-arrow{image:url(:/theme_local/imgs/spinDown.png);width:10px;"
        "height:6px;}"
        "#boxImageDuration[isMaximum=\"true\"]::up-arrow,#boxImageDuration::up-arrow:disabled{"
        "image:url(:/theme_local/imgs/spinUp-1.png);}"
        "#boxImageDuration[isMinimum=\"true\"]::down-arrow,"
        "#boxImageDuration::down-arrow:disabled{image:url(:/theme_local/imgs/spinDown-1.png);}"
        "#btnAddBackgroundMusic,#btnAddImageWatermark{border:none;"
        "border-image:url(:/theme_local/imgs/settingFolder.png);}"
        "#btnAddBackgroundMusic:hover,#btnAddImageWatermark:hover{"
        "border-image:url(:/theme_local/imgs/settingFolder-1.png);}"
        "#btnAddBackgroundMusic:pressed,#btnAddImageWatermark:pressed{"
        "border-image:url(:/theme_local/imgs/settingFolder-2.png);}");
}
