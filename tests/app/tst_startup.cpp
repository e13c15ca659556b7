// Start-up: window size rule, crash-catcher failures, translations found from any directory.
#include "startup.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TstStartup : public QObject
{
    Q_OBJECT
private slots:
    void windowSizeRule_data()
    {
        QTest::addColumn<QSize>("available");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QSize(902, 580);
        QTest::newRow("2560x1400") << QSize(2560, 1400) << QSize(1204, 752);
        QTest::newRow("1366x728 truncates") << QSize(1366, 728) << QSize(642, 392);
        QTest::newRow("3840x2120") << QSize(3840, 2120) << QSize(1804, 1140);
    }
    void windowSizeRule()
    {
        QFETCH(QSize, available);
        QFETCH(QSize, expected);
        QCOMPARE(mainWindowSize(available), expected);
    }

    // Locale lists as QLocale::uiLanguages gives them, and forced names as users type them.
    void languageChoice_data()
    {
        QTest::addColumn<QStringList>("uiLanguages");
        QTest::addColumn<QString>("forced");
        QTest::addColumn<bool>("chinese");
        const QStringList zhCN{"zh-CN", "zh-Hans-CN", "zh"};
        const QStringList enUS{"en-US", "en"};
        QTest::newRow("zh_CN") << zhCN << QString() << true;
        QTest::newRow("zh alone") << QStringList{"zh"} << QString() << true;
        QTest::newRow("zh_TW is traditional")
            << QStringList{"zh-TW", "zh-Hant-TW"} << QString() << false;
        QTest::newRow("en_US") << enUS << QString() << false;
        QTest::newRow("de_DE") << QStringList{"de-DE", "de"} << QString() << false;
        QTest::newRow("C") << QStringList{"C"} << QString() << false;
        // LANGUAGE=de:zh_CN — no German texts, so the next one on the list, as gettext does.
        QTest::newRow("de then zh") << QStringList{"de-DE", "zh-CN"} << QString() << true;
        QTest::newRow("en then zh") << QStringList{"en-GB", "zh-CN"} << QString() << false;
        QTest::newRow("force zh_CN.UTF-8 on en") << enUS << "zh_CN.UTF-8" << true;
        QTest::newRow("force en on zh") << zhCN << "en" << false;
        QTest::newRow("force C on zh") << zhCN << "C" << false;
        QTest::newRow("unknown force ignored") << zhCN << "fr" << true;
    }
    void languageChoice()
    {
        QFETCH(QStringList, uiLanguages);
        QFETCH(QString, forced);
        QFETCH(bool, chinese);
        QCOMPARE(chooseUiLanguage(uiLanguages, forced) == UiLanguage::Chinese, chinese);
    }

    // Dates and numbers speak the interface's language, in the system's own forms when it
    // speaks that language too.
    void localeFollowsTheInterface()
    {
        const QLocale enGB(QLocale::English, QLocale::UnitedKingdom);
        const QLocale deDE(QLocale::German, QLocale::Germany);
        const QLocale zhCN(QLocale::Chinese, QLocale::China);
        const QLocale zhTW(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan);
        QCOMPARE(interfaceLocale(UiLanguage::English, enGB), enGB);
        QCOMPARE(interfaceLocale(UiLanguage::English, QLocale::c()), QLocale::c());
        QCOMPARE(interfaceLocale(UiLanguage::English, deDE).language(), QLocale::English);
        QCOMPARE(interfaceLocale(UiLanguage::English, zhCN).language(), QLocale::English);
        QCOMPARE(interfaceLocale(UiLanguage::Chinese, zhCN), zhCN);
        QCOMPARE(interfaceLocale(UiLanguage::Chinese, deDE), zhCN);
        QCOMPARE(interfaceLocale(UiLanguage::Chinese, zhTW), zhCN);
        // A caption's {date} on a German system with the English interface.
        const QDate date(2026, 7, 4);
        QVERIFY(interfaceLocale(UiLanguage::English, deDE)
                    .toString(date, QLocale::LongFormat)
                    .contains(QLatin1String("July")));
    }

    void forcedLanguage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("forced");
        const QString app = QStringLiteral("VMAlbum");
        QTest::newRow("environment") << QStringList{app} << "zh_CN";
        QTest::newRow("option over environment") << QStringList{app, "--lang", "en"} << "en";
        QTest::newRow("last option, with =")
            << QStringList{app, "--lang", "en", "-platform", "xcb", "--lang=zh"} << "zh";
        QTest::newRow("option without value") << QStringList{app, "--lang"} << "zh_CN";
    }
    void forcedLanguage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, forced);
        QCOMPARE(forcedLanguageName(arguments, QStringLiteral("zh_CN")), forced);
    }

    // Arguments after Qt took its own; the working directory is /work/here.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("notLocal");
        const QString app = QStringLiteral("VMAlbum");
        QTest::newRow("none") << QStringList{app} << QStringList() << QStringList();
        QTest::newRow("only options")
            << QStringList{app, "--lang", "en", "--lang=zh", "-x", "--verbose"} << QStringList()
            << QStringList();
        QTest::newRow("relative and absolute, in order")
            << QStringList{app, "b.jpg", "/p/a.png", "sub/c.vmalbum"}
            << QStringList{"/work/here/b.jpg", "/p/a.png", "/work/here/sub/c.vmalbum"}
            << QStringList();
        QTest::newRow("--lang takes the next argument, mixed in")
            << QStringList{app, "a.jpg", "--lang", "zh_CN.jpg", "b.jpg", "--lang=en"}
            << QStringList{"/work/here/a.jpg", "/work/here/b.jpg"} << QStringList();
        QTest::newRow("after -- everything is a file")
            << QStringList{app, "--", "--lang", "-x.jpg", "--"}
            << QStringList{"/work/here/--lang", "/work/here/-x.jpg", "/work/here/--"}
            << QStringList();
        QTest::newRow("a lone - is a name")
            << QStringList{app, "-"} << QStringList{"/work/here/-"} << QStringList();
        // "." and doubled slashes go; ".." stays, since through a link it leads elsewhere.
        QTest::newRow("dots and slashes")
            << QStringList{app, "./a.jpg", "x//y/./b.jpg", "../c.jpg", "/p/q/../d.jpg"}
            << QStringList{"/work/here/a.jpg", "/work/here/x/y/b.jpg", "/work/here/../c.jpg",
                           "/p/q/../d.jpg"}
            << QStringList();
        QTest::newRow("names that look like options or addresses but are not")
            << QStringList{app, "holiday: day 1.jpg", "%1 100%.jpg", "a\nb.jpg", "照片.jpg"}
            << QStringList{"/work/here/holiday: day 1.jpg", "/work/here/%1 100%.jpg",
                           "/work/here/a\nb.jpg", "/work/here/照片.jpg"}
            << QStringList();
        QTest::newRow("file URIs as desktops pass them")
            << QStringList{app, "file:///home/u/my%20photo.jpg", "file://localhost/p/%E7%85%A7.png",
                           "FILE:///p/100%25.jpg"}
            << QStringList{"/home/u/my photo.jpg", "/p/照.png", "/p/100%.jpg"} << QStringList();
        QTest::newRow("addresses that are not local files")
            << QStringList{app, "https://example.org/a.jpg", "file://otherhost/a.jpg",
                           "sftp://h/b.png", "a.jpg"}
            << QStringList{"/work/here/a.jpg"}
            << QStringList{"https://example.org/a.jpg", "file://otherhost/a.jpg", "sftp://h/b.png"};
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QFETCH(QStringList, notLocal);
        const CommandLineFiles given = commandLineFiles(arguments, QStringLiteral("/work/here"));
        QCOMPARE(given.files, files);
        QCOMPARE(given.notLocal, notLocal);
        // The language option is read from the same arguments, files or not.
        if (arguments.contains(QStringLiteral("--lang=en")))
            QCOMPARE(forcedLanguageName(arguments, QString()), QStringLiteral("en"));
    }

    void startWithUnusableArguments()
    {
        // Nothing the editor takes: one line for each on the terminal, and the window opens.
        QTemporaryDir runtime;
        QTemporaryDir work;
        const QString szWork = QDir(work.path()).canonicalPath();
        QVERIFY(QDir(szWork).mkdir(QStringLiteral("a folder")));
        QFile notes(szWork + QStringLiteral("/notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        // The album and the places it remembers stay out of the user's own.
        env.insert(QStringLiteral("XDG_STATE_HOME"), runtime.path() + QStringLiteral("/state"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.path() + QStringLiteral("/config"));
        QProcess probe;
        probe.setProcessEnvironment(env);
        probe.setWorkingDirectory(szWork);
        const QString szBin = QCoreApplication::applicationDirPath();
        probe.start(szBin + QStringLiteral("/startup_probe"),
                    {szBin, QStringLiteral("take"), QStringLiteral("notes.txt"),
                     QStringLiteral("a folder"), QStringLiteral("gone.txt"),
                     QStringLiteral("https://example.org/a.jpg")});
        QVERIFY(probe.waitForStarted());
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += probe.readAllStandardOutput()).contains("GIVEN"), 45000);
        // Read on: the lines after GIVEN may come in a later piece of the output.
        QTRY_VERIFY_WITH_TIMEOUT((out += probe.readAllStandardOutput()).contains("\nFILE "), 45000);
        probe.kill();
        probe.waitForFinished(5000);
        out += probe.readAllStandardOutput();
        QVERIFY(out.contains("EDITOR yes"));
        QVERIFY(out.contains("GIVEN 3 refused"));
        const QString szErrors = QString::fromUtf8(probe.readAllStandardError());
        const QStringList expected{
            QStringLiteral("VMAlbum: \"https://example.org/a.jpg\" not opened: not a local file"),
            QStringLiteral("VMAlbum: \"%1/notes.txt\" not opened: not a JPEG, PNG, HEIC, AVIF or "
                           "WebP picture or an album (.vmalbum)")
                .arg(szWork),
            QStringLiteral("VMAlbum: \"%1/a folder\" not opened: a folder").arg(szWork),
            QStringLiteral("VMAlbum: \"%1/gone.txt\" not opened: no such file").arg(szWork)};
        for (const QString &szLine : expected)
            QVERIFY2(szErrors.contains(szLine + QLatin1Char('\n')), qPrintable(szErrors));
    }

    void startLanguage_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("forcedEnv");
        QTest::addColumn<QStringList>("extraArgs");
        QTest::addColumn<bool>("chinese");
        QTest::newRow("Chinese locale") << "zh_CN.UTF-8"
                                        << "" << QStringList() << true;
        QTest::newRow("English locale") << "en_US.UTF-8"
                                        << "" << QStringList() << false;
        QTest::newRow("environment forces English") << "zh_CN.UTF-8"
                                                    << "en" << QStringList() << false;
        QTest::newRow("option over environment") << "en_US.UTF-8"
                                                 << "en" << QStringList{"--lang", "zh_CN"} << true;
    }
    void startLanguage()
    {
        QFETCH(QString, lang);
        QFETCH(QString, forcedEnv);
        QFETCH(QStringList, extraArgs);
        QFETCH(bool, chinese);
        QTemporaryDir runtime;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        // The album and the places it remembers stay out of the user's own.
        env.insert(QStringLiteral("XDG_STATE_HOME"), runtime.path() + QStringLiteral("/state"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.path() + QStringLiteral("/config"));
        for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "VMALBUM_LANG"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("LANG"), lang);
        if (!forcedEnv.isEmpty())
            env.insert(QStringLiteral("VMALBUM_LANG"), forcedEnv);
        QProcess probe;
        probe.setProcessEnvironment(env);
        const QString szBin = QCoreApplication::applicationDirPath();
        probe.start(szBin + QStringLiteral("/startup_probe"),
                    QStringList{szBin, QStringLiteral("quit")} + extraArgs);
        QVERIFY(probe.waitForFinished(45000));
        QCOMPARE(probe.exitCode(), 0);
        const QStringList lines =
            QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        if (chinese) {
            QVERIFY2(lines.contains(QStringLiteral("EXPORT 导出")), qPrintable(lines.join('|')));
            QVERIFY(lines.contains(QStringLiteral("TITLE VelmoraAlbum 电子相册")));
            QVERIFY(lines.contains(QStringLiteral("QTOK 确定")));
            QVERIFY(lines.contains(QStringLiteral("CJKFONT yes")));
            QVERIFY(lines.contains(QStringLiteral("VERSION 版本：v2.1.0")));
        } else {
            // The English catalogue's wording, not the source texts ("export", "版本：v%1").
            QVERIFY2(lines.contains(QStringLiteral("EXPORT Export")), qPrintable(lines.join('|')));
            QVERIFY(lines.contains(QStringLiteral("TITLE VelmoraAlbum")));
            QVERIFY(lines.contains(QStringLiteral("QTOK OK")));
            QVERIFY(lines.contains(QStringLiteral("VERSION Version 2.1.0")));
        }
    }

    // The translators are installed before the crash catcher is hooked (the other way round
    // its message boxes would always show their Chinese source texts): the boxes follow the
    // interface language.
    // The window comes back at the size it was left at, and maximised when it was left so; a
    // window left maximised keeps the size it had before.
    void windowIsRememberedAsLeft()
    {
        QTemporaryDir runtime;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("XDG_STATE_HOME"), runtime.path() + QStringLiteral("/state"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.path() + QStringLiteral("/config"));
        const QString szBin = QCoreApplication::applicationDirPath();
        auto run = [&](const QString &szMode) {
            QProcess probe;
            probe.setProcessEnvironment(env);
            probe.start(szBin + QStringLiteral("/startup_probe"), {szBin, szMode});
            if (!probe.waitForFinished(45000))
                return QStringList{QStringLiteral("TIMEOUT")};
            return QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        };
        auto shownSize = [](const QStringList &lines) {
            for (const QString &line : lines) {
                if (line.startsWith(QLatin1String("SHOWN ")))
                    return line.section(QLatin1Char(' '), 3, 4);
            }
            return QString();
        };
        QStringList lines = run(QStringLiteral("resize"));
        QVERIFY(lines.contains(QStringLiteral("STATE normal")));
        lines = run(QStringLiteral("maximise"));
        QCOMPARE(shownSize(lines), QStringLiteral("1001 641"));
        lines = run(QStringLiteral("quit"));
        QVERIFY2(lines.contains(QStringLiteral("STATE maximised")), qPrintable(lines.join('|')));
    }

    void startUp_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("catchFolder");
        QTest::addColumn<QStringList>("messageBoxes");
        const QString bin = QCoreApplication::applicationDirPath();
        const QString libs = QStringLiteral(VM_TESTLIBS_DIR);
        QTest::newRow("catcher present") << "zh_CN" << bin << QStringList();
        QTest::newRow("catcher missing") << "zh_CN" << bin + "/no-such-folder"
                                         << QStringList{"提示|无法加载DLL,catchhelper.dll"};
        QTest::newRow("export missing")
            << "zh_CN" << libs + "/noexport"
            << QStringList{"提示|无法获取导出函数,getBLLDumpCatchMgrExportInterface"};
        QTest::newRow("export returns null")
            << "zh_CN" << libs + "/nullexport"
            << QStringList{"提示|函数返回空,getBLLDumpCatchMgrExportInterface"};
        QTest::newRow("English, catcher missing")
            << "en" << bin + "/no-such-folder"
            << QStringList{"VelmoraAlbum|Could not load the crash catcher, libcatchhelper.so"};
        QTest::newRow("English, export returns null")
            << "en" << libs + "/nullexport"
            << QStringList{"VelmoraAlbum|The crash catcher returned no interface from "
                           "getBLLDumpCatchMgrExportInterface"};
    }
    void startUp()
    {
        QFETCH(QString, lang);
        QFETCH(QString, catchFolder);
        QFETCH(QStringList, messageBoxes);
        QTemporaryDir runtime;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        // The album and the places it remembers stay out of the user's own.
        env.insert(QStringLiteral("XDG_STATE_HOME"), runtime.path() + QStringLiteral("/state"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("VMALBUM_LANG"), lang);
        QProcess probe;
        probe.setProcessEnvironment(env);
        // Started elsewhere: translations must still come from beside the executable.
        probe.setWorkingDirectory(QDir::rootPath());
        const QString szBin = QCoreApplication::applicationDirPath();
        probe.start(szBin + QStringLiteral("/startup_probe"),
                    {catchFolder, QStringLiteral("quit")});
        QVERIFY(probe.waitForFinished(45000));
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), 0);
        const QStringList lines =
            QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);

        QStringList boxes;
        QString szShown, szScreen;
        for (const QString &line : lines) {
            if (line.startsWith(QLatin1String("MSGBOX ")))
                boxes << line.mid(7);
            if (line.startsWith(QLatin1String("SHOWN ")))
                szShown = line.mid(6);
            if (line.startsWith(QLatin1String("SCREEN ")))
                szScreen = line.mid(7);
        }
        QCOMPARE(boxes, messageBoxes);
        QVERIFY(lines.indexOf(QStringLiteral("MSGBOX ") + messageBoxes.value(0)) <
                lines.indexOf(QRegularExpression(QStringLiteral("SHOWN .*"))));
        // The window opens regardless, sized by the rule and centred on the screen.
        const QStringList screen = szScreen.split(' ');
        QCOMPARE(screen.size(), 2);
        const QSize stAvail(screen[0].toInt(), screen[1].toInt());
        QSize stSize = mainWindowSize(stAvail).expandedTo(QSize(902, 580));
        QCOMPARE(szShown, QStringLiteral("%1 %2 %3 %4")
                              .arg((stAvail.width() - stSize.width()) / 2)
                              .arg((stAvail.height() - stSize.height()) / 2)
                              .arg(stSize.width())
                              .arg(stSize.height()));
        if (lang == QLatin1String("zh_CN")) {
            QVERIFY(lines.contains(QStringLiteral("TITLE VelmoraAlbum 电子相册")));
            QVERIFY(lines.contains(QStringLiteral("QTOK 确定")));
        } else {
            QVERIFY(lines.contains(QStringLiteral("TITLE VelmoraAlbum")));
            QVERIFY(lines.contains(QStringLiteral("QTOK OK")));
        }
        QVERIFY(lines.contains(QStringLiteral("CWD ") + szBin));
        QVERIFY(lines.contains(QStringLiteral("EDITOR yes")));
    }
};

QTEST_GUILESS_MAIN(TstStartup)
#include "tst_startup.moc"
