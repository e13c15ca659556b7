// logind sleep watcher: silent without a bus, suspend and resume from a stand-in logind.
#include "logindpowerwatcher.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>
#include <unistd.h>

namespace {
int g_iWarnings = 0;
void countWarnings(QtMsgType type, const QMessageLogContext &, const QString &)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        ++g_iWarnings;
}

// Answers Inhibit with one end of a pipe, as logind answers with its lock's descriptor.
class FakeLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    int iInhibitCalls = 0;
    QString szLastMode;

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString &, const QString &, const QString &,
                                    const QString &szMode)
    {
        ++iInhibitCalls;
        szLastMode = szMode;
        int fds[2];
        if (::pipe(fds) != 0)
            return QDBusUnixFileDescriptor();
        QDBusUnixFileDescriptor result(fds[0]); // dups
        ::close(fds[0]);
        ::close(fds[1]);
        return result;
    }
};
} // namespace

class TstLogindPowerWatcher : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Before anything touches the system bus: there is none.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/vm-no-bus");
    }

    void noSystemBusIsSilent()
    {
        g_iWarnings = 0;
        QtMessageHandler old = qInstallMessageHandler(countWarnings);
        QObject owner;
        platform::PowerEventSource *pSource = platform::createSystemPowerEventSource(&owner);
        QSignalSpy suspends(pSource, &platform::PowerEventSource::suspending);
        QTest::qWait(50);
        qInstallMessageHandler(old);
        QVERIFY(pSource);
        QCOMPARE(g_iWarnings, 0);
        QCOMPARE(suspends.count(), 0);
        auto *pWatcher = qobject_cast<platform::LogindPowerWatcher *>(pSource);
        QVERIFY(pWatcher && !pWatcher->isWatching());
    }

    void suspendAndResumeFromLogind()
    {
        const QString szDaemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (szDaemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        QProcess daemon;
        daemon.start(szDaemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                QStringLiteral("--print-address")});
        QVERIFY(daemon.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(daemon.canReadLine(), 20000);
        const QString szAddress = QString::fromUtf8(daemon.readLine()).trimmed();

        QDBusConnection logindBus = QDBusConnection::connectToBus(szAddress, "logind");
        QVERIFY(logindBus.isConnected());
        FakeLogind logind;
        QVERIFY(logindBus.registerObject(QStringLiteral("/org/freedesktop/login1"), &logind,
                                         QDBusConnection::ExportAllSlots));
        QVERIFY(logindBus.registerService(QStringLiteral("org.freedesktop.login1")));

        {
            QDBusConnection appBus = QDBusConnection::connectToBus(szAddress, "app");
            QVERIFY(appBus.isConnected());
            platform::LogindPowerWatcher watcher(appBus);
            QVERIFY(watcher.isWatching());
            QTRY_VERIFY_WITH_TIMEOUT(watcher.holdsDelayLock(), 10000);
            QCOMPARE(logind.szLastMode, QStringLiteral("delay"));

            QSignalSpy suspends(&watcher, &platform::PowerEventSource::suspending);
            QSignalSpy resumes(&watcher, &platform::PowerEventSource::resumed);
            auto prepare = [&](bool bStart) {
                QDBusMessage signal =
                    QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                               QStringLiteral("org.freedesktop.login1.Manager"),
                                               QStringLiteral("PrepareForSleep"));
                signal << bStart;
                QVERIFY(logindBus.send(signal));
            };
            prepare(true);
            QTRY_COMPARE_WITH_TIMEOUT(suspends.count(), 1, 10000);
            QVERIFY(!watcher.holdsDelayLock()); // released: the system may sleep now
            QCOMPARE(resumes.count(), 0);
            prepare(false);
            QTRY_COMPARE_WITH_TIMEOUT(resumes.count(), 1, 10000);
            QTRY_VERIFY_WITH_TIMEOUT(watcher.holdsDelayLock(), 10000); // taken again
            QCOMPARE(logind.iInhibitCalls, 2);
            QCOMPARE(suspends.count(), 1);
        }
        QDBusConnection::disconnectFromBus("app");
        QDBusConnection::disconnectFromBus("logind");
        daemon.kill();
        daemon.waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(TstLogindPowerWatcher)
#include "tst_logindpowerwatcher.moc"
