// SPDX-License-Identifier: GPL-3.0-or-later
// The picture panel's form and the options it shows.
#include "picturepanel.h"

#include "clipcontrols.h"
#include "clipsource.h"
#include "cliptrimbar.h"
#include "framegraph.h"
#include "lookpreview.h"
#include "picturerenderer.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStringList>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <functional>

namespace {
constexpr int kRandomItem = -1;
constexpr int kCutItem = -2;
constexpr int kVisibleTransitions = 12; // then the list scrolls
constexpr QSize kPictureArea(384, 216); // a 16:9 album's frame fills it
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
    "QComboBox,QDoubleSpinBox,QSpinBox{border:1px solid #E1E1E8;border-radius:4px;padding:3px 8px;"
    "min-height:22px;background-color:#FFFFFF;font-family:\"Microsoft YaHei\";font-size:14px;"
    "color:#333333;}"
    // A list that scrolls after its visible items, rather than a menu as tall as all of them.
    "QComboBox{combobox-popup:0;}"
    "QComboBox:hover,QComboBox:on,QDoubleSpinBox:hover,QSpinBox:hover{border-color:#5C46F4;}"
    "QDoubleSpinBox:disabled,QSpinBox:disabled,QComboBox:disabled{color:#B0B0B8;background-color:#"
    "F7F7F9;}"
    "QComboBox::drop-down{subcontrol-origin:padding;subcontrol-position:center right;"
    "width:24px;border:none;}"
    "QComboBox::down-arrow{image:url(:/theme_local/imgs/checkBoxDownArrow.png);width:24px;"
    "height:24px;}"
    "QComboBox QAbstractItemView{background-color:#FFFFFF;color:#333333;border:1px solid "
    "#E6E6EB;selection-background-color:#EEEBFE;selection-color:#5C46F4;outline:0px;}"
    "QDoubleSpinBox::up-button,QDoubleSpinBox::down-button,QSpinBox::up-button,"
    "QSpinBox::down-button{border:none;width:16px;}"
    "QDoubleSpinBox::up-arrow,QSpinBox::up-arrow{image:url(:/theme_local/imgs/spinUp.png);"
    "width:10px;height:6px;}"
    "QDoubleSpinBox::down-arrow,QSpinBox::down-arrow{"
    "image:url(:/theme_local/imgs/spinDown.png);width:10px;height:6px;}"
    "QPushButton{border:1px solid #E1E1E8;border-radius:4px;padding:4px 12px;min-height:22px;"
    "background-color:#FFFFFF;font-family:\"Microsoft YaHei\";font-size:13px;color:#333333;}"
    "QPushButton:hover{border-color:#5C46F4;color:#5C46F4;}"
    "QPushButton:pressed{background-color:#EEEBFE;}";

constexpr int kAlbumItem = -1; // motion and fill: what the album gives
// While the clip's position is dragged, a frame at most this often (milliseconds): decoding one
// can take a good part of that.
constexpr int kFrameIntervalMs = 150;

} // namespace

// The picture, and over it where the motion starts (1) and ends (2). With a custom motion the
// rectangles move by dragging inside them and resize by dragging a corner.
class MotionView : public QWidget
{
public:
    MotionView(const QPixmap &picture, QWidget *parent) : QWidget(parent), m_picture(picture)
    {
        setFixedSize(kPictureArea);
        setMouseTracking(true);
    }
    std::function<void()> onEdited;
    QRectF from{0, 0, 1, 1};
    QRectF to{0, 0, 1, 1};
    bool shown = false;    // rectangles drawn
    bool editable = false; // and dragged

    // The picture itself, when there is no frame as the video shows it.
    void setPicture(const QPixmap &picture)
    {
        m_picture = picture;
        m_frame = QImage();
        update();
    }
    // The frame as the video shows it, with the whole picture at pictureInFrame; the
    // rectangles are drawn over that picture. A null frame shows the plain picture.
    void setFrame(const QImage &frame, const QRect &pictureInFrame)
    {
        m_frame = frame;
        m_pictureInFrame = pictureInFrame;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2B, 0x2B, 0x2B));
        p.drawRoundedRect(rect(), 6, 6);
        const QRectF area = pictureArea();
        if (!m_frame.isNull())
            p.drawImage(frameOrigin(), m_frame);
        else if (!m_picture.isNull())
            p.drawPixmap(area, m_picture, m_picture.rect());
        if (!shown)
            return;
        drawRect(p, from, QColor(0x3F, 0xC2, 0x7A), QStringLiteral("1"));
        drawRect(p, to, QColor(0x7B, 0x68, 0xF6), QStringLiteral("2"));
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        m_drag = None;
        if (!editable)
            return;
        // The end rectangle is drawn on top, so it is found first.
        for (int which : {2, 1}) {
            const QRectF r = toWidget(which == 1 ? from : to);
            if (QLineF(e->localPos(), r.bottomRight()).length() <= kGrip) {
                m_drag = which == 1 ? ResizeFrom : ResizeTo;
            } else if (r.contains(e->localPos())) {
                m_drag = which == 1 ? MoveFrom : MoveTo;
            }
            if (m_drag != None)
                break;
        }
        m_last = e->localPos();
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (m_drag == None || !(e->buttons() & Qt::LeftButton))
            return;
        const QRectF area = pictureArea();
        const QPointF d((e->localPos().x() - m_last.x()) / area.width(),
                        (e->localPos().y() - m_last.y()) / area.height());
        m_last = e->localPos();
        QRectF &r = (m_drag == MoveFrom || m_drag == ResizeFrom) ? from : to;
        constexpr double kSmallest = 0.1; // the most the motion may enlarge
        if (m_drag == MoveFrom || m_drag == MoveTo) {
            r.moveTo(std::clamp(r.x() + d.x(), 0.0, 1 - r.width()),
                     std::clamp(r.y() + d.y(), 0.0, 1 - r.height()));
        } else {
            r.setWidth(std::clamp(r.width() + d.x(), kSmallest, 1 - r.x()));
            r.setHeight(std::clamp(r.height() + d.y(), kSmallest, 1 - r.y()));
        }
        update();
    }
    void mouseReleaseEvent(QMouseEvent *) override
    {
        if (m_drag != None && onEdited)
            onEdited();
        m_drag = None;
    }

private:
    enum Drag
    {
        None,
        MoveFrom,
        MoveTo,
        ResizeFrom,
        ResizeTo
    };
    static constexpr double kGrip = 9; // pixels around a corner that grab it

    QPoint frameOrigin() const
    {
        return QPoint((width() - m_frame.width()) / 2, (height() - m_frame.height()) / 2);
    }
    QRectF pictureArea() const
    {
        if (!m_frame.isNull())
            return QRectF(m_pictureInFrame.translated(frameOrigin()));
        if (m_picture.isNull())
            return QRectF(rect());
        const QSizeF fit = QSizeF(m_picture.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
        return QRectF(QPointF((width() - fit.width()) / 2, (height() - fit.height()) / 2), fit);
    }
    QRectF toWidget(const QRectF &r) const
    {
        const QRectF a = pictureArea();
        return QRectF(a.x() + r.x() * a.width(), a.y() + r.y() * a.height(), r.width() * a.width(),
                      r.height() * a.height());
    }
    void drawRect(QPainter &p, const QRectF &fraction, const QColor &colour, const QString &label)
    {
        const QRectF r = toWidget(fraction).adjusted(1, 1, -1, -1);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, 2));
        p.drawRect(r);
        p.setBrush(colour);
        p.setPen(Qt::NoPen);
        p.drawEllipse(r.topLeft() + QPointF(11, 11), 9, 9);
        if (editable)
            p.drawRect(QRectF(r.bottomRight() - QPointF(6, 6), QSizeF(7, 7)));
        p.setPen(Qt::white);
        p.drawText(QRectF(r.topLeft() + QPointF(2, 2), QSizeF(18, 18)), Qt::AlignCenter, label);
    }

    QPixmap m_picture;
    QImage m_frame;
    QRect m_pictureInFrame;
    Drag m_drag = None;
    QPointF m_last;
};

namespace {

void setSwatch(QPushButton *pButton, QRgb colour)
{
    pButton->setFixedWidth(32);
    // A swatch: the colour framed, so that white shows on the white form too.
    pButton->setStyleSheet(
        QStringLiteral("QPushButton{background-color:%1;min-width:22px;max-width:22px;"
                       "border:1px solid #BFBFC8;border-radius:4px;}"
                       "QPushButton:hover{border-color:#5C46F4;}")
            .arg(QColor::fromRgb(colour).name()));
}

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
    : ShareCode::CQInfoDialog(parent), m_albumDuration(albumDuration), m_clipOptions(options.clip)
{
    setObjectName(QStringLiteral("PicturePanel"));
    setTitle(szName);
    auto *pForm = new QWidget;
    pForm->setObjectName(QStringLiteral("divPictureForm"));
    pForm->setStyleSheet(QLatin1String(kFormStyle));
    auto *pLayout = new QVBoxLayout(pForm);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(12);

    m_pPicture =
        new MotionView(stPicture.isNull() ? stPicture
                                          : stPicture.scaled(kPictureArea, Qt::KeepAspectRatio,
                                                             Qt::SmoothTransformation),
                       pForm);
    m_pPicture->setObjectName(QStringLiteral("labelPicture"));
    m_pPicture->setAccessibleName(tr("The picture"));
    m_pPicture->onEdited = [this] { changed(); };
    pLayout->addWidget(m_pPicture, 0, Qt::AlignHCenter);
    m_pFacts = new QLabel(pForm);
    m_pFacts->setObjectName(QStringLiteral("labelPictureFacts"));
    m_pFacts->setAccessibleName(tr("Date taken and camera"));
    m_pFacts->setAlignment(Qt::AlignHCenter);
    m_pFacts->setTextFormat(Qt::PlainText);
    m_pFacts->hide();
    pLayout->addWidget(m_pFacts, 0, Qt::AlignHCenter);

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
        m_pTransition->addItem(
            QCoreApplication::translate("Transition", kTransitionKinds[row].displayName), row);
    m_pTransition->setMaxVisibleItems(kVisibleTransitions);
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
    addLookRows(pForm, pGrid, 3);
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

void PicturePanel::addLookRows(QWidget *pForm, QGridLayout *pGrid, int iRow)
{
    auto toAll = [pForm](const char *szName, const QString &szAccessible) {
        auto *pButton = new QPushButton(tr("Apply to all"), pForm);
        pButton->setObjectName(QLatin1String(szName));
        pButton->setAccessibleName(szAccessible);
        return pButton;
    };
    m_pMotionLabel = new QLabel(tr("Motion"), pForm);
    pGrid->addWidget(m_pMotionLabel, iRow, 0);
    m_pMotion = new QComboBox(pForm);
    m_pMotion->setObjectName(QStringLiteral("comboPictureMotion"));
    m_pMotion->setAccessibleName(tr("Motion over this picture"));
    m_pMotion->addItem(tr("As the album"), int(MotionKind::Album));
    m_pMotion->addItem(tr("None"), int(MotionKind::None));
    m_pMotion->addItem(tr("Zoom in"), int(MotionKind::ZoomIn));
    m_pMotion->addItem(tr("Zoom out"), int(MotionKind::ZoomOut));
    m_pMotion->addItem(tr("Pan left"), int(MotionKind::PanLeft));
    m_pMotion->addItem(tr("Pan right"), int(MotionKind::PanRight));
    m_pMotion->addItem(tr("Pan up"), int(MotionKind::PanUp));
    m_pMotion->addItem(tr("Pan down"), int(MotionKind::PanDown));
    m_pMotion->addItem(tr("Custom (drag the rectangles)"), int(MotionKind::Custom));
    m_pMotionToAll = toAll("btnMotionToAll", tr("Apply the motion to all pictures"));
    pGrid->addWidget(m_pMotion, iRow, 1);
    pGrid->addWidget(m_pMotionToAll, iRow, 2);

    pGrid->addWidget(new QLabel(tr("Caption"), pForm), ++iRow, 0);
    m_pCaption = new QLineEdit(pForm);
    m_pCaption->setObjectName(QStringLiteral("editCaption"));
    m_pCaption->setAccessibleName(tr("Caption of this picture"));
    m_pCaption->setPlaceholderText(tr("Text shown with the picture"));
    m_pCaption->setToolTip(
        tr("{date} shows the date the picture was taken, {file} the name of its file"));
    m_pCaption->setMaxLength(kMaxCaptionFieldChars);
    m_pCaption->setStyleSheet(QStringLiteral(
        "QLineEdit{border:1px solid #E1E1E8;border-radius:4px;padding:3px 8px;min-height:22px;"
        "font-size:14px;color:#333333;background-color:#FFFFFF;}"
        "QLineEdit:hover,QLineEdit:focus{border-color:#5C46F4;}"));
    m_pCaptionToAll = toAll("btnCaptionToAll", tr("Apply the caption's style to all pictures"));
    pGrid->addWidget(m_pCaption, iRow, 1);
    pGrid->addWidget(m_pCaptionToAll, iRow, 2);

    auto *pStyle = new QHBoxLayout;
    pStyle->setSpacing(6);
    m_pCaptionFont = new QFontComboBox(pForm);
    m_pCaptionFont->setObjectName(QStringLiteral("comboCaptionFont"));
    m_pCaptionFont->setAccessibleName(tr("Font of the caption"));
    m_pCaptionFont->setFixedWidth(170);
    m_pCaptionSize = new QSpinBox(pForm);
    m_pCaptionSize->setObjectName(QStringLiteral("spinCaptionSize"));
    m_pCaptionSize->setAccessibleName(tr("Size of the caption, in hundredths of the height"));
    m_pCaptionSize->setRange(int(kMinCaptionSize * 100), int(kMaxCaptionSize * 100));
    m_pCaptionSize->setSuffix(QStringLiteral(" %"));
    m_pCaptionColour = new QPushButton(pForm);
    m_pCaptionColour->setObjectName(QStringLiteral("btnCaptionColour"));
    m_pCaptionColour->setAccessibleName(tr("Colour of the caption"));
    m_pCaptionPosition = new QComboBox(pForm);
    m_pCaptionPosition->setObjectName(QStringLiteral("comboCaptionPosition"));
    m_pCaptionPosition->setAccessibleName(tr("Position of the caption"));
    const QStringList positions{tr("Top left"),    tr("Top"),    tr("Top right"),
                                tr("Left"),        tr("Centre"), tr("Right"),
                                tr("Bottom left"), tr("Bottom"), tr("Bottom right")};
    for (int i = 0; i < positions.size(); ++i)
        m_pCaptionPosition->addItem(positions.at(i), 1 << i);
    m_pCaptionEffect = new QComboBox(pForm);
    m_pCaptionEffect->setObjectName(QStringLiteral("comboCaptionEffect"));
    m_pCaptionEffect->setAccessibleName(tr("Edge of the caption"));
    m_pCaptionEffect->addItem(tr("Plain"), int(TextEffect::Plain));
    m_pCaptionEffect->addItem(tr("Outline"), int(TextEffect::Outline));
    m_pCaptionEffect->addItem(tr("Shadow"), int(TextEffect::Shadow));
    for (QWidget *p :
         std::initializer_list<QWidget *>{m_pCaptionFont, m_pCaptionSize, m_pCaptionColour,
                                          m_pCaptionPosition, m_pCaptionEffect})
        pStyle->addWidget(p);
    pGrid->addLayout(pStyle, ++iRow, 1, 1, 2);

    pGrid->addWidget(new QLabel(tr("Fill around it"), pForm), ++iRow, 0);
    auto *pFillRow = new QHBoxLayout;
    m_pFill = new QComboBox(pForm);
    m_pFill->setObjectName(QStringLiteral("comboPictureFill"));
    m_pFill->setAccessibleName(tr("Fill around this picture"));
    m_pFill->addItem(tr("As the album"), int(FillKind::Album));
    m_pFill->addItem(tr("Black bars"), int(FillKind::Black));
    m_pFill->addItem(tr("Blurred picture"), int(FillKind::Blur));
    m_pFill->addItem(tr("Colour"), int(FillKind::Colour));
    m_pFill->addItem(tr("Crop"), int(FillKind::Crop));
    m_pFillColour = new QPushButton(pForm);
    m_pFillColour->setObjectName(QStringLiteral("btnFillColour"));
    m_pFillColour->setAccessibleName(tr("Colour around this picture"));
    pFillRow->addWidget(m_pFill, 1);
    pFillRow->addWidget(m_pFillColour);
    m_pFillToAll = toAll("btnFillToAll", tr("Apply the fill to all pictures"));
    pGrid->addLayout(pFillRow, iRow, 1);
    pGrid->addWidget(m_pFillToAll, iRow, 2);

    connect(m_pMotion, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
        // A custom motion starts from the preset shown, or from a zoom in.
        if (!m_bShowing && MotionKind(m_pMotion->currentData().toInt()) == MotionKind::Custom &&
            !m_pPicture->shown)
            presetRects(MotionKind::ZoomIn, &m_pPicture->from, &m_pPicture->to);
        changed();
    });
    connect(m_pCaption, &QLineEdit::editingFinished, this, &PicturePanel::changed);
    // The picture follows the typing; the album changes when the typing ends.
    connect(m_pCaption, &QLineEdit::textEdited, this, [this] { showLook(options()); });
    connect(m_pCaptionFont, &QFontComboBox::currentFontChanged, this, &PicturePanel::changed);
    connect(m_pCaptionSize, qOverload<int>(&QSpinBox::valueChanged), this, &PicturePanel::changed);
    connect(m_pCaptionPosition, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &PicturePanel::changed);
    connect(m_pCaptionEffect, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &PicturePanel::changed);
    connect(m_pFill, qOverload<int>(&QComboBox::currentIndexChanged), this, &PicturePanel::changed);
    connect(m_pCaptionColour, &QPushButton::clicked, this, [this] {
        chooseColour(&m_captionColour, m_pCaptionColour, tr("Colour of the caption"));
    });
    connect(m_pFillColour, &QPushButton::clicked, this, [this] {
        chooseColour(&m_fillColour, m_pFillColour, tr("Colour around this picture"));
        if (FillKind(m_pFill->currentData().toInt()) != FillKind::Colour)
            m_pFill->setCurrentIndex(m_pFill->findData(int(FillKind::Colour)));
    });
    connect(m_pMotionToAll, &QPushButton::clicked, this,
            [this] { emit sig_motionToAll(options()); });
    connect(m_pCaptionToAll, &QPushButton::clicked, this,
            [this] { emit sig_captionToAll(options()); });
    connect(m_pFillToAll, &QPushButton::clicked, this, [this] { emit sig_fillToAll(options()); });
}

void PicturePanel::chooseColour(QRgb *pColour, QPushButton *pButton, const QString &szTitle)
{
    const QColor chosen = QColorDialog::getColor(QColor::fromRgb(*pColour), this, szTitle);
    if (!chosen.isValid())
        return;
    *pColour = chosen.rgb();
    setSwatch(pButton, *pColour);
    changed();
}

void PicturePanel::showOptions(const PictureOptions &options)
{
    m_bShowing = true;
    m_pMotion->setCurrentIndex(std::max(0, m_pMotion->findData(int(options.motion.kind))));
    m_pPicture->editable = options.motion.kind == MotionKind::Custom;
    if (options.motion.kind == MotionKind::Custom) {
        m_pPicture->from = options.motion.from;
        m_pPicture->to = options.motion.to;
    }
    m_pPicture->shown = m_pPicture->editable ||
                        presetRects(options.motion.kind, &m_pPicture->from, &m_pPicture->to);
    if (m_pClip) {
        // A clip has no motion of its own.
        m_pPicture->editable = m_pPicture->shown = false;
        m_pClip->setOptions(options.clip);
    }
    m_pPicture->update();
    const Caption &c = options.caption;
    // A longer caption from an album file is kept whole: it may be shortened, not cut.
    m_pCaption->setMaxLength(std::max(kMaxCaptionFieldChars, int(c.text.size())));
    if (m_pCaption->text() != c.text)
        m_pCaption->setText(c.text);
    if (!c.family.isEmpty())
        m_pCaptionFont->setCurrentFont(QFont(c.family));
    m_pCaptionSize->setValue(int(std::lround(c.sizeOfHeight * 100)));
    m_captionColour = c.colour;
    setSwatch(m_pCaptionColour, m_captionColour);
    m_pCaptionPosition->setCurrentIndex(std::max(0, m_pCaptionPosition->findData(c.position)));
    m_pCaptionEffect->setCurrentIndex(int(c.effect));
    m_pFill->setCurrentIndex(std::max(0, m_pFill->findData(int(options.fill.kind))));
    if (options.fill.kind == FillKind::Colour)
        m_fillColour = options.fill.colour;
    setSwatch(m_pFillColour, m_fillColour);
    // The swatch belongs to the colour fill alone.
    m_pFillColour->setVisible(options.fill.kind == FillKind::Colour);
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
    showLook(options);
    m_bShowing = false;
}

QSize PicturePanel::pictureBox()
{
    return kPictureArea;
}

void PicturePanel::setLookPreview(std::shared_ptr<const LookPreview> preview, const Fill &albumFill)
{
    m_preview = std::move(preview);
    m_albumFill = albumFill;
    if (m_pClip)
        showClipFrame(m_pClip->trimBar()->position());
    else
        showLook(options());
}

void PicturePanel::setPictureFacts(const QString &szPath, const PictureFacts &facts)
{
    m_szPath = szPath;
    m_facts = facts;
    m_pFacts->setText(factsText(facts));
    m_pFacts->setVisible(!m_pFacts->text().isEmpty());
    fitContent();
    showLook(options());
}

QString PicturePanel::factsText(const PictureFacts &facts)
{
    QStringList lines;
    if (facts.taken.isValid()) {
        const QLocale locale;
        const QString szWhen =
            tr("%1, %2").arg(locale.toString(facts.taken.date(), QLocale::LongFormat),
                             locale.toString(facts.taken.time(), QLocale::ShortFormat));
        // A file's own time is no date taken: said as what it is.
        lines << (facts.takenByCamera ? tr("Taken %1").arg(szWhen)
                                      : tr("File changed %1 (no date taken)").arg(szWhen));
    }
    if (!facts.camera().isEmpty())
        lines << tr("Camera: %1").arg(facts.camera());
    return lines.join(QLatin1Char('\n'));
}

void PicturePanel::showLook(const PictureOptions &options)
{
    if (!m_preview || m_preview->isNull())
        return;
    ResolvedLook look = stillLook(options, m_albumFill);
    look.caption.text = expandCaptionFields(look.caption.text, m_szPath, m_facts);
    look.faces = m_facts.faces;
    if (look.fill.kind != FillKind::Crop) {
        m_pPicture->setFrame(m_preview->render(look), m_preview->pictureRect());
        return;
    }
    // The whole picture, with the part that fills the frame marked on it: what the crop
    // leaves out stays in sight.
    ResolvedLook whole = look;
    whole.fill.kind = FillKind::Black;
    QImage image = m_preview->render(whole);
    const QRect picture = m_preview->pictureRect();
    if (!image.isNull() && !picture.isEmpty()) {
        const QRectF crop = fitToFrame(look, picture.size(), image.width(), image.height()).from;
        const QRectF mark(picture.x() + crop.x() * picture.width(),
                          picture.y() + crop.y() * picture.height(), crop.width() * picture.width(),
                          crop.height() * picture.height());
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0, 0, 0, 160), 4));
        painter.drawRect(mark.adjusted(1, 1, -1, -1));
        painter.setPen(QPen(Qt::white, 2));
        painter.drawRect(mark.adjusted(1, 1, -1, -1));
    }
    m_pPicture->setFrame(image, picture);
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
    o.motion.kind = MotionKind(m_pMotion->currentData().toInt());
    if (o.motion.kind == MotionKind::Custom) {
        o.motion.from = m_pPicture->from;
        o.motion.to = m_pPicture->to;
    }
    o.caption.text = m_pCaption->text();
    if (!o.caption.text.isEmpty()) {
        o.caption.family = m_pCaptionFont->currentFont().family();
        o.caption.sizeOfHeight = m_pCaptionSize->value() / 100.0;
        o.caption.colour = m_captionColour;
        o.caption.position = m_pCaptionPosition->currentData().toInt();
        o.caption.effect = TextEffect(m_pCaptionEffect->currentData().toInt());
    }
    o.fill.kind = FillKind(m_pFill->currentData().toInt());
    if (o.fill.kind == FillKind::Colour)
        o.fill.colour = m_fillColour;
    o.clip = m_pClip ? m_pClip->options() : m_clipOptions;
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

void PicturePanel::setClip(const QString &szPath, const ClipFacts &facts)
{
    if (m_pClip || facts.duration <= 0)
        return;
    m_szClipPath = szPath;
    QWidget *pForm = m_pPicture->parentWidget();
    m_pClip = new ClipControls(facts, pForm);
    auto *pLayout = qobject_cast<QVBoxLayout *>(pForm->layout());
    pLayout->insertWidget(pLayout->indexOf(m_pFacts) + 1, m_pClip);
    // Its length is its trim at its speed; its picture is its frames.
    for (QWidget *p :
         std::initializer_list<QWidget *>{m_pMotionLabel, m_pMotion, m_pMotionToAll, m_pOwnDuration,
                                          m_pDuration, m_pDurationToAll})
        p->hide();
    m_pPicture->setAccessibleName(tr("The clip at the position shown"));
    m_pClip->setOptions(m_clipOptions);
    m_pClip->trimBar()->setPosition(m_clipOptions.in);
    showOptions(options());
    m_pFrameTimer = new QTimer(this);
    m_pFrameTimer->setSingleShot(true);
    m_pFrameTimer->setInterval(kFrameIntervalMs);
    connect(m_pFrameTimer, &QTimer::timeout, this, [this] { showClipFrame(m_nextFrameAt); });
    connect(m_pClip, &ClipControls::sig_changed, this, &PicturePanel::changed);
    connect(m_pClip, &ClipControls::sig_showFrame, this, [this](int64_t at, bool bSettled) {
        m_nextFrameAt = at;
        if (bSettled) {
            m_pFrameTimer->stop();
            showClipFrame(at);
        } else if (!m_pFrameTimer->isActive()) {
            m_pFrameTimer->start();
        }
    });
    // I and O mark the position wherever the focus is, unless it is in a field being typed in
    // (a field takes its letters before any shortcut).
    for (const auto &[key, fnMark] : {std::pair{Qt::Key_I, &ClipTrimBar::markIn},
                                      std::pair{Qt::Key_O, &ClipTrimBar::markOut}}) {
        auto *pShortcut = new QShortcut(QKeySequence(key), this);
        pShortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(pShortcut, &QShortcut::activated, m_pClip->trimBar(), fnMark);
    }
    showClipFrame(m_pClip->trimBar()->position());
    fitContent();
    m_pClip->trimBar()->setFocus();
}

void PicturePanel::showClipFrame(int64_t at)
{
    av::FramePtr frame = av::makeFrame();
    if (!frame || decodeClipFrame(m_szClipPath, at, kPictureArea, frame.get()) < 0)
        return;
    // Drawn as the video shows it when the album's shape is known, else as it is.
    const QSize stShape = m_preview ? m_preview->frameSize() : QSize();
    if (stShape.isEmpty()) {
        m_pPicture->setPicture(frameToPixmap(frame.get()));
        return;
    }
    m_preview = std::make_shared<LookPreview>(std::move(frame), stShape, kPictureArea);
    showLook(options());
}
