// The album editor that fills the main window's content area: the one writer of the album.
//
// Thread contract: everything here runs on the user-interface thread. The editor owns four
// workers, each on a QThread of its own, and talks to them through queued signals and their
// atomic flags. It writes the album fields of RenderJob holding renderMutex then musicMutex (the
// halt-and-lock step), except for adding a picture and the watermark colour, which take the
// locks without stopping anything (nothing can be playing then). It never runs a modal dialog
// while it holds a mutex.
#pragma once

#include "albumops.h"

#include <QModelIndex>
#include <QMutexLocker>
#include <QPointer>
#include <QWidget>

#include <memory>

class AudioDecoder;
class CQVideoPlay;
class ExportSettingDialog;
class ImageDecoder;
class ImageViewer;
class MediaEncoder;
class ProgressDialog;
class QButtonGroup;
class QLabel;
class QThread;
struct DroppedFiles;
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
    MediaEncoder *encoder() const { return m_pEncoder; }
    ImageViewer *viewer() const { return m_pViewer; }
    ImageDecoder *decoder() const { return m_pDecoder; }
    AudioDecoder *audioDecoder() const { return m_pAudioDecoder; }
    CQVideoPlay *player() const;

    // playerState values.
    enum
    {
        PlayerPlaying = 1,
        PlayerPaused = 2,
        PlayerSeeking = 3, // paused while the user holds the slider
        PlayerStopped = 4
    };

    QString currentPath;
    int importTotal = 0;
    int importSucceeded = 0;
    int importFailed = 0;
    QString lastErrorText;
    int minDuration = 1;
    int maxDuration = 60;
    WatermarkFontRule fontRule; // editorFont and fontFollowsHeight
    bool typeRevertPending = false;
    int playerState = 4;

signals:
    void sig_imageWatermarkChanged(QString szFilePath);

public slots:
    // The main window's close button.
    void closeRequest();

protected slots:
    void selectImageSources();
    void imageSourceSelected(QModelIndex stIndex);
    void imageSourceDeleted(QString stFilePath, int iOldIndex);
    void dragedImageSources(QString stFilePath, int iOldIndex, int iNewIndex);
    void imageDurationChanged(int iVal);
    void changeImageDurationComboBoxStyle();
    void videoRatioChanged(QString szRatio);
    void videoHeightChanged(QString szHeight);
    // Settings panel.
    void watermarkTypeChanged(int iType, bool bChecked);
    void watermarkTypeChanged(int iType);
    void watermarkPosChanged(int iPos, bool bChecked);
    void watermarkPosChanged(int iPos);
    void textWatermarkChanged();
    void selectFontStyle();
    void addImageWatermark();
    void imageWatermarkChanged(QString szFilePath);
    void backgroundMusicTypeChanged(int iType, bool bChecked);
    void backgroundMusicTypeChanged(int iType);
    void addBackgroundMusic();
    // Export.
    void prepareExport();
    void exportSetting();
    void exportVideo();
    // Preview.
    void enablePlayer(bool bPlay);
    void playerSliderPressed(double lfDurationRatio);
    void playerSliderReleased(double lfDurationRatio);
    void previewFinished();
    void updateRequest();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Files dropped from the file manager: pictures anywhere import, an MP3 on the music area
    // becomes the background music.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Halt and lock: a running preview is asked to stop, the music decoder stops, the player's
    // audio stops and the position goes back to 0; then both album mutexes are taken, released in
    // reverse order when the guard goes (or at unlock()).
    class AlbumLock
    {
    public:
        AlbumLock(QMutex &renderMutex, QMutex &musicMutex)
            : m_render(&renderMutex), m_music(&musicMutex)
        {
        }
        void unlock()
        {
            m_music.unlock();
            m_render.unlock();
        }

    private:
        QMutexLocker m_render;
        QMutexLocker m_music;
    };
    void halt(); // a slot too: the end of the player's timeline
    std::unique_ptr<AlbumLock> haltAndLock();
    std::unique_ptr<AlbumLock> lockAlbum();

    // Construction, by concern.
    void createWorkers();
    void setStartValues();
    void installEventFilters();
    void setStartState();
    void makeConnections();

    // Document steps and what follows them.
    void addPicture(const QString &szFile, const QPixmap &stPixmap, AVRational stWidthToHeight,
                    const QSize &stSrcImageSize);
    void clearAlbumLocked();
    void notify(const AlbumChange &change);
    void emitCoverRefresh();
    void setTotalTimeDisplay();
    bool selfAdaptingRatio() const;
    QStringList rowPaths() const;
    void setEditingControlsEnabled(bool bEnabled);
    // The import after the files are known, from the file dialog or a drop.
    void importPictures(const QStringList &files);
    void endImport();
    void clearTextFocus(QObject *pExcept);

    // Settings panel helpers.
    static void setElidedName(QLabel *pLabel, const QString &szName);
    // The music chooser's steps once a file is chosen.
    void useBackgroundMusic(const QString &szFile);
    void endTextEditing();
    bool settingsEvent(QObject *watched, QEvent *event);

    // Export helpers.
    static QString exportTarget(const QString &szDir, const QString &szName);
    void exportRequest();
    void exportSucceeded(ProgressDialog *pProgress);
    void exportFailed(ProgressDialog *pProgress, const QString &szError);
    void openExportFolder();

    // Drop helpers.
    enum class DropTarget
    {
        None,
        Pictures,
        Music
    };
    DropTarget dropTargetAt(const DroppedFiles &files, const QPoint &stPos) const;
    bool musicAreaAt(const QPoint &stPos) const;
    bool canTakeDrops() const;
    void showDropTarget(QWidget *pTarget);
    void dropToast(const QString &szText);
    void dropBackgroundMusic(const QString &szFile);

    // Preview helpers.
    bool customMusicWithPath() const;
    void playOrPause(bool bPlay);
    void pausePreview();
    void followClockWithMusic(int iMs);
    void suspendRequested();

    std::unique_ptr<Ui::ZodoZadarClass> ui;
    MediaEncoder *m_pEncoder = nullptr;
    ImageViewer *m_pViewer = nullptr;
    ImageDecoder *m_pDecoder = nullptr;
    AudioDecoder *m_pAudioDecoder = nullptr;
    QPointer<QThread> m_pEncoderThread;
    QPointer<QThread> m_pViewerThread;
    QPointer<QThread> m_pDecoderThread;
    QPointer<QThread> m_pAudioThread;
    QButtonGroup *m_pWatermarkTypeGroup = nullptr;
    QButtonGroup *m_pMusicTypeGroup = nullptr;
    QButtonGroup *m_pWatermarkPosGroup = nullptr;
    QPointer<QWidget> m_pHelpPopup;
    QPointer<QWidget> m_pDropHighlight; // the area that shows where a drop goes
    QPointer<QWidget> m_pDropToast;
    QPointer<ExportSettingDialog> m_pExportDialog;
    QMetaObject::Connection m_watermarkDecoded;
    QMetaObject::Connection m_watermarkFailed;
    bool m_bConnected = false;
};
