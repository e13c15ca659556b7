// SPDX-License-Identifier: GPL-3.0-or-later
// The settings beside the strip: the output ratio and height, the watermark (type, position,
// text, font, picture) and the background music. Each change is one undoable edit of the
// document; the controls show what the album holds after a refused change, an undo or an open.
#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QString>

class AlbumDocument;
class ImageDecoder;
class PreviewController;
class QButtonGroup;
class QEvent;
class QLabel;
class QObject;
class QWidget;
class ZodoZadar;

namespace Ui {
class ZodoZadarClass;
}

// Thread contract: the user-interface thread.
class SettingsPanel
{
    // Its texts are the editor's, in the catalogues as such.
    Q_DECLARE_TR_FUNCTIONS(ZodoZadar)
public:
    SettingsPanel(ZodoZadar &editor, AlbumDocument *pDocument, PreviewController *pPreview,
                  ImageDecoder *pDecoder);

    // The controls' signals, once the player is connected.
    void connectControls();
    // The controls show the album's settings, and its watermark and music pages.
    void showSettings();
    void showPages();
    // Hover help, tooltips with the full file names, the text field's editing look; true when
    // the event is handled.
    bool event(QObject *watched, QEvent *event);
    // A click elsewhere ends the text's editing.
    void endTextEditingUnless(QObject *pClicked);
    // A decoder answer: false when it was not the watermark picture's check.
    bool answered(quint64 iRequest, const QString &szFile, bool bOk);
    // A music file dropped on the music area: it becomes the album's music.
    void dropMusic(const QString &szFile);
    // The music chooser: a file that has sound, or empty (refused ones are toasted).
    QString chooseMusicFile();

private:
    void ratioChanged(int iIndex);
    void heightChanged(int iIndex);
    void watermarkTypeChanged(int iType, bool bChecked);
    void watermarkPosChanged(int iPos, bool bChecked);
    void textChanged();
    void setTextEditing(bool bEditing);
    void selectFont();
    void addWatermarkPicture();
    void useWatermarkPicture(const QString &szFile);
    void musicTypeChanged(int iType, bool bChecked);
    void addMusic();
    // False, with a toast naming the reason, for a file without sound that decodes.
    bool acceptMusicFile(const QString &szFile);
    void useMusic(const QString &szFile);
    static void setElidedName(QLabel *pLabel, const QString &szName,
                              Qt::TextElideMode mode = Qt::ElideRight);

    ZodoZadar &m_editor;
    Ui::ZodoZadarClass *ui;
    AlbumDocument *m_pDocument;
    PreviewController *m_pPreview;
    ImageDecoder *m_pDecoder;
    QButtonGroup *m_pWatermarkTypeGroup = nullptr;
    QButtonGroup *m_pMusicTypeGroup = nullptr;
    QButtonGroup *m_pWatermarkPosGroup = nullptr;
    QPointer<QWidget> m_pHelpPopup;
    bool m_bTypeRevertPending = false;
    // The pending check of a chosen watermark picture (0: none) and its name.
    quint64 m_watermarkRequest = 0;
    QString m_watermarkName;
};
