// SPDX-License-Identifier: GPL-3.0-or-later
// From the export button to a written video file: the settings dialog, the overwrite question,
// the progress and the result. The encoder renders the snapshot of the album handed to it as the
// export starts.
#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QString>

class AlbumDocument;
class ExportSettingDialog;
class MediaEncoder;
class MissingPictures;
class PreviewController;
class ProgressDialog;
class SuccessDialog;
class ZodoZadar;

class ExportController
{
    // Its texts are the editor's, in the catalogues as such.
    Q_DECLARE_TR_FUNCTIONS(ZodoZadar)
public:
    ExportController(ZodoZadar &editor, AlbumDocument *pDocument, MediaEncoder *pEncoder,
                     PreviewController *pPreview, MissingPictures *pMissing);

    // The export button: the preview stops, pictures the album cannot show are asked about,
    // then the settings dialog (one at a time).
    void prepare();
    void showSettings();
    // The export itself, with its progress dialog.
    void start();

private:
    void request(ExportSettingDialog *pDialog);
    void rememberChoices(const ExportSettingDialog *pDialog);
    // The exact path the encoder writes for szName in szDir.
    QString target(const QString &szDir, const QString &szName) const;
    void succeeded(ProgressDialog *pProgress);
    void failed(ProgressDialog *pProgress, const QString &szError);
    void cancelled(ProgressDialog *pProgress);
    void openFolder(const QPointer<SuccessDialog> &dialog);

    ZodoZadar &m_editor;
    AlbumDocument *m_pDocument;
    MediaEncoder *m_pEncoder;
    PreviewController *m_pPreview;
    MissingPictures *m_pMissing;
    QPointer<ExportSettingDialog> m_pDialog;
    bool m_bOverwriteQuestion = false; // the overwrite question is up
};
