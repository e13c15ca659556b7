// SPDX-License-Identifier: GPL-3.0-or-later
// The export settings dialog: container format, rates, file name and folder of one export.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>

namespace ShareCode {
class CQToast;
}

namespace Ui {
struct ExportSettingDialogClass;
}

// Modeless and frameless; it deletes itself when closed. Nothing is exported here: the editor
// follows the change signals and acts on sig_exportRequest.
class ExportSettingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ExportSettingDialog(QWidget *parent = nullptr);
    ~ExportSettingDialog() override;

    // Current item texts ("MP4", "24fps", "self-adaption", "128kbps", "44100Hz"); the leading
    // digits are the value, "self-adaption" reads as 0 (automatic).
    QString exportFormat() const;
    QString frameRate() const;
    QString videoBitRate() const;
    QString audioBitRate() const;
    QString sampleRate() const;
    // The last accepted name (no extension, no trailing spaces), not what the field shows.
    QString fileName() const { return m_szFileName; }
    // The output folder, with native separators.
    QString fileDirectory() const { return m_szFileDirectory; }

    // With music, GIF and M4V cannot be chosen and the audio column is active; without music
    // every format can be chosen and the audio column is greyed.
    void setAudioSettingsEnabled(bool enabled);
    // The album's sound: its music, and whether its clips bring sound of their own. Music is
    // setAudioSettingsEnabled(true); the clips' sound alone activates the audio column too, but
    // leaves GIF and M4V selectable, with a note under the format that they are silent.
    void setAudioSources(bool bMusic, bool bClipSound);
    // The note under the format shows: the clips' sound is left out of the chosen format.
    bool clipSoundLeftOut() const;
    // Selects the items with these values where the lists have them (an album's remembered
    // choices): the format by name, the rest by their leading number, 0 for "self-adaption".
    // A format that cannot be chosen now stays as it is. Each change is reported as a user's is.
    void selectChoices(const QString &szFormat, int iFps, qint64 iVideoKbps, qint64 iAudioKbps,
                       int iSampleRate);

    // A base name (no extension) that every desktop system accepts: not empty, no control
    // characters, none of / \ < > : " | ? *, not a reserved device name (CON, COM1, ...), no
    // trailing space, at most 260 characters.
    static bool isValidFileName(const QString &szName);
    // GIF chosen at a frame rate it cannot keep (60 or 120): the note beside the rates shows.
    bool gifRateLimited() const;

    // Whether the encoder's temporary file for "szName.<format>" still fits into the file
    // system's 255-byte name limit (it is the longest name an export writes).
    static bool fitsNameLimit(const QString &szName, const QString &szFormat);

    // The folder chooser: caption and start folder in, the chosen folder out (empty when
    // cancelled). Tests answer it here instead of through a modal native dialog; an empty
    // function restores the real QFileDialog.
    using DirectoryChooser =
        std::function<QString(const QString &szCaption, const QString &szStartDir)>;
    static void setDirectoryChooser(DirectoryChooser fnChooser);

signals:
    void sig_exportFormatChanged(QString szFormat);
    void sig_frameRateChanged(QString szFrameRate);
    void sig_videoBitRateChanged(QString szBitRate);
    void sig_audioBitRateChanged(QString szBitRate);
    void sig_sampleRateChanged(QString szSampleRate);
    void sig_fileNameChanged(QString szFileName);
    void sig_fileDirectoryChanged(QString szDir);
    void sig_exportRequest();

protected slots:
    // Runs on every change of the name field: accepts the name or puts the last one back.
    void uiChangeFileName(QString szText);

public slots:
    // Asks the user for a folder, starting at the current one.
    void changeFileDirectory();
    void changeFileDirectory(QString szDir);
    // Puts szText into the name field, which validates and reports it like typing does.
    void changeFileName(QString szText);
    void startExport();
    void editTextFinish();
    void startEditText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setEditingLook(bool bEditing);
    void updateGifRateNote();
    void updateClipSoundNote();
    ShareCode::CQToast *showToast(const QString &szText);

    std::unique_ptr<Ui::ExportSettingDialogClass> ui;
    bool m_bEditing = false;
    QPoint m_stPressGlobal; // mouse position at the last left press
    QPoint m_stPressWindow; // dialog position at that press
    bool m_bDragging = false;
    QPointer<ShareCode::CQToast> m_pToast; // the last toast of startExport; it deletes itself
    QString m_szFileDirectory;
    QString m_szFileName;
    bool m_bClipSoundOnly = false; // no music, but clips with sound
};
