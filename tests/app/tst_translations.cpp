// The catalogues: lupdate run over the sources into a copy of each committed catalogue leaves
// nothing unfinished, and no translation is left as a key or a draft of the source texts.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

struct Message
{
    QString szContext;
    QString szSource;
    QString szTranslation;
    bool bFinished = false;
};

QVector<Message> readCatalogue(const QString &szPath, QString *pError)
{
    QVector<Message> messages;
    QFile file(szPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *pError = file.errorString();
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString szContext, szSource;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            szContext = xml.readElementText();
        } else if (name == QLatin1String("source")) {
            szSource = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            Message message{szContext, szSource, QString(), false};
            const bool bUnfinished =
                xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
            // Plural forms sit in child elements; a plain text is the element's own.
            message.szTranslation =
                xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            message.bFinished = !bUnfinished && !message.szTranslation.isEmpty();
            messages << message;
        }
    }
    if (xml.hasError())
        *pError = xml.errorString();
    return messages;
}

// A source text that is a programmer's key or a draft rather than words for the user: an
// identifier with a lower-case letter followed by a capital or a digit ("tipMinimize",
// "appMenu", "ExportSettingDialog", "label2"), or one lower-case word, hyphens allowed
// ("setting", "self-adaption"). The program's own names and the font sample are not keys.
bool isKeyLike(const QString &szSource)
{
    static const QStringList names = {QStringLiteral("VelmoraAlbum"), QStringLiteral("VMAlbum"),
                                      QStringLiteral("AaBbYyZz")};
    static const QRegularExpression identifier(
        QStringLiteral("^(?=[A-Za-z0-9]*[a-z][A-Z0-9])[A-Za-z][A-Za-z0-9]*$"));
    static const QRegularExpression lowerWord(QStringLiteral("^[a-z]{2,}(-[a-z]+)*$"));
    if (names.contains(szSource))
        return false;
    return identifier.match(szSource).hasMatch() || lowerWord.match(szSource).hasMatch();
}

bool hasHan(const QString &szText)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return han.match(szText).hasMatch();
}

QString describe(const Message &message)
{
    return QStringLiteral("%1: \"%2\" -> \"%3\"")
        .arg(message.szContext, message.szSource, message.szTranslation);
}

QStringList unfinished(const QVector<Message> &messages)
{
    QStringList found;
    for (const Message &message : messages) {
        if (!message.bFinished)
            found << describe(message);
    }
    return found;
}

// Finished entries that still show the user a key, a draft, or (in English) Chinese.
QStringList leftovers(const QVector<Message> &messages, bool bEnglish)
{
    QStringList found;
    for (const Message &message : messages) {
        if (!message.bFinished)
            continue;
        if ((isKeyLike(message.szSource) && message.szTranslation == message.szSource) ||
            (bEnglish && hasHan(message.szTranslation)))
            found << describe(message);
    }
    return found;
}

} // namespace

class TstTranslations : public QObject
{
    Q_OBJECT
private slots:
    void catalogue_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("english");
        QTest::newRow("Chinese") << "app_zh_CN.ts" << false;
        QTest::newRow("English") << "app_en.ts" << true;
    }
    void catalogue()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, english);
        const QString szLupdate = QStringLiteral(VM_LUPDATE);
        if (szLupdate.isEmpty())
            QSKIP("lupdate not found (qttools5-dev-tools)");
        QTemporaryDir dir;
        const QString szTs = dir.filePath(fileName);
        QVERIFY(QFile::copy(QStringLiteral(VM_SOURCE_DIR "/translations/") + fileName, szTs));
        QFile::setPermissions(szTs, QFile::ReadOwner | QFile::WriteOwner);

        // The same command that maintains the catalogues; new texts come in as unfinished.
        QProcess lupdate;
        lupdate.setWorkingDirectory(QStringLiteral(VM_SOURCE_DIR));
        lupdate.start(szLupdate,
                      {QStringLiteral("-no-obsolete"), QStringLiteral("-locations"),
                       QStringLiteral("none"), QStringLiteral("src"), QStringLiteral("-ts"), szTs});
        QVERIFY(lupdate.waitForFinished(90000));
        QVERIFY2(lupdate.exitStatus() == QProcess::NormalExit && lupdate.exitCode() == 0,
                 lupdate.readAllStandardError().constData());

        QString szError;
        const QVector<Message> messages = readCatalogue(szTs, &szError);
        QVERIFY2(szError.isEmpty(), qPrintable(szError));
        // A run that found nothing would pass for the wrong reason.
        QVERIFY2(messages.size() > 200, qPrintable(QString::number(messages.size())));
        const QStringList missing = unfinished(messages);
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("Texts without a finished translation in "
                                           "translations/%1:\n  ")
                                .arg(fileName) +
                            missing.join(QStringLiteral("\n  "))));
        const QStringList left = leftovers(messages, english);
        QVERIFY2(left.isEmpty(),
                 qPrintable(QStringLiteral("Keys, drafts or Chinese left in translations/%1:\n  ")
                                .arg(fileName) +
                            left.join(QStringLiteral("\n  "))));
    }

    // The checks above catch what they are for: a catalogue with each kind of fault, and with
    // entries that look alike but are right.
    void checksFindFaults()
    {
        QTemporaryDir dir;
        const QString szTs = dir.filePath(QStringLiteral("faults.ts"));
        QFile file(szTs);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const char *const entries[][3] = {
            {"tipMinimize", "tipMinimize", ""}, // key kept
            {"ExportSettingDialog", "ExportSettingDialog", ""},
            {"label2", "label2", ""},
            {"setting", "setting", ""}, // draft heading kept
            {"self-adaption", "self-adaption", ""},
            {"版本：v%1", "版本：v%1", ""}, // Chinese in English
            {"export format", "", "unfinished"},
            {"appMenu", "Menu", ""}, // the right ones
            {"VelmoraAlbum", "VelmoraAlbum", ""},
            {"AaBbYyZz", "AaBbYyZz", ""},
            {"24fps", "24 fps", ""},
            {"MP4", "MP4", ""},
            {"s", "s", ""},
            {"Add pictures", "Add pictures", ""},
        };
        QByteArray xml("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
                       "<TS version=\"2.1\" language=\"en\">\n<context><name>C</name>\n");
        for (const auto &entry : entries) {
            xml += QByteArray("<message><source>") + entry[0] + "</source><translation" +
                   (*entry[2] ? " type=\"unfinished\"" : "") + ">" + entry[1] +
                   "</translation></message>\n";
        }
        xml += "</context>\n</TS>\n";
        file.write(xml);
        file.close();

        QString szError;
        const QVector<Message> messages = readCatalogue(szTs, &szError);
        QVERIFY2(szError.isEmpty(), qPrintable(szError));
        QCOMPARE(unfinished(messages), QStringList{QStringLiteral("C: \"export format\" -> \"\"")});
        QStringList expected;
        for (const char *source : {"tipMinimize", "ExportSettingDialog", "label2", "setting",
                                   "self-adaption", "版本：v%1"})
            expected << QStringLiteral("C: \"%1\" -> \"%1\"").arg(QString::fromUtf8(source));
        QCOMPARE(leftovers(messages, true), expected);
        // Chinese is what the Chinese catalogue is for; its keys are still leftovers.
        expected.removeLast();
        QCOMPARE(leftovers(messages, false), expected);
    }
};

QTEST_GUILESS_MAIN(TstTranslations)
#include "tst_translations.moc"
