// SPDX-License-Identifier: GPL-3.0-or-later
// Export settings dialog.
#include "exportsettingdialog.h"

#include "exportsettingdialog_ui.h"
#include "startfolders.h"

#include "cqcombobox.h"
#include "cqtoast.h"
#include "cqwidgetex.h"
#include "translucentwindow.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QRegExp>
#include <QScreen>
#include <QSet>
#include <QStandardItemModel>
#include <QStandardPaths>

#include <cstdlib>

using ShareCode::CQToast;

namespace {

constexpr int kToastMs = 2000;
constexpr int kSampleRateStartIndex = 3; // "44100Hz"
constexpr int kGifMaxFps = 50;           // the fastest a GIF written in hundredths plays
// Longest file name, in bytes, that Linux file systems take (NAME_MAX).
constexpr int kNameMaxBytes = 255;
// The random part of the encoder's temporary file name: a 32-bit number in base 36.
constexpr int kTemporaryRandomChars = 7;

// The formats this program writes without sound.
bool isSilentFormat(const QString &szFormat)
{
    return szFormat.compare(QLatin1String("GIF"), Qt::CaseInsensitive) == 0 ||
           szFormat.compare(QLatin1String("M4V"), Qt::CaseInsensitive) == 0;
}

ExportSettingDialog::DirectoryChooser &directoryChooser()
{
    static ExportSettingDialog::DirectoryChooser fnChooser;
    return fnChooser;
}

QString defaultExportFolder()
{
    QString szVideos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    // An empty location would put the folder at the root of the file system.
    if (szVideos.isEmpty())
        szVideos = QDir::homePath();
    return QDir::toNativeSeparators(QStringLiteral("%1/%2").arg(
        szVideos, QCoreApplication::translate("ExportSettingDialog", "VMAlbum")));
}

} // namespace

ExportSettingDialog::ExportSettingDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::ExportSettingDialogClass)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    ShareCode::fitTranslucentWindow(this, 10);

    ui->comboExportFormat->setCurrentIndex(0);
    ui->comboVideoFrameRate->setCurrentIndex(0);
    ui->comboVideoBitRate->setCurrentIndex(0);
    ui->comboAudioBitRate->setCurrentIndex(0);
    ui->comboAudioSampleRate->setCurrentIndex(kSampleRateStartIndex);

    const QString szFolder = defaultExportFolder();
    if (!QFileInfo::exists(szFolder))
        QDir().mkpath(szFolder); // a failure shows later, when the export cannot write there
    changeFileDirectory(szFolder);

    installEventFilter(this);
    ui->labelFileDir->installEventFilter(this);
    ui->editFileName->installEventFilter(this);

    ShareCode::CQWidgetEx::centerWidget(this, parentWidget());
    QScreen *pScreen = QGuiApplication::screenAt(geometry().center());
    if (!pScreen)
        pScreen = QGuiApplication::primaryScreen();
    if (pScreen)
        move(ShareCode::CQWidgetEx::keepOnScreen(pos(), size(), pScreen->availableGeometry()));

    // Wired only now, so that the initial selections above report nothing. The text form of
    // currentIndexChanged is deprecated; the item's text is what travels.
    const auto forward = [this](ShareCode::CQComboBox *pCombo,
                                void (ExportSettingDialog::*pSignal)(QString)) {
        connect(pCombo, qOverload<int>(&QComboBox::currentIndexChanged), this,
                [this, pCombo, pSignal](int iIndex) {
                    emit(this->*pSignal)(pCombo->itemText(iIndex));
                });
    };
    forward(ui->comboExportFormat, &ExportSettingDialog::sig_exportFormatChanged);
    forward(ui->comboVideoFrameRate, &ExportSettingDialog::sig_frameRateChanged);
    forward(ui->comboVideoBitRate, &ExportSettingDialog::sig_videoBitRateChanged);
    forward(ui->comboAudioBitRate, &ExportSettingDialog::sig_audioBitRateChanged);
    forward(ui->comboAudioSampleRate, &ExportSettingDialog::sig_sampleRateChanged);
    connect(ui->comboExportFormat, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &ExportSettingDialog::updateGifRateNote);
    connect(ui->comboVideoFrameRate, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &ExportSettingDialog::updateGifRateNote);
    connect(ui->comboExportFormat, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &ExportSettingDialog::updateClipSoundNote);

    connect(ui->btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->btnChangeFileDir, &QPushButton::clicked, this,
            qOverload<>(&ExportSettingDialog::changeFileDirectory));
    connect(ui->btnExport, &QPushButton::clicked, this, &ExportSettingDialog::startExport);
    connect(ui->editFileName, &QLineEdit::editingFinished, this,
            &ExportSettingDialog::editTextFinish);
    connect(ui->editFileName, &QLineEdit::textChanged, this,
            &ExportSettingDialog::uiChangeFileName);
    connect(ui->btnEditFileName, &QPushButton::clicked, this, &ExportSettingDialog::startEditText);
}

ExportSettingDialog::~ExportSettingDialog() = default;

QString ExportSettingDialog::exportFormat() const
{
    return ui->comboExportFormat->currentText();
}

QString ExportSettingDialog::frameRate() const
{
    return ui->comboVideoFrameRate->currentText();
}

QString ExportSettingDialog::videoBitRate() const
{
    return ui->comboVideoBitRate->currentText();
}

QString ExportSettingDialog::audioBitRate() const
{
    return ui->comboAudioBitRate->currentText();
}

QString ExportSettingDialog::sampleRate() const
{
    return ui->comboAudioSampleRate->currentText();
}

void ExportSettingDialog::selectChoices(const QString &szFormat, int iFps, qint64 iVideoKbps,
                                        qint64 iAudioKbps, int iSampleRate)
{
    const int iFormat = ui->comboExportFormat->findText(szFormat, Qt::MatchFixedString);
    auto *pModel = qobject_cast<QStandardItemModel *>(ui->comboExportFormat->model());
    if (iFormat >= 0 && (!pModel || pModel->item(iFormat)->isEnabled()))
        ui->comboExportFormat->setCurrentIndex(iFormat);
    const auto byNumber = [](QComboBox *pCombo, qint64 iValue) {
        for (int i = 0; i < pCombo->count(); ++i) {
            if (std::atoll(pCombo->itemText(i).toLatin1().constData()) == iValue) {
                pCombo->setCurrentIndex(i);
                return;
            }
        }
    };
    byNumber(ui->comboVideoFrameRate, iFps);
    byNumber(ui->comboVideoBitRate, iVideoKbps);
    byNumber(ui->comboAudioBitRate, iAudioKbps);
    byNumber(ui->comboAudioSampleRate, iSampleRate);
}

void ExportSettingDialog::setAudioSettingsEnabled(bool enabled)
{
    setAudioSources(enabled, false);
}

void ExportSettingDialog::setAudioSources(bool bMusic, bool bClipSound)
{
    auto *pModel = qobject_cast<QStandardItemModel *>(ui->comboExportFormat->model());
    for (int i = 0; pModel && i < pModel->rowCount(); ++i) {
        // These containers carry no sound, or no MP3-sourced sound, in this program. The music
        // is what the album is made around, so it rules them out; a clip's sound is part of a
        // picture, and the album still makes sense without it.
        if (isSilentFormat(ui->comboExportFormat->itemText(i)))
            pModel->item(i)->setEnabled(!bMusic);
    }
    ui->divAudioSetting->setEnabled(bMusic || bClipSound);
    m_bClipSoundOnly = !bMusic && bClipSound;
    updateClipSoundNote();
}

bool ExportSettingDialog::isValidFileName(const QString &szName)
{
    const QString szUpper = szName.toUpper();
    if (szUpper.isEmpty())
        return false;
    for (const QChar ch : szUpper) {
        // A NUL would end the path early wherever it meets the C library.
        if (ch.unicode() == 0)
            return false;
        // Characters beyond Latin-1 read as 0 here and pass; 128..255 read negative.
        const auto c = static_cast<signed char>(ch.toLatin1());
        if (c >= 1 && c <= 31)
            return false;
        switch (c) {
        case '/':
        case '\\':
        case '<':
        case '>':
        case ':':
        case '"':
        case '|':
        case '?':
        case '*':
            return false;
        default:
            break;
        }
    }
    // Device names of other systems: a file so named could not be copied there.
    static const QSet<QString> reserved = [] {
        QSet<QString> set{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                          QStringLiteral("NUL")};
        for (int i = 0; i <= 9; ++i) {
            set.insert(QStringLiteral("COM%1").arg(i));
            set.insert(QStringLiteral("LPT%1").arg(i));
        }
        return set;
    }();
    if (reserved.contains(szUpper))
        return false;
    if (szUpper.endsWith(QLatin1Char(' ')))
        return false;
    // Counted on the name as typed: upper-casing can lengthen it ("ß" becomes "SS").
    return szName.size() <= 260;
}

bool ExportSettingDialog::fitsNameLimit(const QString &szName, const QString &szFormat)
{
    // Mirrors the encoder's temporary file ".<name>.<ext>.<random>.part" beside the target,
    // which is longer than the target's own name.
    const QString szTemporary =
        QStringLiteral(".%1.%2.%3.part")
            .arg(szName, szFormat.toLower(), QString(kTemporaryRandomChars, QLatin1Char('z')));
    return szTemporary.toUtf8().size() <= kNameMaxBytes;
}

void ExportSettingDialog::setDirectoryChooser(DirectoryChooser fnChooser)
{
    directoryChooser() = std::move(fnChooser);
}

void ExportSettingDialog::uiChangeFileName(QString szText)
{
    QString szName = szText;
    szName.remove(QRegExp(QStringLiteral("\\s* +$")));
    if (szName.isEmpty() || (isValidFileName(szName) && fitsNameLimit(szName, exportFormat()))) {
        m_szFileName = szName;
        emit sig_fileNameChanged(szName);
        return;
    }
    {
        // The stored name was accepted already; putting it back must not report it again.
        const QSignalBlocker blocker(ui->editFileName);
        ui->editFileName->setText(m_szFileName);
    }
    showToast(tr("Invalid file name!"));
}

void ExportSettingDialog::changeFileDirectory()
{
    const QString szCaption = tr("VMAlbum");
    // A folder that went away would send the chooser to the working directory.
    const QString szStart = StartFolders::existingOrDesktop(m_szFileDirectory);
    QString szDir;
    if (directoryChooser())
        szDir = directoryChooser()(szCaption, szStart);
    else
        szDir = QFileDialog::getExistingDirectory(nullptr, szCaption, szStart,
                                                  QFileDialog::ShowDirsOnly);
    changeFileDirectory(szDir);
}

void ExportSettingDialog::changeFileDirectory(QString szDir)
{
    if (szDir.isEmpty())
        return;
    m_szFileDirectory = QDir::toNativeSeparators(szDir);
    QLabel *pLabel = ui->labelFileDir;
    pLabel->ensurePolished(); // the style sheet's font is the one the label draws with
    const QMargins stMargins = pLabel->contentsMargins();
    // Both ends of a path say where it is: the middle goes first.
    pLabel->setText(
        pLabel->fontMetrics().elidedText(m_szFileDirectory, Qt::ElideMiddle,
                                         pLabel->width() - stMargins.left() - stMargins.right()));
    pLabel->setToolTip(m_szFileDirectory);
    emit sig_fileDirectoryChanged(m_szFileDirectory);
}

void ExportSettingDialog::changeFileName(QString szText)
{
    ui->editFileName->setText(szText);
}

void ExportSettingDialog::startExport()
{
    // The field as shown, trailing spaces included: what was stored may differ from it.
    const QString szText = ui->editFileName->text();
    if (szText.isEmpty())
        m_pToast = showToast(tr("Please enter a file name"));
    else if (isValidFileName(szText) && fitsNameLimit(szText, exportFormat()))
        emit sig_exportRequest();
    else
        m_pToast = showToast(tr("Invalid file name!"));
}

void ExportSettingDialog::editTextFinish()
{
    // A refused character pops a toast up, which takes the focus for a moment; the user is
    // still typing, and the field gets the focus back when the toast goes.
    if (qobject_cast<CQToast *>(QApplication::activePopupWidget()))
        return;
    ui->editFileName->clearFocus();
    setEditingLook(false);
}

void ExportSettingDialog::startEditText()
{
    ui->editFileName->setFocus();
    ui->editFileName->selectAll();
    setEditingLook(true);
}

void ExportSettingDialog::setEditingLook(bool bEditing)
{
    if (m_bEditing == bEditing)
        return;
    m_bEditing = bEditing;
    ui->editFileName->setProperty("editing", bEditing);
    // Re-applying the style re-evaluates the QLineEdit[editing=true] rule.
    ui->editFileName->setStyle(QApplication::style());
}

CQToast *ExportSettingDialog::showToast(const QString &szText)
{
    auto *pToast = new CQToast(this);
    pToast->showMessage(szText, kToastMs, true);
    // In the title row, clear of the close button and of every setting below it: the notice
    // is about the name, and the choices stay in sight. Between the title and the close button
    // where it fits there, else centred over the title's end.
    const int iBelowTitle = ui->divFormatSetting->mapTo(this, QPoint(0, 0)).y();
    const int iTop = std::max(0, (iBelowTitle - pToast->height()) / 2);
    const int iTitleEnd = ui->labelTitle->mapTo(this, QPoint(ui->labelTitle->width(), 0)).x();
    const int iCloseStart = ui->btnClose->mapTo(this, QPoint(0, 0)).x();
    const int iGap = iCloseStart - iTitleEnd;
    const int iLeft = pToast->width() <= iGap ? iTitleEnd + (iGap - pToast->width()) / 2
                                              : (width() - pToast->width()) / 2;
    pToast->move(mapToGlobal(QPoint(iLeft, iTop)));
    return pToast;
}

bool ExportSettingDialog::gifRateLimited() const
{
    // GIF times its frames in hundredths of a second: 60 and 120 fps cannot be kept.
    return exportFormat().compare(QLatin1String("GIF"), Qt::CaseInsensitive) == 0 &&
           std::atoi(frameRate().toLatin1().constData()) > kGifMaxFps;
}

void ExportSettingDialog::updateGifRateNote()
{
    ui->labelGifRateNote->setVisible(gifRateLimited());
}

bool ExportSettingDialog::clipSoundLeftOut() const
{
    return m_bClipSoundOnly && isSilentFormat(exportFormat());
}

void ExportSettingDialog::updateClipSoundNote()
{
    if (!clipSoundLeftOut()) {
        ui->labelClipSoundNote->hide();
        return;
    }
    // Whole sentences, so that a translation can place the format where its grammar wants it.
    const bool bGif = exportFormat().compare(QLatin1String("GIF"), Qt::CaseInsensitive) == 0;
    ui->labelClipSoundNote->setText(bGif ? tr("The clips' sound is left out of GIF files.")
                                         : tr("The clips' sound is left out of M4V files."));
    ui->labelClipSoundNote->show();
}

bool ExportSettingDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent *>(event)->buttons().testFlag(Qt::LeftButton)) {
        if (watched == ui->editFileName) {
            setEditingLook(true);
        } else {
            ui->editFileName->clearFocus();
            setEditingLook(false);
            setFocus();
        }
    } else if (event->type() == QEvent::ToolTip && watched == ui->labelFileDir &&
               !m_szFileDirectory.isEmpty()) {
        ui->labelFileDir->setToolTip(m_szFileDirectory);
    }
    return QDialog::eventFilter(watched, event);
}

void ExportSettingDialog::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_bDragging = true;
        m_stPressGlobal = event->globalPos();
        m_stPressWindow = pos();
    }
    QDialog::mousePressEvent(event);
}

void ExportSettingDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (m_bDragging && event->buttons().testFlag(Qt::LeftButton))
        move(m_stPressWindow + event->globalPos() - m_stPressGlobal);
    QDialog::mouseMoveEvent(event);
}

void ExportSettingDialog::mouseReleaseEvent(QMouseEvent *event)
{
    m_bDragging = false;
    QDialog::mouseReleaseEvent(event);
}

void ExportSettingDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        updateClipSoundNote();
    }
    QDialog::changeEvent(event);
}
