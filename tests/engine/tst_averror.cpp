// Error reports: the known FFmpeg and system error texts are found whatever the locale and come
// in the interface's language; others stay as FFmpeg gives them.
#include "averror.h"

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
        QTest::newRow("permission") << AVERROR(EACCES) << "写入文件头失败(权限不足)";
        QTest::newRow("missing file") << AVERROR(ENOENT) << "写入文件头失败(文件或目录不存在)";
        QTest::newRow("disk full") << AVERROR(ENOSPC) << "写入文件头失败(设备上没有剩余空间)";
        QTest::newRow("invalid data")
            << AVERROR_INVALIDDATA << "写入文件头失败(处理输入时发现无效数据)";
        QTest::newRow("end of file") << AVERROR_EOF << "写入文件头失败(已到文件末尾)";
        // Not in the table: as FFmpeg gives it.
        QTest::newRow("unknown system error")
            << AVERROR(EDOM) << "写入文件头失败(Numerical argument out of domain)";
        QTest::newRow("unknown code") << -123456 << "写入文件头失败(Error number -123456 occurred)";
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
        // Without the catalogue: English, with the message and the text joined as before.
        QCOMPARE(avErrorReport(QStringLiteral("Write file header failed"), AVERROR(EACCES)),
                 QStringLiteral("Write file header failed(Permission denied)"));
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
