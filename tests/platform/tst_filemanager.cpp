// Showing an exported file: the file manager on the session bus gets its URI; without one, the
// folder is opened instead; the caller learns whether anything took the request.
#include "filemanager.h"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

namespace {
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;

public slots:
    void ShowItems(const QStringList &uris, const QString &) { shown += uris; }
};

// Stands in for the desktop's handler of file URLs.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};
} // namespace

class TstFileManager : public QObject
{
    Q_OBJECT
    QProcess m_daemon;
    QString m_address;

private slots:
    void initTestCase()
    {
        const QString szDaemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (szDaemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        m_daemon.start(szDaemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                  QStringLiteral("--print-address")});
        QVERIFY(m_daemon.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(m_daemon.canReadLine(), 20000);
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        // The program's own session bus is this private one.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    }

    void cleanupTestCase()
    {
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }

    void revealsAndFallsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("album 100%1(2).mp4"));
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");

        // No file manager on the bus: the folder opens.
        platform::showFileInFileManager(path);
        QTRY_COMPARE_WITH_TIMEOUT(catcher.opened.size(), 1, 10000);
        QCOMPARE(catcher.opened.first(), QUrl::fromLocalFile(dir.path()));

        QDBusConnection fmBus = QDBusConnection::connectToBus(m_address, QStringLiteral("fm"));
        FakeFileManager fm;
        QVERIFY(fmBus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fm,
                                     QDBusConnection::ExportAllSlots));
        QVERIFY(fmBus.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        platform::showFileInFileManager(path);
        QTRY_COMPARE_WITH_TIMEOUT(fm.shown.size(), 1, 10000);
        QCOMPARE(QUrl(fm.shown.first()).toLocalFile(), path);
        QTest::qWait(100);
        QCOMPARE(catcher.opened.size(), 1); // no folder opened this time
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDBusConnection::disconnectFromBus(QStringLiteral("fm"));
    }

    void tellsWhetherItWasShown()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("album.mp4"));
        QList<bool> answers;
        auto answer = [&answers](bool bShown) { answers << bShown; };

        // Nothing on the bus and nothing that opens folders: the caller hears so.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("does not support")));
        platform::showFileInFileManager(path, answer);
        QVERIFY(answers.isEmpty()); // from the event loop, never at once
        QTRY_COMPARE_WITH_TIMEOUT(answers, QList<bool>{false}, 10000);

        // A program for folders takes it.
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        platform::showFileInFileManager(path, answer);
        QTRY_COMPARE_WITH_TIMEOUT(answers, (QList<bool>{false, true}), 10000);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

        // The file manager on the bus takes it.
        QDBusConnection fmBus = QDBusConnection::connectToBus(m_address, QStringLiteral("fm2"));
        FakeFileManager fm;
        QVERIFY(fmBus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fm,
                                     QDBusConnection::ExportAllSlots));
        QVERIFY(fmBus.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        platform::showFileInFileManager(path, answer);
        QTRY_COMPARE_WITH_TIMEOUT(answers, (QList<bool>{false, true, true}), 10000);
        QCOMPARE(fm.shown.size(), 1);
        fmBus.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
        QDBusConnection::disconnectFromBus(QStringLiteral("fm2"));
    }
};

QTEST_MAIN(TstFileManager)
#include "tst_filemanager.moc"
