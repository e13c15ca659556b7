// SPDX-License-Identifier: GPL-3.0-or-later
// Font dialog.
#include "fontdialog.h"

#include "fontlistview.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QStyle>
#include <QVBoxLayout>
#include <cmath>

namespace {
constexpr int kMinPointSize = 1;
constexpr int kMaxPointSize = 512;
// Points per pixel at the 96 dpi the watermark sizes are defined for.
constexpr qreal kPointsPerPixel = 0.75;
// QFontDatabase::writingSystemName knows fewer names than this.
constexpr int kWritingSystemLimit = 34;

// "Family [Foundry]" into its parts.
void splitFontName(const QString &szName, QString &szFamily, QString &szFoundry)
{
    const int iOpen = szName.indexOf(QLatin1Char('['));
    const int iClose = szName.lastIndexOf(QLatin1Char(']'));
    if (iOpen >= 0 && iClose > iOpen) {
        szFoundry = szName.mid(iOpen + 1, iClose - iOpen - 1).trimmed();
        szFamily = szName.left(iOpen).trimmed();
    } else {
        szFoundry.clear();
        szFamily = szName.trimmed();
    }
}

bool sameName(const QString &a, const QString &b)
{
    // Font configuration matches family names without regard to case.
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

// Whole point sizes from 1 to 512 as the user types them; a larger number is refused at once
// rather than held as unfinished input. The fractional size handed to the dialog (22.5 for a
// 30-pixel watermark) is accepted as it stands and can be erased a character at a time.
class FontDialog::SizeValidator : public QIntValidator
{
public:
    explicit SizeValidator(QObject *parent) : QIntValidator(kMinPointSize, kMaxPointSize, parent) {}

    void setExactText(const QString &szText) { m_szExact = szText; }
    const QString &exactText() const { return m_szExact; }

    State validate(QString &input, int &pos) const override
    {
        if (!m_szExact.isEmpty()) {
            if (input == m_szExact)
                return Acceptable;
            if (input.contains(QLatin1Char('.')) && m_szExact.startsWith(input))
                return Intermediate;
        }
        const State eState = QIntValidator::validate(input, pos);
        if (eState == Intermediate && input.toInt() > top())
            return Invalid;
        return eState;
    }

private:
    QString m_szExact;
};

FontDialog::FontDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setSizeGripEnabled(true);
    auto *pGrid = new QGridLayout(this);
    const int iSpacing = pGrid->spacing();
    if (iSpacing >= 0) {
        pGrid->setSpacing(0);
        pGrid->setColumnMinimumWidth(1, iSpacing);
        pGrid->setColumnMinimumWidth(3, iSpacing);
        int iMargin = 0;
        pGrid->getContentsMargins(nullptr, nullptr, nullptr, &iMargin);
        pGrid->setRowMinimumHeight(3, iMargin);
        pGrid->setRowMinimumHeight(6, 2);
        pGrid->setRowMinimumHeight(8, iMargin);
    }

    m_pFamilyAccel = new QLabel(this);
    m_pFamilyEdit = new QLineEdit(this);
    m_pFamilyEdit->setReadOnly(true);
    m_pFamilyList = new FontListView(this);
    m_pFamilyEdit->setFocusProxy(m_pFamilyList);
    m_pFamilyAccel->setBuddy(m_pFamilyList);
    m_pFamilyAccel->setIndent(2);

    m_pStyleAccel = new QLabel(this);
    m_pStyleEdit = new QLineEdit(this);
    m_pStyleEdit->setReadOnly(true);
    m_pStyleList = new FontListView(this);
    m_pStyleEdit->setFocusProxy(m_pStyleList);
    m_pStyleAccel->setBuddy(m_pStyleList);
    m_pStyleAccel->setIndent(2);

    m_pSizeAccel = new QLabel(this);
    m_pSizeEdit = new QLineEdit(this);
    m_pSizeEdit->setFocusPolicy(Qt::StrongFocus);
    m_pSizeValidator = new SizeValidator(this);
    m_pSizeEdit->setValidator(m_pSizeValidator);
    m_pSizeList = new FontListView(this);
    m_pSizeAccel->setBuddy(m_pSizeEdit);
    m_pSizeAccel->setIndent(2);

    pGrid->addWidget(m_pFamilyAccel, 0, 0);
    pGrid->addWidget(m_pFamilyEdit, 1, 0);
    pGrid->addWidget(m_pFamilyList, 2, 0);
    pGrid->addWidget(m_pStyleAccel, 0, 2);
    pGrid->addWidget(m_pStyleEdit, 1, 2);
    pGrid->addWidget(m_pStyleList, 2, 2);
    pGrid->addWidget(m_pSizeAccel, 0, 4);
    pGrid->addWidget(m_pSizeEdit, 1, 4);
    pGrid->addWidget(m_pSizeList, 2, 4);
    pGrid->setColumnStretch(0, 38);
    pGrid->setColumnStretch(2, 24);
    pGrid->setColumnStretch(4, 10);

    m_pEffects = new QGroupBox(this);
    auto *pEffectsLayout = new QVBoxLayout(m_pEffects);
    m_pStrikeout = new QCheckBox(m_pEffects);
    pEffectsLayout->addWidget(m_pStrikeout);
    m_pUnderline = new QCheckBox(m_pEffects);
    pEffectsLayout->addWidget(m_pUnderline);
    auto *pColorRow = new QHBoxLayout;
    m_pColorLabel = new QLabel(m_pEffects);
    pColorRow->addWidget(m_pColorLabel);
    m_pColorButton = new QPushButton(m_pEffects);
    m_pColorButton->setFixedSize(48, 20);
    m_pColorButton->setCursor(Qt::PointingHandCursor);
    m_pColorButton->setAutoDefault(false);
    m_pColorLabel->setBuddy(m_pColorButton);
    pColorRow->addWidget(m_pColorButton);
    pColorRow->addStretch(1);
    pEffectsLayout->addLayout(pColorRow);
    pGrid->addWidget(m_pEffects, 4, 0);

    m_pSampleGroup = new QGroupBox(this);
    auto *pSampleLayout = new QHBoxLayout(m_pSampleGroup);
    m_pSampleEdit = new QLineEdit(m_pSampleGroup);
    m_pSampleEdit->setSizePolicy(QSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored));
    m_pSampleEdit->setAlignment(Qt::AlignCenter);
    m_pSampleEdit->setEnabled(false);
    pSampleLayout->addWidget(m_pSampleEdit);
    pGrid->addWidget(m_pSampleGroup, 4, 2, 4, 3);

    m_pWritingSystemAccel = new QLabel(this);
    m_pWritingSystemCombo = new QComboBox(this);
    m_pWritingSystemAccel->setBuddy(m_pWritingSystemCombo);
    m_pWritingSystemAccel->setIndent(2);
    pGrid->addWidget(m_pWritingSystemAccel, 5, 0);
    pGrid->addWidget(m_pWritingSystemCombo, 7, 0);

    m_pButtons = new QDialogButtonBox(this);
    m_pOkButton = m_pButtons->addButton(QDialogButtonBox::Ok);
    m_pOkButton->setDefault(true);
    m_pCancelButton = m_pButtons->addButton(QDialogButtonBox::Cancel);
    pGrid->addWidget(m_pButtons, 9, 0, 1, 5);

    connect(m_pWritingSystemCombo, qOverload<int>(&QComboBox::activated), this,
            &FontDialog::writingSystemChosen);
    connect(m_pFamilyList, &FontListView::highlighted, this, &FontDialog::familyChosen);
    connect(m_pStyleList, &FontListView::highlighted, this, &FontDialog::styleChosen);
    connect(m_pSizeList, &FontListView::highlighted, this, &FontDialog::sizeChosen);
    connect(m_pSizeEdit, &QLineEdit::textChanged, this, &FontDialog::sizeTyped);
    connect(m_pStrikeout, &QCheckBox::clicked, this, &FontDialog::updateSample);
    connect(m_pUnderline, &QCheckBox::clicked, this, &FontDialog::updateSample);
    connect(m_pColorButton, &QPushButton::clicked, this, &FontDialog::pickColor);
    connect(m_pOkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pCancelButton, &QPushButton::clicked, this, &QDialog::reject);

    for (int i = 0; i < kWritingSystemLimit; ++i) {
        const QString szName =
            QFontDatabase::writingSystemName(static_cast<QFontDatabase::WritingSystem>(i));
        if (szName.isEmpty())
            break;
        m_pWritingSystemCombo->addItem(szName);
    }

    updateFamilies();
    if (m_pFamilyList->count() != 0) {
        m_pFamilyList->setCurrentItem(0);
        m_pSizeList->setCurrentItem(0);
    }

    m_pSizeEdit->installEventFilter(this);
    m_pFamilyList->installEventFilter(this);
    m_pStyleList->installEventFilter(this);
    m_pSizeList->installEventFilter(this);
    // Clicks land on the list's viewport, not on the list itself.
    m_pSizeList->viewport()->installEventFilter(this);
    m_pFamilyList->setFocus();
    retranslate();
    m_pSampleEdit->setObjectName(QStringLiteral("qt_fontDialog_sampleEdit"));

    setTabOrder(m_pFamilyList, m_pStyleList);
    setTabOrder(m_pStyleList, m_pSizeEdit);
    setTabOrder(m_pSizeEdit, m_pSizeList);
    setTabOrder(m_pSizeList, m_pStrikeout);
    setTabOrder(m_pStrikeout, m_pUnderline);
    setTabOrder(m_pUnderline, m_pColorButton);
    setTabOrder(m_pColorButton, m_pOkButton);
    setTabOrder(m_pOkButton, m_pCancelButton);

    setCurrentColor(QColor());
    m_pWritingSystemAccel->hide();
    m_pWritingSystemCombo->hide();
    setCurrentColor(Qt::black);
    resize(566, 474);
}

FontDialog::~FontDialog() = default;

void FontDialog::retranslate()
{
    setWindowTitle(tr("Select Font"));
    m_pFamilyAccel->setText(tr("&Font"));
    m_pStyleAccel->setText(tr("Font st&yle"));
    m_pSizeAccel->setText(tr("&Size"));
    m_pEffects->setTitle(tr("Effects"));
    m_pStrikeout->setText(tr("Stri&keout"));
    m_pUnderline->setText(tr("&Underline"));
    m_pColorLabel->setText(tr("Color"));
    m_pSampleGroup->setTitle(tr("Sample"));
    m_pWritingSystemAccel->setText(tr("Wr&iting System"));
    m_pOkButton->setText(tr("OK"));
    m_pCancelButton->setText(tr("Cancel"));
    if (m_iWritingSystem == QFontDatabase::Any)
        m_pSampleEdit->setText(tr("AaBbYyZz"));

    m_pFamilyList->setAccessibleName(tr("Font family"));
    m_pFamilyEdit->setAccessibleName(tr("Chosen font family"));
    m_pStyleList->setAccessibleName(tr("Font style"));
    m_pStyleEdit->setAccessibleName(tr("Chosen font style"));
    m_pSizeEdit->setAccessibleName(tr("Font size"));
    m_pSizeList->setAccessibleName(tr("Font sizes"));
    m_pStrikeout->setAccessibleName(tr("Strikeout"));
    m_pUnderline->setAccessibleName(tr("Underline"));
    m_pColorButton->setAccessibleName(tr("Text color"));
    m_pSampleEdit->setAccessibleName(tr("Sample"));
    m_pWritingSystemCombo->setAccessibleName(tr("Writing system"));
    m_pOkButton->setAccessibleName(tr("OK"));
    m_pCancelButton->setAccessibleName(tr("Cancel"));
}

void FontDialog::setCurrentFont(const QFont &stFont)
{
    m_szFamily = stFont.family();
    m_szStyle = m_fontDatabase.styleString(stFont);
    m_iWeight = stFont.weight();
    m_bItalic = stFont.style() != QFont::StyleNormal;
    qreal lfSize = stFont.pointSizeF();
    if (lfSize <= 0)
        lfSize = QFontInfo(stFont).pointSize();
    if (lfSize > 0)
        m_lfSize = lfSize;
    // A whole size is typed and listed as it is; a fractional one is kept exactly, so that
    // confirming it unchanged changes nothing.
    const bool bFractional = m_lfSize != std::floor(m_lfSize);
    m_lfExactSize = bFractional ? m_lfSize : 0;
    m_pSizeValidator->setExactText(bFractional ? QString::number(m_lfSize) : QString());
    m_pStrikeout->setChecked(stFont.strikeOut());
    m_pUnderline->setChecked(stFont.underline());
    updateFamilies();
}

QFont FontDialog::currentFont() const
{
    return m_pSampleEdit->font();
}

void FontDialog::setCurrentColor(const QColor &stColor)
{
    m_stColor = stColor;
    m_pColorButton->setStyleSheet(
        QStringLiteral("border: none;background-color: %1").arg(m_stColor.name(QColor::HexArgb)));
    emit currentColorChanged(m_stColor);
    updateSample();
}

void FontDialog::setOption(FontDialogOption eOption, bool bOn)
{
    FontDialogOptions eOptions = m_eOptions;
    eOptions.setFlag(eOption, bOn);
    setOptions(eOptions);
}

void FontDialog::setOptions(FontDialogOptions eOptions)
{
    if (m_eOptions == eOptions)
        return;
    m_eOptions = eOptions;
    m_pButtons->setVisible(!m_eOptions.testFlag(NoButtons));
    updateFamilies();
}

void FontDialog::open(QObject *pReceiver, const char *szMember)
{
    connect(this, SIGNAL(fontSelected(QFont)), pReceiver, szMember);
    m_pReceiverToDisconnect = pReceiver;
    m_szMemberToDisconnect = szMember;
    QDialog::open();
}

void FontDialog::done(int result)
{
    if (result == QDialog::Accepted) {
        const QFont stFont = currentFont();
        if (stFont != m_stSelectedFont)
            emit currentFontChanged(stFont);
        m_stSelectedFont = stFont;
        emit fontSelected(m_stSelectedFont);
        emit colorSelected(m_stColor);
    } else {
        m_stSelectedFont = QFont();
    }
    if (m_pReceiverToDisconnect) {
        disconnect(this, SIGNAL(fontSelected(QFont)), m_pReceiverToDisconnect,
                   m_szMemberToDisconnect.constData());
    }
    m_pReceiverToDisconnect = nullptr;
    m_szMemberToDisconnect.clear();
    QDialog::done(result);
}

QFont FontDialog::dialogFontFor(const QFont &stPixelFont)
{
    const QFontInfo info(stPixelFont);
    QFont stFont(info.family());
    stFont.setStyleName(info.styleName());
    stFont.setWeight(info.weight());
    stFont.setItalic(info.italic());
    const int iPixels = stPixelFont.pixelSize() > 0 ? stPixelFont.pixelSize() : info.pixelSize();
    stFont.setPointSizeF(iPixels * kPointsPerPixel);
    stFont.setStrikeOut(stPixelFont.strikeOut());
    stFont.setUnderline(stPixelFont.underline());
    return stFont;
}

int FontDialog::pixelSizeFor(const QFont &stPointFont)
{
    if (stPointFont.pointSizeF() <= 0)
        return stPointFont.pixelSize();
    return static_cast<int>(stPointFont.pointSizeF() / kPointsPerPixel);
}

bool FontDialog::selectsAssociatedText() const
{
    return style()->styleHint(QStyle::SH_FontDialog_SelectAssociatedText, nullptr, this);
}

void FontDialog::updateFamilies()
{
    const FontDialogOptions scalableMask = ScalableFonts | NonScalableFonts;
    const FontDialogOptions spacingMask = MonospacedFonts | ProportionalFonts;
    const bool bFilterScalable =
        (m_eOptions & scalableMask) && (m_eOptions & scalableMask) != scalableMask;
    const bool bFilterSpacing =
        (m_eOptions & spacingMask) && (m_eOptions & spacingMask) != spacingMask;

    QStringList families;
    const QStringList all =
        m_fontDatabase.families(static_cast<QFontDatabase::WritingSystem>(m_iWritingSystem));
    for (const QString &szFamily : all) {
        if (m_fontDatabase.isPrivateFamily(szFamily))
            continue;
        if (bFilterScalable &&
            m_eOptions.testFlag(ScalableFonts) != m_fontDatabase.isSmoothlyScalable(szFamily))
            continue;
        if (bFilterSpacing &&
            m_eOptions.testFlag(MonospacedFonts) != m_fontDatabase.isFixedPitch(szFamily))
            continue;
        families << szFamily;
    }
    m_pFamilyList->model()->setStringList(families);

    QString szWantedFamily, szWantedFoundry;
    splitFontName(m_szFamily, szWantedFamily, szWantedFoundry);
    const QString szAppFamily = QFont().family();
    int iFamilyMatch = -1;
    int iAppMatch = -1;
    int iBest = -1;
    for (int i = 0; i < families.size(); ++i) {
        QString szFamily, szFoundry;
        splitFontName(families.at(i), szFamily, szFoundry);
        if (sameName(szFamily, szWantedFamily)) {
            if (sameName(szFoundry, szWantedFoundry)) {
                iBest = i;
                break;
            }
            if (iFamilyMatch < 0)
                iFamilyMatch = i;
        }
        if (iAppMatch < 0 && sameName(families.at(i), szAppFamily))
            iAppMatch = i;
    }
    if (iBest < 0)
        iBest = iFamilyMatch >= 0 ? iFamilyMatch : (iAppMatch >= 0 ? iAppMatch : 0);

    m_pFamilyList->setCurrentItem(iBest);
    m_pFamilyEdit->setText(m_pFamilyList->currentText());
    if (selectsAssociatedText() && m_pFamilyList->hasFocus())
        m_pFamilyEdit->selectAll();
    updateStyles();
}

void FontDialog::updateStyles()
{
    const QStringList styles = m_fontDatabase.styles(m_pFamilyList->currentText());
    m_pStyleList->model()->setStringList(styles);
    if (styles.isEmpty()) {
        m_pStyleEdit->clear();
        m_bSmoothScalable = false;
    } else {
        int iRow = styles.indexOf(m_szStyle);
        if (iRow < 0 && !m_szStyle.isEmpty()) {
            // Families name their slanted faces either way.
            QString szOther = m_szStyle;
            if (szOther.contains(QLatin1String("Italic")))
                szOther.replace(QLatin1String("Italic"), QLatin1String("Oblique"));
            else
                szOther.replace(QLatin1String("Oblique"), QLatin1String("Italic"));
            iRow = styles.indexOf(szOther);
        }
        if (iRow < 0) {
            // The face the system draws for the wanted weight and slant, rather than whatever
            // the first row is (DejaVu Sans lists "Oblique" first; an upright font given
            // without a style name would come back slanted).
            QFont stProbe(m_pFamilyList->currentText());
            stProbe.setWeight(m_iWeight);
            stProbe.setItalic(m_bItalic);
            iRow = styles.indexOf(QFontInfo(stProbe).styleName());
        }
        m_pStyleList->setCurrentItem(iRow < 0 ? 0 : iRow);
        m_pStyleEdit->setText(m_pStyleList->currentText());
        if (selectsAssociatedText() && m_pStyleList->hasFocus())
            m_pStyleEdit->selectAll();
        m_bSmoothScalable = m_fontDatabase.isSmoothlyScalable(m_pFamilyList->currentText(),
                                                              m_pStyleList->currentText());
    }
    updateSizes();
}

void FontDialog::updateSizes()
{
    if (!m_pFamilyList->currentText().isEmpty()) {
        const QList<int> sizes =
            m_fontDatabase.pointSizes(m_pFamilyList->currentText(), m_pStyleList->currentText());
        QStringList texts;
        int iCurrent = -1;
        for (int i = 0; i < sizes.size(); ++i) {
            texts << QString::number(sizes.at(i));
            if (iCurrent < 0 && sizes.at(i) == m_lfSize)
                iCurrent = i;
        }
        m_pSizeList->model()->setStringList(texts);
        if (iCurrent >= 0)
            m_pSizeList->setCurrentItem(iCurrent);
        {
            const QSignalBlocker blocker(m_pSizeEdit);
            m_pSizeEdit->setText(m_bSmoothScalable ? QString::number(m_lfSize)
                                                   : m_pSizeList->currentText());
        }
        if (selectsAssociatedText() && m_pSizeList->hasFocus())
            m_pSizeEdit->selectAll();
    } else {
        m_pSizeEdit->clear();
    }
    updateSample();
}

qreal FontDialog::sampleSize() const
{
    QString szText = m_pSizeEdit->text();
    int iPos = 0;
    if (m_pSizeValidator->validate(szText, iPos) != QValidator::Acceptable)
        return m_lfSize; // empty or unfinished: the last size stands
    if (!m_pSizeValidator->exactText().isEmpty() && szText == m_pSizeValidator->exactText())
        return m_lfExactSize;
    return szText.toInt();
}

void FontDialog::updateSample()
{
    const QString szFamily = m_pFamilyList->currentText();
    const qreal lfSize = sampleSize();
    QFont stFont = m_fontDatabase.font(szFamily, m_pStyleList->currentText(),
                                       qMax(kMinPointSize, qRound(lfSize)));
    if (lfSize > 0)
        stFont.setPointSizeF(lfSize);
    stFont.setStrikeOut(m_pStrikeout->isChecked());
    stFont.setUnderline(m_pUnderline->isChecked());
    if (szFamily.isEmpty())
        m_pSampleEdit->clear();

    QPalette palette = m_pSampleEdit->palette();
    palette.setColor(QPalette::Text, m_stColor);
    m_pSampleEdit->setPalette(palette);

    // Compared with what was given last: the widget's own font also carries what it inherits,
    // so it never equals a font from the database.
    if (stFont != m_stSampleFont) {
        m_stSampleFont = stFont;
        m_pSampleEdit->setFont(stFont);
        emit currentFontChanged(stFont);
    }
}

void FontDialog::familyChosen(int iRow)
{
    m_szFamily = m_pFamilyList->text(iRow);
    m_pFamilyEdit->setText(m_szFamily);
    if (selectsAssociatedText() && m_pFamilyList->hasFocus())
        m_pFamilyEdit->selectAll();
    updateStyles();
}

void FontDialog::styleChosen(int iRow)
{
    const QString szStyle = m_pStyleList->text(iRow);
    m_pStyleEdit->setText(szStyle);
    if (selectsAssociatedText() && m_pStyleList->hasFocus())
        m_pStyleEdit->selectAll();
    m_szStyle = szStyle;
    m_iWeight = m_fontDatabase.weight(m_pFamilyList->currentText(), szStyle);
    m_bItalic = m_fontDatabase.italic(m_pFamilyList->currentText(), szStyle);
    updateSizes();
}

void FontDialog::sizeChosen(int iRow)
{
    const QString szSize = m_pSizeList->text(iRow);
    m_lfSize = szSize.toInt();
    m_pSizeEdit->setText(szSize);
    if (selectsAssociatedText() && m_pSizeList->hasFocus())
        m_pSizeEdit->selectAll();
    updateSample();
}

void FontDialog::sizeTyped(const QString &szText)
{
    QString szCopy = szText;
    int iPos = 0;
    // An empty or unfinished field keeps the last size rather than asking for a 0-point font.
    if (m_pSizeValidator->validate(szCopy, iPos) != QValidator::Acceptable)
        return;
    const bool bExact =
        !m_pSizeValidator->exactText().isEmpty() && szText == m_pSizeValidator->exactText();
    const qreal lfSize = bExact ? m_lfExactSize : szText.toInt();
    if (lfSize == m_lfSize)
        return;
    m_lfSize = lfSize;
    if (m_pSizeList->count() != 0) {
        int i = 0;
        for (; i < m_pSizeList->count() - 1; ++i) {
            if (m_pSizeList->text(i).toInt() >= lfSize)
                break;
        }
        const QSignalBlocker blocker(m_pSizeList);
        if (m_pSizeList->text(i).toInt() == lfSize)
            m_pSizeList->setCurrentItem(i);
        else
            m_pSizeList->clearSelection();
    }
    updateSample();
}

void FontDialog::writingSystemChosen(int iIndex)
{
    m_iWritingSystem = iIndex;
    m_pSampleEdit->setText(
        QFontDatabase::writingSystemSample(static_cast<QFontDatabase::WritingSystem>(iIndex)));
    updateFamilies();
}

void FontDialog::pickColor()
{
    auto *pDialog = new QColorDialog(this);
    // The platform's own colour chooser would ignore the texts and start colour set here.
    pDialog->setOption(QColorDialog::DontUseNativeDialog);
    const auto buttons = pDialog->findChildren<QPushButton *>();
    for (QPushButton *pButton : buttons) {
        if (pButton->text() == QLatin1String("&Pick Screen Color"))
            pButton->setText(tr("&Pick Screen Color"));
    }
    if (auto *pBox = pDialog->findChild<QDialogButtonBox *>()) {
        const auto boxButtons = pBox->buttons();
        for (QAbstractButton *pButton : boxButtons) {
            if (pButton->text() == QLatin1String("OK"))
                pButton->setText(tr("OK"));
            else if (pButton->text() == QLatin1String("Cancel"))
                pButton->setText(tr("Cancel"));
        }
    }
    // Black would open the chooser with its brightness at zero, where every hue looks the same.
    const bool bDark = !m_stColor.isValid() || m_stColor.rgb() == qRgb(0, 0, 0);
    pDialog->setCurrentColor(bDark ? QColor(Qt::white) : m_stColor);
    if (pDialog->exec() == QDialog::Accepted)
        setCurrentColor(pDialog->currentColor());
    pDialog->deleteLater();
}

bool FontDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *pKey = static_cast<QKeyEvent *>(event);
        const int iKey = pKey->key();
        if (watched == m_pSizeEdit && (iKey == Qt::Key_Up || iKey == Qt::Key_Down ||
                                       iKey == Qt::Key_PageUp || iKey == Qt::Key_PageDown)) {
            const int iRow = m_pSizeList->currentItem();
            QCoreApplication::sendEvent(m_pSizeList, pKey);
            if (iRow != m_pSizeList->currentItem() && selectsAssociatedText())
                m_pSizeEdit->selectAll();
            return true;
        }
        if ((watched == m_pFamilyList || watched == m_pStyleList) &&
            (iKey == Qt::Key_Return || iKey == Qt::Key_Enter)) {
            pKey->accept();
            accept();
            return true;
        }
    } else if (event->type() == QEvent::FocusIn && selectsAssociatedText()) {
        if (watched == m_pFamilyList)
            m_pFamilyEdit->selectAll();
        else if (watched == m_pStyleList)
            m_pStyleEdit->selectAll();
        else if (watched == m_pSizeList)
            m_pSizeEdit->selectAll();
    } else if (event->type() == QEvent::MouseButtonPress &&
               (watched == m_pSizeList || watched == m_pSizeList->viewport())) {
        m_pSizeEdit->setFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void FontDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}
