// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictureimport.h"
#include "clipsource.h"

#include "zodozadar.h"
#include "zodozadar_form.h"

#include "albumdocument.h"
#include "albumops.h"
#include "albumsort.h"
#include "cqvideoplay.h"
#include "droppedfiles.h"
#include "faildialog.h"
#include "filechooser.h"
#include "folderwalk.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "missingpictures.h"
#include "places.h"
#include "previewcontroller.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"
#include "settingspanel.h"

#include <QFileInfo>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTimer>

#include <algorithm>
#include <utility>

PictureImport::PictureImport(ZodoZadar &editor, AlbumDocument *pDocument,
                             PreviewController *pPreview, ImageDecoder *pDecoder,
                             MissingPictures *pMissing)
    : m_editor(editor), ui(editor.form()), m_pDocument(pDocument), m_pPreview(pPreview),
      m_pDecoder(pDecoder), m_pMissing(pMissing)
{
}

QString PictureImport::pictureChooserFilter()
{
    return tr("Pictures and clips (*.jpg *.jpeg *.png *.heic *.heif *.avif *.webp *.mp4 *.mov "
              "*.m4v *.mkv *.webm *.3gp *.avi)") +
           QStringLiteral(";;") + tr("Pictures (*.jpg *.jpeg *.png *.heic *.heif *.avif *.webp)") +
           QStringLiteral(";;") +
           tr("JPEG And PNG Files(*.jpg *.jpeg *.png);;JPEG Files(*.jpg *.jpeg);;PNG "
              "Files(*.png)");
}

QStringList PictureImport::choose()
{
    if (!m_editor.beginWorkflow(Workflow::Import))
        return {};
    const QStringList files = FileChooser::openFiles(
        tr("VMAlbum"), Places::startFolder(Places::Kind::Pictures), pictureChooserFilter());
    if (files.isEmpty())
        m_editor.endWorkflow(Workflow::Import);
    else
        Places::rememberFile(Places::Kind::Pictures, files.first());
    return files;
}

QString PictureImport::chooseFolder()
{
    if (!m_editor.beginWorkflow(Workflow::Import))
        return {};
    const QString szFolder =
        FileChooser::openFolder(tr("Add folder"), Places::startFolder(Places::Kind::Pictures));
    if (szFolder.isEmpty())
        m_editor.endWorkflow(Workflow::Import);
    else
        Places::rememberFile(Places::Kind::Pictures, szFolder);
    return szFolder;
}

bool PictureImport::runPaths(const QStringList &paths, Mode mode)
{
    QStringList files;
    bool bFolder = false;
    bool bCapped = false;
    for (const QString &szPath : paths) {
        if (!QFileInfo(szPath).isDir()) {
            files << szPath;
            continue;
        }
        bFolder = true;
        const FolderWalk walk = walkPictureFolder(szPath, isPictureFileName);
        files << walk.pictures;
        bCapped |= walk.capped;
    }
    if (files.isEmpty()) {
        m_editor.endWorkflow(Workflow::Import);
        m_editor.toast(tr("No JPEG or PNG pictures were found in the folder"));
        return false;
    }
    // A live photo comes in as its picture; its video stays out.
    int iLiveVideos = 0;
    files = withoutLivePhotoVideos(files, &iLiveVideos);
    m_bSortTaken = bFolder;
    m_note = bCapped ? tr("Only the first %n files of the folder were looked at", nullptr,
                          kMaxFolderFiles)
                     : QString();
    if (iLiveVideos > 0)
        m_note += (m_note.isEmpty() ? QString() : QStringLiteral("\n")) +
                  tr("%n live photo(s) came in as the picture alone, without the video", nullptr,
                     iLiveVideos);
    run(files, mode);
    return true;
}

void PictureImport::run(const QStringList &files, Mode mode, const QList<int> &kindRows,
                        const QList<PictureOptions> &options)
{
    m_editor.advanceWorkflow(Workflow::Import, WorkflowPhase::Running);
    // The album before the import comes back with one undo.
    m_pDocument->beginEdit();
    // What plays now stops first.
    m_pPreview->halt();
    if (mode == Mode::Replace) {
        ui->divPlayer->detachEngine();
        if (m_pDocument->hasPictures())
            clearAlbum();
        // A new, unnamed document, as "New album" makes; undo gives the old one back.
        m_pDocument->setPath(QString());
        m_pDocument->setExportChoices(std::nullopt);
    }
    m_iFirstNewRow = m_pDocument->album().materialOrder.size();
    m_iPreviousKindRow = -1;
    m_kindRows.clear();
    m_options.clear();
    m_entries.clear();

    auto *pDialog = new ProgressDialog(ShareCode::QtInversionWidget::instance());
    pDialog->setTextPrefix(tr("importing material... "));
    pDialog->setBackgroundPicture(QStringLiteral(":/theme_local/imgs/dlg_import_images.png"));
    m_pProgress = pDialog;

    m_pDecoder->running = true;
    m_iTotal = files.size();
    m_iSucceeded = 0;
    m_iFailed = 0;
    m_failures.clear();
    m_notices.clear();

    // Queued: the failure report runs a modal loop, which must not start inside a destructor.
    QObject::connect(
        pDialog, &QObject::destroyed, &m_editor, [this] { end(); }, Qt::QueuedConnection);
    pDialog->show();

    // The import's answers are those numbered in this range, whatever else the decoder answers.
    for (int i = 0; i < files.size(); ++i) {
        const quint64 iRequest = m_editor.nextDecodeRequest();
        if (i == 0)
            m_firstRequest = iRequest;
        m_lastRequest = iRequest;
        if (i < kindRows.size() && kindRows[i] >= 0)
            m_kindRows.insert(iRequest, kindRows[i]);
        if (i < options.size() && !options[i].isDefault())
            m_options.insert(iRequest, options[i]);
        emit m_pDecoder->sig_decodeRequest(iRequest, files[i], false);
    }
}

bool PictureImport::answered(quint64 iRequest, const QString &szFile, bool bOk,
                             const QPixmap &stPixmap, AVRational stWidthToHeight,
                             const QSize &stSrcImageSize, const QString &szErrorStr)
{
    if (iRequest < m_firstRequest || iRequest > m_lastRequest)
        return false;
    const int iKindRow = m_kindRows.contains(iRequest) ? m_kindRows.take(iRequest) : -1;
    const PictureOptions options = m_options.take(iRequest);
    const std::optional<MissingPicture> entry =
        m_entries.contains(iRequest) ? std::optional(m_entries.take(iRequest)) : std::nullopt;
    // Closing the dialog ends the import at once: answers already on their way are dropped too.
    ProgressDialog *pDialog = m_pProgress;
    if (!pDialog || !pDialog->isVisible()) {
        m_pDecoder->running = false;
        return true;
    }
    if (bOk) {
        // An opened album's transitions: the one before this picture is the one stored with the
        // picture added before it (a missing picture's goes with it).
        addPicture(szFile, stPixmap, stWidthToHeight, stSrcImageSize,
                   m_iPreviousKindRow >= 0 ? &kTransitionKinds[m_iPreviousKindRow] : nullptr,
                   options);
        m_iPreviousKindRow = iKindRow;
        ++m_iSucceeded;
        if (!szErrorStr.isEmpty())
            addNotice(szErrorStr, QFileInfo(szFile).fileName());
        pDialog->setValue(static_cast<int>(double(m_iSucceeded + m_iFailed) / m_iTotal * 100));
    } else {
        ++m_iFailed;
        m_lastError = szErrorStr;
        m_failures << tr("%1: %2").arg(QFileInfo(szFile).fileName(), szErrorStr);
        if (entry) {
            // An opened album keeps the picture in its place, as a tile that says what is wrong.
            MissingPicture missing = *entry;
            missing.reason = szErrorStr;
            missing.bGone = !QFileInfo::exists(szFile);
            m_pMissing->add(missing);
        }
    }
    if (m_iSucceeded + m_iFailed == m_iTotal)
        pDialog->closeAfterTime(0);
    return true;
}

void PictureImport::addPicture(const QString &szFile, const QPixmap &stPixmap,
                               AVRational stWidthToHeight, const QSize &stSrcImageSize,
                               const TransitionKind *pSlotKind, const PictureOptions &options)
{
    Album &album = m_pDocument->edit();
    auto *pModel = qobject_cast<QStandardItemModel *>(ui->imageSourceList->model());
    // The first picture the album shows (missing tiles may stand before it).
    const bool bFirst = album.materialOrder.isEmpty();
    if (bFirst)
        ui->boxImageDuration->setValue(3); // no document change: the album is still empty

    MaterialItem item;
    item.path = szFile;
    item.widthToHeight = stWidthToHeight;
    item.srcSize = stSrcImageSize;
    item.clip = clipFactsOf(szFile);
    item.facts = m_editor.pictureFacts().value(szFile);
    const int iSlots = album.transitions.size();
    AlbumChange change = appendPicture(album, item, m_editor.selfAdaptingRatio());
    // The slot this picture brought, with the album file's kind instead of the picker's.
    if (pSlotKind && album.transitions.size() > iSlots)
        album.transitions.last().kind = pSlotKind;
    if (!options.isDefault())
        change.totalChanged |=
            setPictureOptions(album, album.materialOrder.size() - 1, options).totalChanged;
    if (bFirst) {
        m_editor.currentPath = szFile;
        ui->divImageSourceOperate->setCurrentWidget(ui->pageImageSourcList);
        ui->divPlayer->attachEngine();
    }
    m_editor.notify(change);

    m_editor.thumbnails().insert(szFile, stPixmap);
    ui->imageSourceList->appendImage(szFile, stPixmap);
    if (!options.isDefault())
        ui->imageSourceList->setOwnSettings(pModel->rowCount() - 1, true);
    if (item.isClip())
        ui->imageSourceList->setClipLength(pModel->rowCount() - 1,
                                           album.clipLength(album.materialOrder.size() - 1));
    if (pModel->rowCount() == 1)
        ui->imageSourceList->setCurrentIndex(pModel->index(0, 0));
}

void PictureImport::addNotice(const QString &szNotice, const QString &szName)
{
    for (auto &[szKnown, names] : m_notices) {
        if (szKnown == szNotice) {
            names << szName;
            return;
        }
    }
    m_notices.append({szNotice, {szName}});
}

void PictureImport::clearAlbum()
{
    if (auto *pModel = ui->imageSourceList->model())
        pModel->removeRows(0, pModel->rowCount());
    ::clearAlbum(m_pDocument->edit());
    m_editor.setTotalTimeDisplay();
    m_editor.updateControls();
    ui->divImageSourceOperate->setCurrentWidget(ui->pageAddImage);
}

void PictureImport::end()
{
    // No answer belongs to this import any more; requests still queued are not decoded.
    if (m_pDecoder->cancelledUpTo < m_lastRequest)
        m_pDecoder->cancelledUpTo = m_lastRequest;
    m_pDecoder->running = false;
    m_firstRequest = m_lastRequest + 1;
    m_pProgress = nullptr;

    if (std::exchange(m_bSortTaken, false)) {
        // A folder's pictures come in the order they were taken, their dates read on the way in.
        sortPictures(m_pDocument->edit(), PictureOrder::DateTaken, m_editor.selfAdaptingRatio(),
                     m_iFirstNewRow);
        if (m_editor.rowPaths() != m_pDocument->album().materialOrder)
            m_editor.showAlbum();
    }
    const QString szNote = std::exchange(m_note, {});
    if (!szNote.isEmpty())
        m_failures << szNote;
    if (!szNote.isEmpty() && m_iFailed == 0)
        m_editor.toast(szNote, nullptr, 4000);

    if (m_iFailed > 0 || !m_notices.isEmpty()) {
        m_editor.advanceWorkflow(Workflow::Import, WorkflowPhase::Reporting);
        FailDialog dialog(ShareCode::QtInversionWidget::instance());
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.setTitle(m_iFailed == 0          ? tr("Imported, with a notice...")
                        : m_iFailed == m_iTotal ? tr("Import failed...")
                                                : tr("Partial import failed..."));
        // Every refused file by name with its reason; the last one's text stays the summary.
        // Each notice comes after them once, with the files it concerns.
        QStringList lines = m_failures;
        for (const auto &[szNotice, names] : std::as_const(m_notices))
            lines << tr("%1: %2").arg(names.join(QStringLiteral(", ")), szNotice);
        dialog.setErrorMessage(m_iFailed > 0 ? m_lastError : lines.first());
        dialog.setErrorList(lines);
        dialog.exec();
    }
    m_notices.clear();
    m_kindRows.clear();
    m_options.clear();
    m_entries.clear();
    m_pDocument->commitEdit(tr("Import pictures"));
    finishOpening();
    // Controls follow the album: a progress dialog closed before any answer leaves nothing to
    // edit.
    m_editor.endWorkflow(Workflow::Import);
}

bool PictureImport::openAlbum(const StoredAlbum &doc, const QString &szPath, bool bRestored)
{
    if (!m_editor.beginWorkflow(Workflow::Import, WorkflowPhase::Running))
        return false;
    // One undo step for the whole opening: settings and pictures.
    m_pDocument->beginEdit();
    m_pPreview->halt();
    ui->divPlayer->detachEngine();
    clearAlbum();
    applySettings(doc);
    m_editor.showAlbumSettings();
    m_editor.settings()->showPages();
    m_pPreview->refreshCover();
    m_opening = OpeningAlbum{szPath, doc.exportChoices, bRestored, doc.transitionStart};

    QStringList files;
    QList<int> rows;
    QList<PictureOptions> options;
    for (int i = 0; i < doc.pictures.size(); ++i) {
        files << doc.pictures[i].file;
        options << doc.pictures[i].options();
        // The transition after the last picture is not there yet: a later append draws it.
        rows << (i + 1 < doc.pictures.size() ? doc.transitionRowFor(i) : -1);
    }
    if (files.isEmpty()) {
        finishOpening();
        m_editor.endWorkflow(Workflow::Import);
        return true;
    }
    run(files, Mode::Append, rows, options);
    // Each picture as the file has it, for one that cannot be shown: it stays in the album.
    for (int i = 0; i < doc.pictures.size(); ++i) {
        MissingPicture entry;
        entry.picture = doc.pictures[i];
        // Its transition named, so that it keeps it wherever it comes to stand.
        if (entry.picture.transition != TransitionChoice::None && entry.picture.transitionRow < 0 &&
            i + 1 < doc.pictures.size())
            entry.picture.transitionRow = doc.transitionRowFor(i);
        entry.transitionBeforeRow = i > 0 ? doc.transitionRowFor(i - 1) : -1;
        m_entries.insert(m_firstRequest + quint64(i), entry);
    }
    return true;
}

void PictureImport::applySettings(const StoredAlbum &doc)
{
    Album &album = m_pDocument->edit();
    setUniformDurationSeconds(album, doc.durationSeconds);
    const int iRatio = ratioIndexOf(doc.ratio);
    album.ratioIndex = iRatio >= 0 ? iRatio : 1;
    applyRatioText(album, ratioTextOf(album.ratioIndex));
    const int iHeight = heightIndexOf(doc.height);
    album.heightIndex = iHeight >= 0 ? iHeight : 2;
    applyHeightText(album, heightTextOf(album.heightIndex), album.fontRule);

    album.watermarkType = doc.watermarkType;
    album.watermarkPosition = doc.watermarkPosition;
    album.watermarkEffect = doc.watermarkEffect;
    album.gentleMotion = doc.gentleMotion;
    album.albumFill = doc.fill;
    album.keepFaces = doc.keepFaces;
    album.watermarkText = doc.watermarkText;
    album.watermarkColor = doc.watermarkColor;
    QFont font(doc.watermarkFamily);
    font.setPixelSize(doc.watermarkPixelSize);
    if (font != album.watermarkFont) {
        // A font of the album's own: the height no longer resizes it.
        album.watermarkFont = font;
        album.fontRule.fontFollowsHeight =
            font.pixelSize() == album.fontRule.editorFont.pixelSize() &&
            font.family() == album.fontRule.editorFont.family();
    }
    album.watermarkImagePath = doc.watermarkImage;
    album.musicPath = doc.music;
    album.musicMore = doc.musicMore;
    album.musicCrossfade = doc.musicCrossfade;
    album.duckDb = doc.duckDb;
    album.pauseMusicForClips = doc.pauseMusicForClips;
    album.beatCut = doc.beatCut;
    album.beatFit = doc.beatFit;
    album.beatCorrections = doc.beatCorrections;
    album.musicShape = doc.musicShape;
    album.musicType = doc.music.isEmpty() ? MusicNone : MusicCustom;
}

void PictureImport::finishOpening()
{
    if (!m_opening)
        return;
    const OpeningAlbum opening = *m_opening;
    m_opening.reset();
    // The first picture put 3 in the duration box, as it does in any import.
    m_editor.showAlbumSettings();
    // The table goes on where the album's own start puts it: a picture appended now gets the
    // transition it would have had had the album never been saved, and saving names the start.
    const int iSlots = std::max(0, int(m_pDocument->album().materialOrder.size()) - 1);
    TransitionPicker::reset(
        int((qint64(opening.transitionStart) + 3 * qint64(iSlots)) % kTransitionKindCount));
    // The document's identity is part of the step: undo gives the previous file name back.
    m_pDocument->setExportChoices(opening.exportChoices);
    m_pDocument->setPath(opening.szPath);
    m_pDocument->commitEdit(opening.bRestored ? tr("Restore album") : tr("Open album"));
    if (!opening.bRestored) {
        // A restored album is not what its file holds until it is saved.
        m_pDocument->rememberSaved(opening.szPath, m_pDocument->storedAlbum());
        Places::addRecentAlbum(opening.szPath);
    }
    if (!m_filesAfterOpening.isEmpty()) {
        // From the event loop: the opening's workflow ends first.
        QTimer::singleShot(0, &m_editor, [this, files = std::exchange(m_filesAfterOpening, {})] {
            m_editor.openFiles(files);
        });
    }
}
