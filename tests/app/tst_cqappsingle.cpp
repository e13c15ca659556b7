// Single-instance guard with real processes: a second start wakes the first and exits with 1;
// starts at the same moment leave exactly one running.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

class TstCQAppSingle : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pRuntime.reset(new QTemporaryDir);
        QVERIFY(m_pRuntime->isValid());
    }
    void cleanup()
    {
        for (QProcess *pProcess : qAsConst(m_processes)) {
            if (pProcess->state() != QProcess::NotRunning) {
                pProcess->kill();
                pProcess->waitForFinished(5000);
            }
        }
        qDeleteAll(m_processes);
        m_processes.clear();
        m_pRuntime.reset();
    }

    void secondStartWakesTheFirst()
    {
        QProcess *pFirst = start(probePath(), QStringLiteral("stay"));
        QVERIFY(waitForLine(pFirst, "WAITING"));
        QProcess *pSecond = start(probePath(), QStringLiteral("quit"));
        QVERIFY(pSecond->waitForFinished(30000));
        QCOMPARE(pSecond->exitCode(), 1);
        QVERIFY(!pSecond->readAllStandardOutput().contains("SHOWN")); // no window at all
        // The first one was minimised; the knock restores it, and it then quits by itself.
        QVERIFY(waitForLine(pFirst, "RAISED"));
        QVERIFY(pFirst->waitForFinished(30000));
        QCOMPARE(pFirst->exitCode(), 0);
        // A clean exit leaves no name behind: the next start is a first instance again.
        QVERIFY(!QFile::exists(m_pRuntime->path() + QStringLiteral("/startup_probe")));
    }

    void wokenWindowTogglesOnTitleBarDoubleClick()
    {
        // Waking marks the window active; that must not stop the title bar from maximising.
        QProcess *pFirst = start(probePath(), QStringLiteral("toggle"));
        QVERIFY(waitForLine(pFirst, "WAITING"));
        QProcess *pSecond = start(probePath(), QStringLiteral("quit"));
        QVERIFY(pSecond->waitForFinished(30000));
        QCOMPARE(pSecond->exitCode(), 1);
        QVERIFY(waitForLine(pFirst, "RAISED"));
        QVERIFY(waitForLine(pFirst, "DCLICK maximised"));
        QVERIFY(waitForLine(pFirst, "DCLICK normal"));
        QVERIFY(pFirst->waitForFinished(30000));
    }

    void startsAtTheSameMomentLeaveOneRunning()
    {
        // Every round after the first also begins with the name a killed instance left behind.
        for (int iRound = 0; iRound < 4; ++iRound) {
            QList<QProcess *> batch;
            for (int i = 0; i < 3; ++i)
                batch << start(probePath(), QStringLiteral("hold"));
            QList<QProcess *> running;
            QElapsedTimer clock;
            clock.start();
            do {
                running.clear();
                for (QProcess *pProcess : qAsConst(batch)) {
                    if (pProcess->state() != QProcess::NotRunning && !pProcess->waitForFinished(50))
                        running << pProcess;
                }
            } while (running.size() > 1 && clock.elapsed() < 30000);
            QCOMPARE(running.size(), 1);
            for (QProcess *pProcess : qAsConst(batch)) {
                if (pProcess != running[0]) {
                    QCOMPARE(pProcess->exitCode(), 1);
                    QVERIFY(!pProcess->readAllStandardOutput().contains("SHOWN"));
                }
            }
            QVERIFY(waitForLine(running[0], "EDITOR yes"));
            // The one left holds the name: a later start finds it.
            QProcess *pLater = start(probePath(), QStringLiteral("quit"));
            QVERIFY(pLater->waitForFinished(30000));
            QCOMPARE(pLater->exitCode(), 1);
            running[0]->kill();
            QVERIFY(running[0]->waitForFinished(5000));
        }
    }

    void startDuringAnotherStartsClaimWaitsForIt()
    {
        // A first start between binding its name and listening on it looks just like a crashed
        // instance's leftover; a start at that moment must wait for the claim, not take the name.
        const int lockFd = ::open(QFile::encodeName(m_pRuntime->path() + "/startup_probe.lock"),
                                  O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        QVERIFY(lockFd >= 0);
        auto closeLock = qScopeGuard([lockFd] { ::close(lockFd); });
        QCOMPARE(::flock(lockFd, LOCK_EX), 0);
        const int fd = bindName();
        QVERIFY(fd >= 0);
        auto closeName = qScopeGuard([fd] { ::close(fd); });

        QProcess *pLater = start(probePath(), QStringLiteral("quit"));
        QTest::qWait(1000);
        QCOMPARE(pLater->state(), QProcess::Running);
        QCOMPARE(::listen(fd, 8), 0);
        closeLock.dismiss();
        ::close(lockFd);
        QVERIFY(pLater->waitForFinished(30000));
        QCOMPARE(pLater->exitCode(), 1);
    }

    void staleSocketFromACrash()
    {
        // What a killed instance leaves: a socket file nobody listens on.
        const int fd = bindName();
        QVERIFY(fd >= 0);
        ::close(fd);
        QVERIFY(QFile::exists(m_pRuntime->path() + QStringLiteral("/startup_probe")));

        QProcess *pFirst = start(probePath(), QStringLiteral("stay"));
        QVERIFY(waitForLine(pFirst, "WAITING"));
        QProcess *pThird = start(probePath(), QStringLiteral("quit"));
        QVERIFY(pThird->waitForFinished(30000));
        QCOMPARE(pThird->exitCode(), 1);
        QVERIFY(waitForLine(pFirst, "RAISED"));
    }

    void renamedExecutableIsIndependent()
    {
        QTemporaryDir copyDir;
        const QString szCopy = copyDir.path() + QStringLiteral("/renamed_probe");
        QVERIFY(QFile::copy(probePath(), szCopy));
        QProcess *pFirst = start(probePath(), QStringLiteral("stay"));
        QVERIFY(waitForLine(pFirst, "WAITING"));
        QProcess *pRenamed = start(szCopy, QStringLiteral("quit"));
        QVERIFY(pRenamed->waitForFinished(30000));
        QCOMPARE(pRenamed->exitCode(), 0);
        QVERIFY(pRenamed->readAllStandardOutput().contains("SHOWN"));
        QVERIFY(pFirst->state() == QProcess::Running);
    }

private:
    // A socket bound to the probe's name, not listening; -1 on failure.
    int bindName() const
    {
        const QByteArray path = QFile::encodeName(m_pRuntime->path() + "/startup_probe");
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        qstrncpy(addr.sun_path, path.constData(), sizeof addr.sun_path);
        if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    static QString probePath()
    {
        return QCoreApplication::applicationDirPath() + QStringLiteral("/startup_probe");
    }

    QProcess *start(const QString &szProgram, const QString &szMode)
    {
        auto *pProcess = new QProcess;
        m_processes << pProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_pRuntime->path());
        pProcess->setProcessEnvironment(env);
        pProcess->start(szProgram, {QCoreApplication::applicationDirPath(), szMode});
        return pProcess;
    }

    static bool waitForLine(QProcess *pProcess, const QByteArray &line)
    {
        QByteArray seen;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000) {
            while (pProcess->canReadLine()) {
                seen = pProcess->readLine().trimmed();
                if (seen == line)
                    return true;
            }
            if (pProcess->state() == QProcess::NotRunning)
                return false;
            pProcess->waitForReadyRead(200);
        }
        return false;
    }

    QScopedPointer<QTemporaryDir> m_pRuntime;
    QList<QProcess *> m_processes;
};

QTEST_GUILESS_MAIN(TstCQAppSingle)
#include "tst_cqappsingle.moc"
