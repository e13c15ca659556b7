// Interim stand-in for the export settings dialog (replaced by the real one).
#pragma once
#include <QDialog>
class ExportSettingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ExportSettingDialog(QWidget *parent = nullptr) : QDialog(parent)
    {
        setAttribute(Qt::WA_DeleteOnClose);
    }
    QString exportFormat() const { return QStringLiteral("MP4"); }
    QString frameRate() const { return QStringLiteral("24fps"); }
    QString videoBitRate() const { return QStringLiteral("self-adaption"); }
    QString audioBitRate() const { return QStringLiteral("self-adaption"); }
    QString sampleRate() const { return QStringLiteral("44100Hz"); }
    QString fileName() const { return m_name; }
    QString fileDirectory() const { return m_dir; }
    void setAudioSettingsEnabled(bool) {}
public slots:
    void changeFileDirectory(QString szDir) { m_dir = szDir; emit sig_fileDirectoryChanged(szDir); }
    void changeFileName(QString szText) { m_name = szText; emit sig_fileNameChanged(szText); }
signals:
    void sig_exportFormatChanged(QString szFormat);
    void sig_frameRateChanged(QString szFrameRate);
    void sig_videoBitRateChanged(QString szBitRate);
    void sig_audioBitRateChanged(QString szBitRate);
    void sig_sampleRateChanged(QString szSampleRate);
    void sig_fileNameChanged(QString szFileName);
    void sig_fileDirectoryChanged(QString szDir);
    void sig_exportRequest();
private:
    QString m_name, m_dir;
};
