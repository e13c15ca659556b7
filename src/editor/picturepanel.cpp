// The picture panel's form and the options it shows.
#include "picturepanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {
constexpr int kRandomItem = -1;
constexpr int kCutItem = -2;
constexpr QSize kPictureArea(360, 200);
// The editor's own look: white bordered fields with the accent on hover, as the export
// settings have them (a translucent dialog would paint Qt's default controls black).
const char kFormStyle[] =
    "QLabel,QCheckBox{font-family:\"Microsoft YaHei\";font-size:14px;color:#333333;}"
    "QCheckBox::indicator{width:14px;height:14px;border:1px solid #BFBFC8;border-radius:3px;"
    "background-color:#FFFFFF;}"
    "QCheckBox::indicator:hover{border-color:#5C46F4;}"
    "QCheckBox::indicator:checked{border-color:#5C46F4;background-color:#5C46F4;"
    "image:url(:/theme_local/imgs/comboboxCheck.png);}"
    "QCheckBox:disabled{color:#B0B0B8;}"
    "QComboBox,QDoubleSpinBox{border:1px solid #E1E1E8;border-radius:4px;padding:3px 8px;"
    "min-height:22px;background-color:#FFFFFF;font-family:\"Microsoft YaHei\";font-size:14px;"
    "color:#333333;}"
    "QComboBox:hover,QComboBox:on,QDoubleSpinBox:hover{border-color:#5C46F4;}"
    "QDoubleSpinBox:disabled,QComboBox:disabled{color:#B0B0B8;background-color:#F7F7F9;}"
    "QComboBox::drop-down{subcontrol-origin:padding;subcontrol-position:center right;"
    "width:24px;border:none;}"
    "QComboBox::down-arrow{image:url(:/theme_local/imgs/checkBoxDownArrow.png);width:24px;"
    "height:24px;}"
    "QComboBox QAbstractItemView{background-color:#FFFFFF;color:#333333;border:1px solid "
    "#E6E6EB;selection-background-color:#EEEBFE;selection-color:#5C46F4;outline:0px;}"
    "QDoubleSpinBox::up-button,QDoubleSpinBox::down-button{border:none;width:16px;}"
    "QDoubleSpinBox::up-arrow{image:url(:/theme_local/imgs/spinUp.png);width:10px;height:6px;}"
    "QDoubleSpinBox::down-arrow{image:url(:/theme_local/imgs/spinDown.png);width:10px;"
    "height:6px;}"
    "QPushButton{border:1px solid #E1E1E8;border-radius:4px;padding:4px 12px;min-height:22px;"
    "background-color:#FFFFFF;font-family:\"Microsoft YaHei\";font-size:13px;color:#333333;}"
    "QPushButton:hover{border-color:#5C46F4;color:#5C46F4;}"
    "QPushButton:pressed{background-color:#EEEBFE;}";

double secondsOf(int64_t microseconds)
{
    return double(microseconds) / 1e6;
}

int64_t microsecondsOf(double seconds)
{
    return std::llround(seconds * 1e6);
}

QDoubleSpinBox *secondsBox(QWidget *pParent, const char *szName, double lo, double hi)
{
    auto *pBox = new QDoubleSpinBox(pParent);
    pBox->setObjectName(QLatin1String(szName));
    pBox->setRange(lo, hi);
    pBox->setSingleStep(0.5);
    // Two places: a duration fitted to the music is not a whole half second.
    pBox->setDecimals(2);
    pBox->setSuffix(QStringLiteral(" s"));
    return pBox;
}
} // namespace

PicturePanel::PicturePanel(const QPixmap &stPicture, const QString &szName,
                           const PictureOptions &options, int64_t albumDuration, QWidget *parent)
    : ShareCode::CQInfoDialog(parent), m_albumDuration(albumDuration)
{
    setObjectName(QStringLiteral("PicturePanel"));
    setTitle(szName);
    auto *pForm = new QWidget;
    pForm->setObjectName(QStringLiteral("divPictureForm"));
    pForm->setStyleSheet(QLatin1String(kFormStyle));
    auto *pLayout = new QVBoxLayout(pForm);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(12);

    m_pPicture = new QLabel(pForm);
    m_pPicture->setObjectName(QStringLiteral("labelPicture"));
    m_pPicture->setAlignment(Qt::AlignCenter);
    m_pPicture->setFixedSize(kPictureArea);
    m_pPicture->setStyleSheet(QStringLiteral("background-color:#2B2B2B;border-radius:6px;"));
    if (!stPicture.isNull())
        m_pPicture->setPixmap(
            stPicture.scaled(kPictureArea, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_pPicture->setAccessibleName(tr("The picture"));
    pLayout->addWidget(m_pPicture, 0, Qt::AlignHCenter);

    auto *pGrid = new QGridLayout;
    pGrid->setHorizontalSpacing(12);
    pGrid->setVerticalSpacing(8);
    m_pOwnDuration = new QCheckBox(tr("Own duration"), pForm);
    m_pOwnDuration->setObjectName(QStringLiteral("checkOwnDuration"));
    m_pDuration = secondsBox(pForm, "spinPictureDuration", 0.5, 60);
    m_pDuration->setAccessibleName(tr("Duration of this picture"));
    m_pDurationToAll = new QPushButton(tr("Apply to all"), pForm);
    m_pDurationToAll->setObjectName(QStringLiteral("btnDurationToAll"));
    m_pDurationToAll->setAccessibleName(tr("Apply the duration to all pictures"));
    pGrid->addWidget(m_pOwnDuration, 0, 0);
    pGrid->addWidget(m_pDuration, 0, 1);
    pGrid->addWidget(m_pDurationToAll, 0, 2);

    auto *pTransitionLabel = new QLabel(tr("Transition after it"), pForm);
    m_pTransition = new QComboBox(pForm);
    m_pTransition->setObjectName(QStringLiteral("comboPictureTransition"));
    m_pTransition->setAccessibleName(tr("Transition after this picture"));
    m_pTransition->addItem(tr("Random"), kRandomItem);
    m_pTransition->addItem(tr("None (a cut)"), kCutItem);
    for (int row = 0; row < kTransitionKindCount; ++row)
        m_pTransition->addItem(QString::fromLatin1(kTransitionKinds[row].transitionName), row);
    m_pTransitionToAll = new QPushButton(tr("Apply to all"), pForm);
    m_pTransitionToAll->setObjectName(QStringLiteral("btnTransitionToAll"));
    m_pTransitionToAll->setAccessibleName(tr("Apply the transition to all pictures"));
    pGrid->addWidget(pTransitionLabel, 1, 0);
    pGrid->addWidget(m_pTransition, 1, 1);
    pGrid->addWidget(m_pTransitionToAll, 1, 2);

    m_pOwnLength = new QCheckBox(tr("Own length"), pForm);
    m_pOwnLength->setObjectName(QStringLiteral("checkOwnLength"));
    m_pLength = secondsBox(pForm, "spinTransitionLength", 0.5, 3);
    m_pLength->setAccessibleName(tr("Length of the transition"));
    pGrid->addWidget(m_pOwnLength, 2, 0);
    pGrid->addWidget(m_pLength, 2, 1);
    pLayout->addLayout(pGrid);
    setContent(pForm);

    showOptions(options);
    connect(m_pOwnDuration, &QCheckBox::toggled, this, &PicturePanel::changed);
    connect(m_pDuration, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            &PicturePanel::changed);
    connect(m_pTransition, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &PicturePanel::changed);
    connect(m_pOwnLength, &QCheckBox::toggled, this, &PicturePanel::changed);
    connect(m_pLength, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            &PicturePanel::changed);
    connect(m_pDurationToAll, &QPushButton::clicked, this,
            [this] { emit sig_durationToAll(this->options()); });
    connect(m_pTransitionToAll, &QPushButton::clicked, this,
            [this] { emit sig_transitionToAll(this->options()); });
}

void PicturePanel::showOptions(const PictureOptions &options)
{
    m_bShowing = true;
    m_pOwnDuration->setChecked(options.duration > 0);
    m_pDuration->setValue(secondsOf(options.duration > 0 ? options.duration : m_albumDuration));
    m_pDuration->setEnabled(options.duration > 0);
    int item = kRandomItem;
    if (options.transition == TransitionChoice::None)
        item = kCutItem;
    else if (options.transition == TransitionChoice::Chosen && options.chosenKind)
        item = int(options.chosenKind - kTransitionKinds);
    m_pTransition->setCurrentIndex(std::max(0, m_pTransition->findData(item)));
    m_pOwnLength->setChecked(options.transitionLength > 0);
    m_pLength->setValue(
        secondsOf(options.transitionLength > 0 ? options.transitionLength : 2000000));
    const bool bCut = options.transition == TransitionChoice::None;
    m_pOwnLength->setEnabled(!bCut);
    m_pLength->setEnabled(!bCut && options.transitionLength > 0);
    m_bShowing = false;
}

PictureOptions PicturePanel::options() const
{
    PictureOptions o;
    if (m_pOwnDuration->isChecked())
        o.duration = microsecondsOf(m_pDuration->value());
    const int item = m_pTransition->currentData().toInt();
    if (item == kCutItem) {
        o.transition = TransitionChoice::None;
    } else if (item >= 0 && item < kTransitionKindCount) {
        o.transition = TransitionChoice::Chosen;
        o.chosenKind = &kTransitionKinds[item];
    }
    if (m_pOwnLength->isChecked() && o.transition != TransitionChoice::None)
        o.transitionLength = microsecondsOf(m_pLength->value());
    return o;
}

void PicturePanel::changed()
{
    if (m_bShowing)
        return;
    const PictureOptions o = options();
    // The boxes follow their checks, and a cut has no length.
    showOptions(o);
    emit sig_changed(o);
}
