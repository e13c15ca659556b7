// The crash catcher in a crashing child process: report file, observers, default action.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

class TstCatchHelper : public QObject
{
    Q_OBJECT
private slots:
    void crash_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("signalName");
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("useXdgState");
        QTest::newRow("SIGSEGV") << "SIGSEGV"
                                 << "SIGSEGV" << SIGSEGV << true;
        QTest::newRow("SIGBUS") << "SIGBUS"
                                << "SIGBUS" << SIGBUS << true;
        QTest::newRow("SIGILL") << "SIGILL"
                                << "SIGILL" << SIGILL << true;
        QTest::newRow("SIGFPE") << "SIGFPE"
                                << "SIGFPE" << SIGFPE << true;
        QTest::newRow("abort()") << "abort"
                                 << "SIGABRT" << SIGABRT << true;
        QTest::newRow("without XDG_STATE_HOME") << "SIGSEGV"
                                                << "SIGSEGV" << SIGSEGV << false;
    }
    void crash()
    {
        QFETCH(QString, how);
        QFETCH(QString, signalName);
        QFETCH(int, signalNumber);
        QFETCH(bool, useXdgState);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        QString szReportDir;
        if (useXdgState) {
            env.insert(QStringLiteral("XDG_STATE_HOME"), dir.path());
            szReportDir = dir.path() + QStringLiteral("/VelmoraAlbum/crashes");
        } else {
            env.remove(QStringLiteral("XDG_STATE_HOME"));
            env.insert(QStringLiteral("HOME"), dir.path());
            szReportDir = dir.path() + QStringLiteral("/.local/state/VelmoraAlbum/crashes");
        }
        // Sanitizers would print their own report for some of these signals; ours is tested.
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("handle_abort=0:handle_segv=0:"
                                                                  "handle_sigbus=0:handle_sigill="
                                                                  "0:handle_sigfpe=0"));
        env.insert(QStringLiteral("UBSAN_OPTIONS"), QStringLiteral("handle_segv=0"));
        const QString szBin = QCoreApplication::applicationDirPath();
        QProcess probe;
        probe.setProcessEnvironment(env);
        probe.start(szBin + QStringLiteral("/crashprobe"),
                    {szBin + QStringLiteral("/libcatchhelper.so"), how});
        QVERIFY(probe.waitForFinished(30000));
        QCOMPARE(probe.exitStatus(), QProcess::CrashExit);

        const QStringList reports =
            QDir(szReportDir).entryList({QStringLiteral("crash-*.txt")}, QDir::Files);
        QCOMPARE(reports.size(), 1);
        const QString szReport = szReportDir + QLatin1Char('/') + reports.first();
        QFile file(szReport);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString szText = QString::fromUtf8(file.readAll());
        QVERIFY2(
            szText.contains(
                QStringLiteral("signal: %1 (%2)").arg(signalName, QString::number(signalNumber))),
            qPrintable(szText));
        QVERIFY(szText.contains(QStringLiteral("time: ")));
        const int iTrace = szText.indexOf(QStringLiteral("backtrace:\n"));
        QVERIFY(iTrace > 0);
        QVERIFY2(szText.mid(iTrace).count(QLatin1Char('\n')) >= 3, qPrintable(szText));

        // Every registered observer is told once, with the report's path.
        const QString szOut = QString::fromUtf8(probe.readAllStandardOutput());
        QCOMPARE(szOut, QStringLiteral("OBSERVED %1 %2\n").arg(signalNumber).arg(szReport));
    }

    void noCrashNoReport()
    {
        QTemporaryDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_STATE_HOME"), dir.path());
        const QString szBin = QCoreApplication::applicationDirPath();
        QProcess probe;
        probe.setProcessEnvironment(env);
        probe.start(szBin + QStringLiteral("/crashprobe"),
                    {szBin + QStringLiteral("/libcatchhelper.so"), QStringLiteral("none")});
        QVERIFY(probe.waitForFinished(30000));
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), 0);
        QVERIFY(QDir(dir.path() + QStringLiteral("/VelmoraAlbum/crashes"))
                    .entryList(QDir::Files)
                    .isEmpty());
        QVERIFY(probe.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstCatchHelper)
#include "tst_catchhelper.moc"
