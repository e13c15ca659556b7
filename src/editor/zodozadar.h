// SPDX-License-Identifier: GPL-3.0-or-later
// The album editor that fills the main window's content area: the one writer of the album.
//
// Thread contract: everything here runs on the user-interface thread. The editor owns four
// workers, each on a QThread of its own, and talks to them through queued signals and their
// atomic flags. The album lives in the AlbumDocument: the editor changes it there and hands each
// worker the document's snapshot as it asks for a run, an export or the music; an edit stops a
// running preview (halt) and the next run renders the new snapshot. No lock is shared with a
// worker.
//
// One workflow at a time (editorworkflow.h): every entry point asks the workflow state first,
// and updateControls() derives the controls' enabled flags from it, so that input arriving by any
// road (accessibility actions, shortcuts, drops, queued signals, slots called while a modal loop
// runs) cannot start a second import or export, or edit the album under one.
#pragma once

#include "albumdocument.h"
#include "albumfile.h"
#include "albumops.h"
#include "albumsort.h"
#include "editorworkflow.h"

#include <QHash>
#include <QModelIndex>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AlbumDocument;
class BeatKeeper;
class EditorMenu;
class ExportController;
class MissingPictures;
class PreviewController;
class SettingsPanel;
class DropArea;
class PictureImport;
class AudioDecoder;
class CQVideoPlay;
class ExportSettingDialog;
class FailDialog;
class ImageDecoder;
class ImageViewer;
class MediaEncoder;
class ProgressDialog;
class QAction;
class QButtonGroup;
class QKeySequence;
class QMenu;
class QLabel;
class QThread;
class QTimer;
class QUndoStack;
struct MaterialItem;

namespace Ui {
class ZodoZadarClass;
}

class ZodoZadar : public QWidget
{
    Q_OBJECT
public:
    explicit ZodoZadar(QWidget *parent = nullptr);
    ~ZodoZadar() override;

    Ui::ZodoZadarClass *form() const { return ui.get(); }
    // The panel of the picture in row iRow (modal); refused while another workflow runs.
    void showPicturePanel(int iRow);
    // The album, its file and its undo steps.
    AlbumDocument *document() const { return m_pDocument; }
    // The live preview: its state, its clock and its music.
    PreviewController *preview() const { return m_pPreview.get(); }
    // Pictures the album lists but cannot show, by their place in the strip.
    const QList<MissingPicture> &missingPictures() const { return m_pDocument->album().missing; }
    // The album's look, from the menu: gentle motion, fill, the text watermark's edge.
    void fillLookMenu(QMenu *pMenu);
    void changeAlbumLook(const std::function<void(Album &)> &fnChange);
    // The music settings panel (modal); refused without music or while another workflow runs.
    void showMusicPanel();
    // One undoable edit each; the fit returns its refusal, empty when done.
    void changeMusicShape(const MusicShape &shape);
    // The music list and its crossfade as one undo step; a refused edit changes nothing.
    void changeMusicList(const QStringList &tracks, int64_t crossfadeUs);
    QString fitPicturesToMusicNow();
    MediaEncoder *encoder() const { return m_pEncoder; }
    ImageViewer *viewer() const { return m_pViewer; }
    ImageDecoder *decoder() const { return m_pDecoder; }
    AudioDecoder *audioDecoder() const { return m_pAudioDecoder; }
    CQVideoPlay *player() const;
    const WorkflowState &workflow() const { return m_workflow; }
    // The album file the album was opened from or saved to; empty for a new album.
    QString documentPath() const;
    // The album as the file would hold it.
    StoredAlbum storedAlbum() const;
    // Autosave into szStateFolder from now on; an album left there by a session that ended
    // without the quit question is offered back first. endSession() (also on destruction)
    // removes the autosave: a confirmed quit does not keep the album.
    void startSession(const QString &szStateFolder);
    void endSession();
    // Every album edit, undoable; clean while the album matches its file.
    QUndoStack *undoStack() const;
    // Entries of the strip, missing ones included; rendered pictures alone.
    bool hasPictures() const;
    bool hasRenderedPictures() const;
    // The ratio list follows the first picture; the strip's pictures, missing ones left out.
    bool selfAdaptingRatio() const;
    QStringList rowPaths() const;

    // For the editor's parts (preview, menu, missing pictures): the workflow, and what follows
    // a change of the album.
    bool beginWorkflow(Workflow kind, WorkflowPhase phase = WorkflowPhase::Asking);
    void advanceWorkflow(Workflow kind, WorkflowPhase phase);
    void endWorkflow(Workflow kind);
    void notify(const AlbumChange &change);
    void updatePictureMarks();
    void reportFailure(const QString &szTitle, const QString &szDetail);
    void setTotalTimeDisplay();
    // A short notice over pOver (the editor by default).
    void toast(const QString &szText, QWidget *pOver = nullptr, int iMs = 2000);
    // Thumbnails of every picture the album showed in this session, by path.
    QHash<QString, QPixmap> &thumbnails() { return m_thumbnails; }
    // The date taken and camera of every picture the decoder read in this session, by path.
    const QHash<QString, PictureFacts> &pictureFacts() const { return m_pictureFacts; }
    // The whole album shown afresh (the strip, the settings, the cover), as after an undo.
    void showAlbum();
    // Numbered decoder requests: every answer is matched to the request that asked for it.
    quint64 nextDecodeRequest() { return ++m_lastDecodeRequest; }
    // Whether the album holds changes its file does not (an unnamed album: anything at all).
    bool isModified() const;
    // An edit of the album is refused while another workflow runs; true when refused (the
    // controls then show the album as it is).
    bool refuseEdit();
    // The one place the controls' enabled flags come from: the workflow and the album.
    void updateControls();
    // Puts the settings controls back to what the album holds (after a refused change).
    void showAlbumSettings();
    // Files from outside (a drop, a second start) are taken only when nothing else runs and
    // no dialog is up.
    bool canTakeDrops() const;
    // A drop's import: false when another workflow runs.
    bool importPictures(const QStringList &files);
    // The settings beside the strip.
    SettingsPanel *settings() const { return m_pSettings.get(); }

    QString currentPath;
    int minDuration = 1;
    int maxDuration = 60;

public slots:
    // The main window's close button.
    void closeRequest();
    // Files given on the command line or handed over by a second start: an album file
    // (.vmalbum) is opened, pictures are imported. False when nothing could start (another
    // workflow runs, or no file is of a kind the editor takes).
    bool openFiles(const QStringList &files);
    // Files handed over while the user was busy: opened once nothing is in the way any more.
    void openWaitingFiles();
    // Refused while a workflow runs.
    void undo();
    void redo();
    // The album as a document. New and open replace the album as an import does (undoable);
    // save writes the file the album came from, or asks for one.
    void newAlbum();
    void openAlbum();
    bool openAlbumFile(const QString &szFile);
    bool saveAlbum();
    bool saveAlbumAs();
    // Appends pictures to the album, through the same checks, progress and report as an import.
    void addPictures();
    // The same with the pictures of a folder and its subfolders, in the order they were taken.
    void addFolder();
    // The strip's pictures put in order (one undo step); refused while a workflow runs.
    void sortPictures(PictureOrder order);
    // The export's settings dialog, then the export.
    void prepareExport();

protected slots:
    void selectImageSources();
    void imageSourceSelected(QModelIndex stIndex);
    void imageSourceDeleted(QString stFilePath, int iOldIndex);
    void dragedImageSources(QString stFilePath, int iOldIndex, int iNewIndex);
    void imageDurationChanged(int iVal);
    void changeImageDurationComboBoxStyle();
    // "Replace pictures…": a new import, after a question when the album holds pictures.
    void replacePictures();
    // Export.
    void exportSetting();
    void exportVideo();
    // Something asks the preview to hold (a running one pauses).
    void updateRequest();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Construction, by concern.
    void createWorkers();
    void setStartValues();
    void installEventFilters();
    void setStartState();
    void makeConnections();

    // Each picture's own settings: the panel of row iRow, a change of one row (or of every row,
    // iRow -1) as one undoable edit, and the strip's marks.
    void changePictureOptions(
        int iRow, const std::function<PictureOptions(const PictureOptions &, int)> &fnChange);
    // Pictures with a duration of their own, the duration box's look for them, and "Set all to
    // N s" (one undo step).
    int ownDurationCount() const;
    void showOwnDurations();
    void setAllDurations();
    int m_iPanelMergeId = 0; // the undo merge id of the panel open now
    // Every numbered answer of the picture decoder, matched to the request that asked for it.
    void decoderAnswered(quint64 iRequest, QString szFile, bool bOk, QPixmap stPixmap,
                         AVRational stWidthToHeight, QSize stSrcImageSize, QString szErrorStr);
    // The album file side (zodozadar_file.cpp).
    bool writeAlbum(const QString &szFile);
    void updateTitle();

    std::unique_ptr<Ui::ZodoZadarClass> ui;
    MediaEncoder *m_pEncoder = nullptr;
    ImageViewer *m_pViewer = nullptr;
    ImageDecoder *m_pDecoder = nullptr;
    AudioDecoder *m_pAudioDecoder = nullptr;
    QPointer<QThread> m_pEncoderThread;
    QPointer<QThread> m_pViewerThread;
    QPointer<QThread> m_pDecoderThread;
    QPointer<QThread> m_pAudioThread;
    QPointer<QWidget> m_pQuitDialog;
    WorkflowState m_workflow;
    AlbumDocument *m_pDocument = nullptr;
    // Of every picture the album showed in this session, by path: an undo brings rows back.
    QHash<QString, QPixmap> m_thumbnails;
    QHash<QString, PictureFacts> m_pictureFacts;
    // Files handed over while the user was busy, and the check for the user's return.
    QStringList m_handedFiles;
    QTimer *m_pHandedFilesTimer = nullptr;
    static constexpr int kHandedFilesCheckMs = 250;

    std::unique_ptr<EditorMenu> m_pMenu; // the ≡ menu and the shortcuts
    std::unique_ptr<PreviewController> m_pPreview;
    std::unique_ptr<MissingPictures> m_pMissing;
    std::unique_ptr<ExportController> m_pExport;
    std::unique_ptr<SettingsPanel> m_pSettings;
    std::unique_ptr<PictureImport> m_pImport;
    std::unique_ptr<BeatKeeper> m_pBeats; // the music's beat, found as the music changes
    quint64 m_lastDecodeRequest = 0;      // the last numbered decoder request made
    bool m_bConnected = false;
};
