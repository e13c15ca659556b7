// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: construction, destruction, the halt step, the workers' album and events.
#include "zodozadar.h"

#include "beatkeeper.h"

#include "zodozadar_form.h"

#include "addimagebutton.h"
#include "album.h"
#include "albumdocument.h"
#include "audiodecoder.h"
#include "cframelesswindow.h"
#include "cqcombobox.h"
#include "cqtoast.h"
#include "cqvideoplay.h"
#include "droparea.h"
#include "editormenu.h"
#include "exportcontroller.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "imageviewer.h"
#include "mediaencoder.h"
#include "missingpictures.h"
#include "pictureimport.h"
#include "previewcontroller.h"
#include "settingspanel.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QThread>
#include <QTimer>
#include <QUndoStack>

namespace {
// A failed autosave is said long enough to be read.
constexpr int kAutosaveToastMs = 4000;
} // namespace

ZodoZadar::ZodoZadar(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::ZodoZadarClass>())
{
    ui->setupUi(this);
    setStyleSheet(zodoZadarStyleSheet());
    registerEngineMetaTypes();
    m_pDocument = new AlbumDocument(this);
    createWorkers();
    setStartValues();
    installEventFilters();
    setStartState();
    m_pPreview = std::make_unique<PreviewController>(*this, m_pDocument, ui->divPlayer, m_pViewer,
                                                     m_pAudioDecoder);
    m_pMissing = std::make_unique<MissingPictures>(*this, m_pDocument, ui->imageSourceList,
                                                   m_pDecoder, m_pPreview.get());
    m_pExport = std::make_unique<ExportController>(*this, m_pDocument, m_pEncoder, m_pPreview.get(),
                                                   m_pMissing.get());
    m_pSettings = std::make_unique<SettingsPanel>(*this, m_pDocument, m_pPreview.get(), m_pDecoder);
    m_pImport = std::make_unique<PictureImport>(*this, m_pDocument, m_pPreview.get(), m_pDecoder,
                                                m_pMissing.get());
    m_pBeats = std::make_unique<BeatKeeper>(*this, m_pDocument);
    new DropArea(*this, m_pSettings.get());
    if (ui->divPlayer->connectControls()) {
        updateControls();
        makeConnections();
    }
    connect(m_pDocument, &AlbumDocument::replaced, this, &ZodoZadar::showAlbum);
    // The workers' next run or cover starts from the album as it is after every change.
    connect(m_pDocument, &AlbumDocument::changed, this, [this] { m_pPreview->publishAlbum(); });
    connect(m_pDocument, &AlbumDocument::savedStateChanged, this, &ZodoZadar::updateTitle);
    connect(m_pDocument, &AlbumDocument::identityChanged, this, &ZodoZadar::updateTitle);
    // The player's length follows the pictures and their durations, whatever changed them.
    connect(m_pDocument, &AlbumDocument::partsChanged, this, [this](AlbumParts parts) {
        if (parts & (AlbumPart::Items | AlbumPart::Settings))
            setTotalTimeDisplay();
    });
    connect(m_pDocument, &AlbumDocument::autosaveFailed, this, [this](const QString &szError) {
        toast(tr("The album could not be saved for restoring: %1").arg(szError), nullptr,
              kAutosaveToastMs);
    });
    m_pHandedFilesTimer = new QTimer(this);
    m_pHandedFilesTimer->setInterval(kHandedFilesCheckMs);
    connect(m_pHandedFilesTimer, &QTimer::timeout, this, &ZodoZadar::openWaitingFiles);
    if (m_bConnected) {
        m_pMenu = std::make_unique<EditorMenu>(*this);
        m_pMenu->create();
    }
}

ZodoZadar::~ZodoZadar()
{
    // The window is going: by the quit question, or with nothing in it. Either way the album is
    // not kept, and the next start offers nothing back.
    endSession();
    // The document's signals as it goes would reach a half-destroyed editor.
    m_pDocument->undoStack()->blockSignals(true);
    m_pDocument->blockSignals(true);
    // Taken before the workers are told to close: a thread that ends deletes its worker.
    QPointer<QObject> workers[] = {m_pEncoder, m_pViewer, m_pDecoder, m_pAudioDecoder};
    m_pViewer->stopAll();
    m_pViewer->running = false; // covers still queued are skipped
    emit m_pViewer->sig_close(0);
    m_pEncoder->running = false;
    emit m_pEncoder->sig_close(0);
    m_pDecoder->running = false;
    emit m_pDecoder->sig_close(0);
    // A decode still queued (play pressed just before) must not start once nothing plays it.
    m_pAudioDecoder->closing = true;
    m_pAudioDecoder->stop();
    emit m_pAudioDecoder->sig_close(0);
    ui->divPlayer->stopAudio();
    ui->divPlayer->releaseProducers();

    // Every worker ends before the album and the player go: they read both.
    QPointer<QThread> threads[] = {m_pEncoderThread, m_pViewerThread, m_pDecoderThread,
                                   m_pAudioThread};
    for (int i = 0; i < 4; ++i) {
        if (threads[i])
            threads[i]->wait();
        // A finished thread deletes its worker as it ends; the renderer has no such link, and a
        // thread that never ran would not either.
        delete workers[i].data();
        delete threads[i].data();
    }

    ui->divPlayer->detachEngine();
    if (auto *pModel = ui->imageSourceList->model())
        pModel->removeRows(0, pModel->rowCount());
    // The player's signals reach the preview through the editor: none may come once it goes.
    disconnect(ui->divPlayer, nullptr, this, nullptr);
}

CQVideoPlay *ZodoZadar::player() const
{
    return ui->divPlayer;
}

void ZodoZadar::createWorkers()
{
    // Each worker lives on a thread of its own; the names show in debuggers and sanitizer reports.
    auto start = [](QObject *pWorker, const char *szName) {
        auto *pThread = new QThread;
        pThread->setObjectName(QString::fromLatin1(szName));
        pWorker->moveToThread(pThread);
        pThread->start(QThread::InheritPriority);
        return pThread;
    };
    m_pEncoder = new MediaEncoder;
    m_pEncoderThread = start(m_pEncoder, "MediaEncoder");
    m_pViewer = new ImageViewer;
    m_pViewerThread = start(m_pViewer, "ImageViewer");
    m_pDecoder = new ImageDecoder;
    m_pDecoderThread = start(m_pDecoder, "ImageDecoder");
    m_pAudioDecoder = new AudioDecoder;
    m_pAudioThread = start(m_pAudioDecoder, "AudioDecoder");
}

void ZodoZadar::setStartValues()
{
    minDuration = 1;
    maxDuration = 60;

    // The album starts as a new one is; the workers' player is the one in the form.
    m_pViewer->player = ui->divPlayer;
    m_pAudioDecoder->output = ui->divPlayer;
    m_pViewer->playPosition = 0;
}

void ZodoZadar::installEventFilters()
{
    setAttribute(Qt::WA_Hover);
    for (QObject *pWatched :
         {static_cast<QObject *>(this), static_cast<QObject *>(ui->btnImageWartermarkHelp),
          static_cast<QObject *>(ui->editWatermarkText), static_cast<QObject *>(ui->btnExport),
          static_cast<QObject *>(ui->boxImageDuration),
          static_cast<QObject *>(ui->labelImageWatermarkName),
          static_cast<QObject *>(ui->labelBackgroundMusicName)})
        pWatched->installEventFilter(this);
}

void ZodoZadar::setStartState()
{
    ui->divImageSourceOperate->setCurrentWidget(ui->pageAddImage);
    changeImageDurationComboBoxStyle();
    ui->imageSourceList->setConfirmDelete(true);
    ui->imageSourceList->setShowSelectionFrame(false);
    ui->imageSourceList->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void ZodoZadar::makeConnections()
{
    m_bConnected = true;
    // Source strip and duration.
    connect(ui->btnAddImage, &AddImageButton::sig_clickedContent, this,
            &ZodoZadar::selectImageSources);
    connect(ui->btnAddImageAgain, &QPushButton::clicked, this, &ZodoZadar::replacePictures);
    connect(ui->btnDurationToAll, &QPushButton::clicked, this, &ZodoZadar::setAllDurations);
    connect(ui->imageSourceList, &ImageListView::sig_itemActivated, this,
            [this](int iRow) { m_pMissing->activateRow(iRow); });
    connect(ui->imageSourceList, &ImageListView::sig_itemClicked, this,
            &ZodoZadar::imageSourceSelected);
    connect(ui->imageSourceList, &ImageListView::sig_itemDeleted, this,
            &ZodoZadar::imageSourceDeleted);
    connect(ui->imageSourceList, &ImageListView::sig_itemDraged, this,
            &ZodoZadar::dragedImageSources);
    connect(ui->boxImageDuration, qOverload<int>(&QSpinBox::valueChanged), this,
            &ZodoZadar::imageDurationChanged);
    // Output lists, watermark and music.
    m_pSettings->connectControls();
    // Export.
    connect(ui->btnExport, &QPushButton::clicked, this, &ZodoZadar::prepareExport);
    // Preview.
    CQVideoPlay *pPlayer = ui->divPlayer;
    PreviewController *pPreview = m_pPreview.get();
    connect(pPlayer, &CQVideoPlay::vp_PlayOrPauseVideoSignal, this,
            [pPreview](bool bPlay) { pPreview->playOrPause(bPlay); });
    connect(pPlayer, &CQVideoPlay::vp_cSliderPressSignal, this,
            [pPreview] { pPreview->sliderPressed(); });
    connect(pPlayer, &CQVideoPlay::vp_cSliderReleaseSignal, this,
            [pPreview](double lfRatio) { pPreview->sliderReleased(lfRatio); });
    connect(pPlayer, &CQVideoPlay::vp_timeLoopEndSignal, this, [pPreview] { pPreview->halt(); });
    connect(m_pViewer, &ImageViewer::sig_previewFinished, this,
            [pPreview] { pPreview->runFinished(); });
    connect(pPlayer, &CQVideoPlay::vp_videoStopPlaySignal, this,
            [pPreview] { pPreview->playerGaveUp(); });
    connect(pPlayer, &CQVideoPlay::vp_surfaceResizedSignal, this,
            [pPreview](QSize size) { pPreview->surfaceResized(size); });
    m_pViewer->setShownSize(pPlayer->surfaceSize());
    // Every numbered answer of the picture decoder; each request's owner is found by its number.
    connect(m_pDecoder, &ImageDecoder::sig_answered, this, &ZodoZadar::decoderAnswered);
    // Sent just before the answer it goes with: kept by path for whoever adds the picture.
    connect(m_pDecoder, &ImageDecoder::sig_factsRead, this,
            [this](quint64, const QString &szFile, const PictureFacts &facts) {
                m_pictureFacts.insert(szFile, facts);
            });
    // Window.
    if (auto *pFrame = ShareCode::CFramelessWindow::instance()) {
        connect(pFrame, &ShareCode::CFramelessWindow::signal_close, this, &ZodoZadar::closeRequest);
        connect(pFrame, &ShareCode::CFramelessWindow::signal_screenOut, this,
                [pPreview] { pPreview->holdRequested(); });
    }
    // Workers: a thread that ends deletes its worker; the renderer is deleted by the editor.
    for (auto [pThread, pWorker] : {std::pair<QThread *, QObject *>{m_pEncoderThread, m_pEncoder},
                                    {m_pDecoderThread, m_pDecoder},
                                    {m_pAudioThread, m_pAudioDecoder}}) {
        connect(pThread, &QThread::finished, pWorker, &QObject::deleteLater);
        connect(pWorker, &QObject::destroyed, pThread, &QObject::deleteLater);
    }
}

void ZodoZadar::prepareExport()
{
    m_pExport->prepare();
}

void ZodoZadar::exportSetting()
{
    m_pExport->showSettings();
}

void ZodoZadar::exportVideo()
{
    m_pExport->start();
}

void ZodoZadar::updateRequest()
{
    m_pPreview->holdRequested();
}

bool ZodoZadar::hasPictures() const
{
    return m_pDocument->hasPictures();
}

bool ZodoZadar::hasRenderedPictures() const
{
    // From the strip's rows, as play and export rebuild the album's order from them.
    return ui->imageSourceList->model()->rowCount() > int(m_pDocument->album().missing.size());
}

void ZodoZadar::updateControls()
{
    // Disabled, not only shielded: a disabled control refuses clicks, keys and accessibility
    // actions alike, and screen readers report it as such.
    const bool bIdle = m_workflow.idle();
    const bool bEditable = bIdle && hasPictures();
    if (m_pMenu)
        m_pMenu->update();
    ui->btnAddImage->setEnabled(bIdle);
    ui->btnAddImageAgain->setEnabled(bIdle);
    ui->imageSourceList->setEnabled(bIdle);
    ui->btnImageWartermarkHelp->setEnabled(bEditable);
    ui->divSetting->setEnabled(bEditable);
    ui->btnExport->setEnabled(bEditable && hasRenderedPictures());
    ui->comboVideoRatio->setEnabled(bEditable);
    ui->comboVideoHeight->setEnabled(bEditable);
    ui->divPlayer->setEnabled(bEditable && hasRenderedPictures());
}

bool ZodoZadar::beginWorkflow(Workflow kind, WorkflowPhase phase)
{
    if (!m_workflow.begin(kind, phase))
        return false;
    updateControls();
    return true;
}

void ZodoZadar::advanceWorkflow(Workflow kind, WorkflowPhase phase)
{
    m_workflow.advance(kind, phase);
}

void ZodoZadar::endWorkflow(Workflow kind)
{
    if (m_workflow.end(kind))
        updateControls();
}

void ZodoZadar::toast(const QString &szText, QWidget *pOver, int iMs)
{
    auto *pToast = new ShareCode::CQToast(pOver ? pOver : this);
    pToast->showMessage(szText, iMs, true);
}

bool ZodoZadar::refuseEdit()
{
    if (m_workflow.idle())
        return false;
    // Reached only by a road around the disabled controls: the album stays as it is, and so
    // does what the controls show of it.
    showAlbumSettings();
    return true;
}

void ZodoZadar::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Back in the window: a disk may have come back meanwhile.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
        !m_pDocument->album().missing.isEmpty())
        QTimer::singleShot(0, this, [this] { m_pMissing->findAgain(); });
}

bool ZodoZadar::eventFilter(QObject *watched, QEvent *event)
{
    // Events reach here while the form is set up, before the parts exist.
    if (m_pSettings && m_pSettings->event(watched, event))
        return true;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *pMouse = static_cast<QMouseEvent *>(event);
        if (pMouse->button() != Qt::LeftButton)
            break;
        // A click elsewhere commits a typed duration or watermark text.
        if (watched != ui->boxImageDuration && ui->boxImageDuration->hasFocus())
            ui->boxImageDuration->clearFocus();
        if (m_pSettings)
            m_pSettings->endTextEditingUnless(watched);
        break;
    }
    case QEvent::Paint:
        if (watched == ui->btnExport || watched == ui->btnImageWartermarkHelp) {
            // Painted here for antialiased text and smooth sprites at fractional scales.
            auto *pButton = static_cast<QPushButton *>(watched);
            QStylePainter painter(pButton);
            painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                                   QPainter::SmoothPixmapTransform);
            QStyleOptionButton option;
            option.initFrom(pButton);
            option.text = pButton->text();
            option.icon = pButton->icon();
            option.iconSize = pButton->iconSize();
            if (pButton->isDown())
                option.state |= QStyle::State_Sunken;
            painter.drawControl(QStyle::CE_PushButton, option);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
