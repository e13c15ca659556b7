// Single-instance guard with real processes: a second start wakes the first and exits with 1,
// handing over the files it was given; starts at the same moment leave exactly one running;
// strangers on the socket hold nothing up; another user's listener or client is no instance;
// without a runtime folder the socket goes into a private folder, or nowhere.
#include "handover.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

class TstCQAppSingle : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pRuntime.reset(new QTemporaryDir);
        QVERIFY(m_pRuntime->isValid());
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_pRuntime->path());
        // The album and the places it remembers stay out of the user's own.
        m_env.insert(QStringLiteral("XDG_STATE_HOME"),
                     m_pRuntime->path() + QStringLiteral("/state"));
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"),
                     m_pRuntime->path() + QStringLiteral("/config"));
    }
    void cleanup()
    {
        for (const pid_t pid : qAsConst(m_children)) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        m_children.clear();
        for (QProcess *pProcess : qAsConst(m_processes)) {
            if (pProcess->state() != QProcess::NotRunning) {
                pProcess->kill();
                pProcess->waitForFinished(5000);
            }
        }
        qDeleteAll(m_processes);
        m_processes.clear();
        m_errors.clear();
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

    void secondStartHandsItsFilesOver()
    {
        QProcess *pFirst = start(probePath(), QStringLiteral("take"));
        QVERIFY(waitForLine(pFirst, "EDITOR yes"));
        // Given as a terminal or a file manager gives them, from a folder of the second start's
        // own; none is a file the editor takes, so each is also reported on the first's stderr.
        QTemporaryDir work;
        const QString szWork = QDir(work.path()).canonicalPath();
        const QStringList arguments{QStringLiteral("with space.txt"),
                                    QStringLiteral("%1 100%.txt"),
                                    QStringLiteral("照片 фото.txt"),
                                    QStringLiteral("two\nlines.txt"),
                                    QStringLiteral("./sub/../rel.txt"),
                                    QStringLiteral("--lang"),
                                    QStringLiteral("en"),
                                    QStringLiteral("file:///tmp/uri%20name%25.txt"),
                                    QStringLiteral("--"),
                                    QStringLiteral("-dash.txt")};
        const QStringList expected{
            szWork + QStringLiteral("/with space.txt"), szWork + QStringLiteral("/%1 100%.txt"),
            szWork + QStringLiteral("/照片 фото.txt"),  szWork + QStringLiteral("/two\nlines.txt"),
            szWork + QStringLiteral("/sub/../rel.txt"), QStringLiteral("/tmp/uri name%.txt"),
            szWork + QStringLiteral("/-dash.txt")};
        QProcess *pSecond = start(probePath(), QStringLiteral("quit"), arguments, szWork);
        QVERIFY(pSecond->waitForFinished(30000));
        QCOMPARE(pSecond->exitCode(), 1);
        QVERIFY(!pSecond->readAllStandardOutput().contains("SHOWN"));
        QVERIFY(!pSecond->readAllStandardError().contains("VMAlbum:"));

        QVERIFY(waitForLine(pFirst, "GIVEN 7 refused"));
        QCOMPARE(givenFiles(pFirst, 7), expected);
        for (const QString &szFile : expected)
            QVERIFY(waitForError(
                pFirst, QStringLiteral("VMAlbum: \"%1\" not opened: no such file\n").arg(szFile)));

        // A bare start after it only knocks, as before.
        QProcess *pBare = start(probePath(), QStringLiteral("quit"));
        QVERIFY(pBare->waitForFinished(30000));
        QCOMPARE(pBare->exitCode(), 1);
        QVERIFY(!waitForLine(pFirst, "GIVEN", 2000));
        QCOMPARE(pFirst->state(), QProcess::Running);
    }

    void strangersOnTheSocketHoldNothingUp()
    {
        QProcess *pFirst = start(probePath(), QStringLiteral("take"));
        QVERIFY(waitForLine(pFirst, "EDITOR yes"));
        const QString szAddress = m_pRuntime->path() + QStringLiteral("/startup_probe");

        // Another protocol is turned away at once, long before a silent client would be.
        QLocalSocket garbage;
        garbage.connectToServer(szAddress);
        QVERIFY(garbage.waitForConnected(5000));
        garbage.write("GET / HTTP/1.0\r\n\r\n");
        QVERIFY(garbage.waitForDisconnected(2500));
        // A header that claims more than a message may hold, likewise.
        QLocalSocket huge;
        huge.connectToServer(szAddress);
        QVERIFY(huge.waitForConnected(5000));
        huge.write(QByteArray("VMAF\x01\x7f\xff\xff\xff", 9));
        QVERIFY(huge.waitForDisconnected(2500));

        // One that says nothing and one that stops halfway through a message stay connected...
        QLocalSocket silent;
        silent.connectToServer(szAddress);
        QVERIFY(silent.waitForConnected(5000));
        QLocalSocket halfway;
        halfway.connectToServer(szAddress);
        QVERIFY(halfway.waitForConnected(5000));
        const QByteArray whole = HandOver::encode({QStringLiteral("/tmp/never.txt")});
        halfway.write(whole.left(whole.size() - 3));
        QVERIFY(halfway.waitForBytesWritten(5000));

        // ...while a real second start is served,
        QProcess *pSecond =
            start(probePath(), QStringLiteral("quit"), {QStringLiteral("/tmp/after.txt")});
        QVERIFY(pSecond->waitForFinished(30000));
        QCOMPARE(pSecond->exitCode(), 1);
        QVERIFY(waitForLine(pFirst, "GIVEN 1 refused"));
        QCOMPARE(givenFiles(pFirst, 1), QStringList{QStringLiteral("/tmp/after.txt")});
        QVERIFY(!silent.waitForDisconnected(10));
        QVERIFY(!halfway.waitForDisconnected(10));
        // ...and they are let go in the end, with nothing opened for the half message.
        QVERIFY(silent.waitForDisconnected(15000));
        QVERIFY(halfway.waitForDisconnected(15000));
        QVERIFY(!waitForLine(pFirst, "GIVEN", 1000));
        QCOMPARE(pFirst->state(), QProcess::Running);
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

    // Without a runtime folder the socket and its lock go into a folder of the user's own in
    // the temporary folder, which no one else may enter; the guard works there as anywhere.
    void fallbackFolderIsPrivate()
    {
        const QString tmp = m_pRuntime->path() + QStringLiteral("/tmp");
        QVERIFY(QDir().mkpath(tmp));
        m_env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        m_env.insert(QStringLiteral("TMPDIR"), tmp);
        QProcess *pFirst = start(probePath(), QStringLiteral("stay"));
        QVERIFY(waitForLine(pFirst, "WAITING"));
        const QString folder = tmp + QStringLiteral("/velmoraalbum-%1").arg(::getuid());
        QCOMPARE(modeOf(folder), mode_t(S_IFDIR | 0700));
        // Only its user may connect, even were the folder opened.
        QCOMPARE(modeOf(folder + QStringLiteral("/startup_probe")), mode_t(S_IFSOCK | 0700));
        QVERIFY(QFile::exists(folder + QStringLiteral("/startup_probe.lock")));
        QProcess *pSecond = start(probePath(), QStringLiteral("quit"));
        QVERIFY(pSecond->waitForFinished(30000));
        QCOMPARE(pSecond->exitCode(), 1);
        QVERIFY(waitForLine(pFirst, "RAISED"));
    }

    // A folder of that name that is not private (opened to others, a link, another user's) is
    // not used: the program runs without the guard rather than trust it, and puts nothing in it.
    void unsafeFallbackFolderIsNotUsed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("open to others") << "open";
        QTest::newRow("a link to a private folder") << "link";
        QTest::newRow("another user's") << "foreign";
    }
    void unsafeFallbackFolderIsNotUsed()
    {
        QFETCH(QString, kind);
        const QString tmp = m_pRuntime->path() + QStringLiteral("/tmp");
        const QString folder = tmp + QStringLiteral("/velmoraalbum-%1").arg(::getuid());
        QVERIFY(QDir().mkpath(tmp));
        if (kind == QLatin1String("link")) {
            QVERIFY(QDir().mkpath(tmp + QStringLiteral("/elsewhere")));
            QVERIFY(::chmod(QFile::encodeName(tmp + "/elsewhere").constData(), 0700) == 0);
            QVERIFY(QFile::link(QStringLiteral("elsewhere"), folder));
        } else {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        }
        if (kind == QLatin1String("foreign")) {
            uid_t stranger = 0;
            if (!strangerUid(&stranger))
                QSKIP("another user's folder needs root to make");
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0700) == 0);
            QVERIFY(::chown(QFile::encodeName(folder).constData(), stranger, gid_t(-1)) == 0);
        }
        m_env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        m_env.insert(QStringLiteral("TMPDIR"), tmp);

        QProcess *pFirst = start(probePath(), QStringLiteral("hold"));
        QVERIFY(waitForLine(pFirst, "EDITOR yes"));
        QProcess *pSecond = start(probePath(), QStringLiteral("quit"));
        QVERIFY(pSecond->waitForFinished(30000));
        QCOMPARE(pSecond->exitCode(), 0);
        QVERIFY(pSecond->readAllStandardOutput().contains("SHOWN"));
        QVERIFY(pSecond->readAllStandardError().contains("running without the guard"));
        const QString inside = kind == QLatin1String("link") ? tmp + "/elsewhere" : folder;
        QVERIFY(QDir(inside)
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                    .isEmpty());
    }

    // A listener of another user's at the name is no instance of ours: a start is not handed
    // to it (it hears not a byte) and runs as the first.
    void strangersListenerGetsNothing()
    {
        uid_t stranger = 0;
        if (!strangerUid(&stranger))
            QSKIP("acting as another user needs root");
        int report[2];
        QCOMPARE(::pipe2(report, O_CLOEXEC), 0);
        const int fd = bindName();
        QVERIFY(fd >= 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            // The child of a threaded process: system calls only. SO_PEERCRED gives the
            // listener's user as it was at listen().
            if (::setuid(stranger) != 0 || ::listen(fd, 8) != 0)
                ::_exit(1);
            const char ready = 'L';
            if (::write(report[1], &ready, 1) != 1)
                ::_exit(1);
            for (;;) {
                const int connection = ::accept(fd, nullptr, nullptr);
                if (connection < 0)
                    continue;
                char buffer[4096];
                ssize_t n = 0;
                size_t total = 0;
                while ((n = ::read(connection, buffer, sizeof buffer)) > 0)
                    total += size_t(n);
                ::close(connection);
                const unsigned char heard = total > 255 ? 255 : (unsigned char)total;
                if (::write(report[1], &heard, 1) != 1)
                    ::_exit(1);
            }
        }
        m_children << pid;
        ::close(fd);
        ::close(report[1]);
        auto closeReport = qScopeGuard([&] { ::close(report[0]); });
        QCOMPARE(readReport(report[0], 5000), QByteArray("L"));

        QProcess *pStart =
            start(probePath(), QStringLiteral("quit"), {QStringLiteral("/tmp/private.txt")});
        QVERIFY(pStart->waitForFinished(30000));
        QCOMPARE(pStart->exitCode(), 0);
        QVERIFY(pStart->readAllStandardOutput().contains("SHOWN"));
        const QByteArray heard = readReport(report[0], 500);
        QVERIFY2(heard.count('\0') == heard.size(), heard.toHex().constData());
    }

    // A client of another user's (should one reach the socket) wakes nothing and hands nothing
    // over; the running instance serves its own user's starts as before.
    void strangersKnockIsTurnedAway()
    {
        uid_t stranger = 0;
        if (!strangerUid(&stranger))
            QSKIP("acting as another user needs root");
        QProcess *pFirst = start(probePath(), QStringLiteral("take"));
        QVERIFY(waitForLine(pFirst, "EDITOR yes"));
        const QString szAddress = m_pRuntime->path() + QStringLiteral("/startup_probe");
        QVERIFY(::chmod(QFile::encodeName(m_pRuntime->path()).constData(), 0711) == 0);
        QVERIFY(::chmod(QFile::encodeName(szAddress).constData(), 0777) == 0);
        const QByteArray message = HandOver::encode({QStringLiteral("/tmp/planted.txt")});
        const QByteArray path = QFile::encodeName(szAddress);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        qstrncpy(addr.sun_path, path.constData(), sizeof addr.sun_path);
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (::setuid(stranger) != 0 || fd < 0 ||
                ::connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0)
                ::_exit(2);
            // Turned away at once, the write may find the connection closed: no matter.
            ::send(fd, message.constData(), size_t(message.size()), MSG_NOSIGNAL);
            char c;
            while (::read(fd, &c, 1) > 0) {
            }
            ::_exit(0);
        }
        m_children << pid;
        int status = -1;
        QElapsedTimer clock;
        clock.start();
        while (::waitpid(pid, &status, WNOHANG) == 0 && clock.elapsed() < 10000)
            QTest::qWait(20);
        m_children.removeOne(pid);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0); // it did connect
        QVERIFY(!waitForLine(pFirst, "GIVEN", 2000));
        QCOMPARE(pFirst->state(), QProcess::Running);

        QProcess *pSecond =
            start(probePath(), QStringLiteral("quit"), {QStringLiteral("/tmp/ours.txt")});
        QVERIFY(pSecond->waitForFinished(30000));
        QCOMPARE(pSecond->exitCode(), 1);
        QVERIFY(waitForLine(pFirst, "GIVEN 1 refused"));
        QCOMPARE(givenFiles(pFirst, 1), QStringList{QStringLiteral("/tmp/ours.txt")});
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

    static mode_t modeOf(const QString &szPath)
    {
        struct stat st;
        return ::lstat(QFile::encodeName(szPath).constData(), &st) == 0 ? st.st_mode : 0;
    }

    // The id of the user "nobody", when this test may act as another user (it runs as root).
    static bool strangerUid(uid_t *pUid)
    {
        const passwd *pEntry = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
        if (!pEntry || pEntry->pw_uid == 0)
            return false;
        *pUid = pEntry->pw_uid;
        return true;
    }

    // What arrives on fd within iTimeoutMs of quiet.
    static QByteArray readReport(int fd, int iTimeoutMs)
    {
        QByteArray bytes;
        pollfd p{fd, POLLIN, 0};
        while (::poll(&p, 1, iTimeoutMs) > 0) {
            char buffer[256];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            bytes.append(buffer, int(n));
        }
        return bytes;
    }

    static QString probePath()
    {
        return QCoreApplication::applicationDirPath() + QStringLiteral("/startup_probe");
    }

    QProcess *start(const QString &szProgram, const QString &szMode,
                    const QStringList &arguments = QStringList(),
                    const QString &szWorkingDir = QString())
    {
        auto *pProcess = new QProcess;
        m_processes << pProcess;
        pProcess->setProcessEnvironment(m_env);
        if (!szWorkingDir.isEmpty())
            pProcess->setWorkingDirectory(szWorkingDir);
        pProcess->start(szProgram,
                        QStringList{QCoreApplication::applicationDirPath(), szMode} + arguments);
        return pProcess;
    }

    // The files of the probe's next iCount FILE lines, as it was given them.
    static QStringList givenFiles(QProcess *pProcess, int iCount)
    {
        QStringList files;
        QElapsedTimer clock;
        clock.start();
        while (files.size() < iCount && clock.elapsed() < 10000) {
            if (!pProcess->canReadLine() && !pProcess->waitForReadyRead(200))
                continue;
            const QByteArray line = pProcess->readLine().trimmed();
            if (line.startsWith("FILE "))
                files << QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(5)));
        }
        return files;
    }

    // Whether the process's standard error holds szText, or comes to within 10 s.
    bool waitForError(QProcess *pProcess, const QString &szText)
    {
        QByteArray &errors = m_errors[pProcess];
        QElapsedTimer clock;
        clock.start();
        while (true) {
            errors += pProcess->readAllStandardError();
            if (QString::fromUtf8(errors).contains(szText))
                return true;
            if (clock.elapsed() > 10000)
                break;
            pProcess->waitForReadyRead(100);
        }
        qWarning("standard error: %s", errors.constData());
        return false;
    }

    // Whether the process prints a line that begins with `line` within iTimeoutMs.
    static bool waitForLine(QProcess *pProcess, const QByteArray &line, int iTimeoutMs = 30000)
    {
        QByteArray seen;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < iTimeoutMs) {
            while (pProcess->canReadLine()) {
                seen = pProcess->readLine().trimmed();
                if (seen == line || (seen.startsWith(line) && seen.at(line.size()) == ' '))
                    return true;
            }
            if (pProcess->state() == QProcess::NotRunning)
                return false;
            pProcess->waitForReadyRead(200);
        }
        return false;
    }

    QScopedPointer<QTemporaryDir> m_pRuntime;
    QProcessEnvironment m_env; // of the next start
    QList<QProcess *> m_processes;
    QList<pid_t> m_children;                // forked here; killed at the end
    QHash<QProcess *, QByteArray> m_errors; // standard error read so far
};

QTEST_GUILESS_MAIN(TstCQAppSingle)
#include "tst_cqappsingle.moc"
