// Every text the program shows has a finished Chinese translation: lupdate run over the sources
// into a copy of the committed catalogue leaves nothing unfinished.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

class TstTranslations : public QObject
{
    Q_OBJECT
private slots:
    void everyTextTranslated()
    {
        const QString szLupdate = QStringLiteral(VM_LUPDATE);
        if (szLupdate.isEmpty())
            QSKIP("lupdate not found (qttools5-dev-tools)");
        QTemporaryDir dir;
        const QString szTs = dir.filePath(QStringLiteral("app_zh_CN.ts"));
        QVERIFY(QFile::copy(QStringLiteral(VM_SOURCE_DIR "/translations/app_zh_CN.ts"), szTs));
        QFile::setPermissions(szTs, QFile::ReadOwner | QFile::WriteOwner);

        // The same command that maintains the catalogue; new texts come in as unfinished.
        QProcess lupdate;
        lupdate.setWorkingDirectory(QStringLiteral(VM_SOURCE_DIR));
        lupdate.start(szLupdate,
                      {QStringLiteral("-no-obsolete"), QStringLiteral("-locations"),
                       QStringLiteral("none"), QStringLiteral("src"), QStringLiteral("-ts"), szTs});
        QVERIFY(lupdate.waitForFinished(90000));
        QVERIFY2(lupdate.exitStatus() == QProcess::NormalExit && lupdate.exitCode() == 0,
                 lupdate.readAllStandardError().constData());

        QFile file(szTs);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString szContext, szSource;
        QStringList untranslated;
        int iMessages = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const auto name = xml.name();
            if (name == QLatin1String("name")) {
                szContext = xml.readElementText();
            } else if (name == QLatin1String("source")) {
                szSource = xml.readElementText();
            } else if (name == QLatin1String("translation")) {
                ++iMessages;
                const bool bUnfinished =
                    xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
                // Plural forms sit in child elements; a plain text is the element's own.
                const QString szText =
                    xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
                if (bUnfinished || szText.isEmpty())
                    untranslated << QStringLiteral("%1: \"%2\"").arg(szContext, szSource);
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        // A run that found nothing would pass for the wrong reason.
        QVERIFY2(iMessages > 100, qPrintable(QString::number(iMessages)));
        QVERIFY2(untranslated.isEmpty(),
                 qPrintable(QStringLiteral("Texts without a Chinese translation in "
                                           "translations/app_zh_CN.ts:\n  ") +
                            untranslated.join(QStringLiteral("\n  "))));
    }
};

QTEST_GUILESS_MAIN(TstTranslations)
#include "tst_translations.moc"
