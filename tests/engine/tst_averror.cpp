// Error reports: the known FFmpeg and system error texts are found whatever the locale and come
// in the interface's language; others stay as FFmpeg gives them. The report is worded by the
// catalogue (a space or full-width brackets), and system texts from elsewhere are translated too.
#include "averror.h"
#include "imagedecoder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <cerrno>
#include <clocale>

extern "C" {
#include <libavutil/error.h>
}

class TstAVError : public QObject
{
    Q_OBJECT
private slots:
    // The texts FFmpeg gives for system errors follow the process locale: test in English.
    void initTestCase() { std::setlocale(LC_MESSAGES, "C"); }

    // Each entry is known by the very text its code gives: a misspelt one would never match.
    void knownTextsAreTheLibrariesOwn()
    {
        const auto errors = avTranslatedErrors();
        QVERIFY(errors.size() >= 14);
        for (const auto &error : errors) {
            char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
            av_strerror(error.first, buf, sizeof buf);
            QCOMPARE(QString::fromUtf8(buf), error.second);
            QCOMPARE(avErrorText(error.first), error.second);
        }
    }

    void chineseReports_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("report");
        QTest::newRow("permission") << AVERROR(EACCES) << "写入文件头失败（权限不足）";
        QTest::newRow("missing file") << AVERROR(ENOENT) << "写入文件头失败（文件或目录不存在）";
        QTest::newRow("disk full") << AVERROR(ENOSPC) << "写入文件头失败（设备上没有剩余空间）";
        QTest::newRow("invalid data")
            << AVERROR_INVALIDDATA << "写入文件头失败（处理输入时发现无效数据）";
        QTest::newRow("end of file") << AVERROR_EOF << "写入文件头失败（已到文件末尾）";
        // Not in the table: as FFmpeg gives it.
        QTest::newRow("unknown system error")
            << AVERROR(EDOM) << "写入文件头失败（Numerical argument out of domain）";
        QTest::newRow("unknown code")
            << -123456 << "写入文件头失败（Error number -123456 occurred）";
    }
    void chineseReports()
    {
        QFETCH(int, code);
        QFETCH(QString, report);
        QTranslator translator;
        if (!translator.load(QStringLiteral(VM_TRANSLATIONS_DIR "/app_zh_CN.qm")))
            QSKIP("the translations were not built (lrelease missing)");
        QCoreApplication::installTranslator(&translator);
        const QString szReport = avErrorReport(QStringLiteral("写入文件头失败"), code);
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(szReport, report);
        // Without the catalogue: the message and the text joined as the sources have it.
        QCOMPARE(avErrorReport(QStringLiteral("Write file header failed"), AVERROR(EACCES)),
                 QStringLiteral("Write file header failed(Permission denied)"));
    }

    // The English catalogue puts a space before the bracket; a report without a step is the
    // bracketed text alone in every language.
    void englishReports()
    {
        QTranslator translator;
        if (!translator.load(QStringLiteral(VM_TRANSLATIONS_DIR "/app_en.qm")))
            QSKIP("the translations were not built (lrelease missing)");
        QCoreApplication::installTranslator(&translator);
        const QString szReport =
            avErrorReport(QStringLiteral("Create output file failed"), AVERROR(EPERM));
        const QString szBare = avErrorReport(QString(), AVERROR(ENOMEM));
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(szReport, QStringLiteral("Create output file failed (Operation not permitted)"));
        QCOMPARE(szBare, QStringLiteral("(Cannot allocate memory)"));
        QCOMPARE(avErrorReport(QString(), AVERROR(ENOMEM)),
                 QStringLiteral("(Cannot allocate memory)"));
    }

    // A refused picture's report leads with the plain words in the catalogues, the step's own
    // report after them; the sources keep the step first.
    void pictureReportsLeadWithThePlainWords_data()
    {
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<QString>("report");
        QTest::newRow("sources") << QString()
                                 << "Image decode failed(Invalid data found when processing "
                                    "input) — not a JPEG, PNG, HEIC, AVIF or WebP picture";
        QTest::newRow("English") << "app_en.qm"
                                 << "not a JPEG, PNG, HEIC, AVIF or WebP picture — Image decode "
                                    "failed (Invalid data found when processing input)";
    }
    void pictureReportsLeadWithThePlainWords()
    {
        QFETCH(QString, catalogue);
        QFETCH(QString, report);
        QTemporaryDir dir;
        const QString szPath = dir.filePath(QStringLiteral("notes.jpg"));
        QFile file(szPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("these are words, not a picture");
        file.close();
        QTranslator translator;
        if (!catalogue.isEmpty()) {
            if (!translator.load(QStringLiteral(VM_TRANSLATIONS_DIR "/") + catalogue))
                QSKIP("the translations were not built (lrelease missing)");
            QCoreApplication::installTranslator(&translator);
        }
        const ImageDecoder::Result r = ImageDecoder::decodeFile(szPath, true);
        QCoreApplication::removeTranslator(&translator);
        QVERIFY(!r.ok);
        QCOMPARE(r.report, report);
    }

    // Texts of the system that reach the user by other roads (a file that will not open) come in
    // the interface's language too: "无法打开：No such file or directory" mixed two.
    void systemTexts()
    {
        QTranslator translator;
        if (!translator.load(QStringLiteral(VM_TRANSLATIONS_DIR "/app_zh_CN.qm")))
            QSKIP("the translations were not built (lrelease missing)");
        QTemporaryDir dir;
        QFile missing(dir.filePath(QStringLiteral("gone.vmalbum")));
        QVERIFY(!missing.open(QIODevice::ReadOnly));
        QCOMPARE(missing.errorString(), QStringLiteral("No such file or directory"));
        QCoreApplication::installTranslator(&translator);
        const QString szFromQt = translatedSystemText(missing.errorString());
        const QString szFromErrno = systemErrorText(ENOSPC);
        const QString szOther = translatedSystemText(QStringLiteral("Something else"));
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(szFromQt, QStringLiteral("文件或目录不存在"));
        QCOMPARE(szFromErrno, QStringLiteral("设备上没有剩余空间"));
        QCOMPARE(szOther, QStringLiteral("Something else"));
        QCOMPARE(translatedSystemText(missing.errorString()),
                 QStringLiteral("No such file or directory"));
    }

    void everyKnownTextHasChinese()
    {
        QTranslator translator;
        if (!translator.load(QStringLiteral(VM_TRANSLATIONS_DIR "/app_zh_CN.qm")))
            QSKIP("the translations were not built (lrelease missing)");
        QCoreApplication::installTranslator(&translator);
        QStringList english;
        for (const auto &error : avTranslatedErrors()) {
            const QString szText = avErrorText(error.first);
            if (!szText.contains(QRegularExpression(QStringLiteral("\\p{Han}"))))
                english << szText;
        }
        QCoreApplication::removeTranslator(&translator);
        QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(", "))));
    }

    // The C library words its errors in the process locale; the catalogue decides instead.
    void processLocaleDoesNotDecide()
    {
        if (!std::setlocale(LC_MESSAGES, "zh_CN.UTF-8"))
            QSKIP("no zh_CN.UTF-8 locale on this machine");
        const QString szText = avErrorText(AVERROR(EACCES));
        std::setlocale(LC_MESSAGES, "C");
        QCOMPARE(szText, QStringLiteral("Permission denied"));
    }
};

QTEST_GUILESS_MAIN(TstAVError)
#include "tst_averror.moc"
