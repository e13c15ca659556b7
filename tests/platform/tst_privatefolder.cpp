// SPDX-License-Identifier: GPL-3.0-or-later
// Folders of one user's own: what is taken as private, what is made, and what is turned down;
// the user at the other end of a local socket.
#include "privatefolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
mode_t modeOf(const QString &szPath)
{
    struct stat st;
    return ::lstat(QFile::encodeName(szPath).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool setMode(const QString &szPath, mode_t mode)
{
    return ::chmod(QFile::encodeName(szPath).constData(), mode) == 0;
}
} // namespace

class TestPrivateFolder : public QObject
{
    Q_OBJECT
private slots:
    // The folder name in the parent: made 0700 when missing, used when it is a private folder
    // of the user's, and turned down (left as it is) otherwise.
    void privateFolder_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("used");
        QTest::newRow("missing: made") << "missing" << true;
        QTest::newRow("missing, under a umask that takes every bit") << "umask" << true;
        QTest::newRow("ours, 0700") << "private" << true;
        QTest::newRow("ours, 0755") << "open" << false;
        QTest::newRow("ours, 0710") << "group may enter" << false;
        QTest::newRow("another user's") << "foreign" << false;
        QTest::newRow("a link to a private folder") << "link" << false;
        QTest::newRow("a file") << "file" << false;
        QTest::newRow("in a parent others may write in") << "open parent" << false;
        QTest::newRow("in a sticky parent others may write in, as /tmp") << "sticky" << true;
    }
    void privateFolder()
    {
        QFETCH(QString, kind);
        QFETCH(bool, used);
        QTemporaryDir dir;
        const QString parent = dir.path();
        const QString name = QStringLiteral("velmoraalbum-test");
        const QString folder = parent + QLatin1Char('/') + name;
        uint uid = ::getuid();
        mode_t before = 0;
        if (kind == QLatin1String("private") || kind == QLatin1String("foreign")) {
            QVERIFY(QDir().mkdir(folder) && setMode(folder, 0700));
            // Another user's, as its owner's id says: the caller names whose it must be.
            if (kind == QLatin1String("foreign"))
                ++uid;
        } else if (kind == QLatin1String("open") || kind == QLatin1String("group may enter")) {
            before = kind == QLatin1String("open") ? 0755 : 0710;
            QVERIFY(QDir().mkdir(folder) && setMode(folder, before));
        } else if (kind == QLatin1String("link")) {
            QVERIFY(QDir().mkdir(parent + QStringLiteral("/real")) &&
                    setMode(parent + QStringLiteral("/real"), 0700));
            QVERIFY(QFile::link(QStringLiteral("real"), folder));
        } else if (kind == QLatin1String("file")) {
            QVERIFY(QFile(folder).open(QIODevice::WriteOnly));
        } else if (kind == QLatin1String("open parent")) {
            QVERIFY(setMode(parent, 0777));
        } else if (kind == QLatin1String("sticky")) {
            QVERIFY(setMode(parent, 01777));
        }
        const mode_t oldMask = ::umask(kind == QLatin1String("umask") ? 0777 : 022);
        const QString got = platform::privateFolder(parent, name, uid);
        ::umask(oldMask);

        QCOMPARE(got, used ? folder : QString());
        if (used) {
            QCOMPARE(modeOf(folder), mode_t(0700));
            QVERIFY(platform::isOwnFolder(folder, uid, platform::FolderRule::Private));
        } else if (before) {
            QCOMPARE(modeOf(folder), before); // not taken over
        } else if (kind == QLatin1String("open parent")) {
            QVERIFY(!QFileInfo::exists(folder)); // nothing made where it could be replaced
        }
        QVERIFY(kind != QLatin1String("link") || QFileInfo(folder).isSymLink());
    }

    // The session's own folder (XDG_RUNTIME_DIR) may be a link and may be looked into, but no
    // one else may write in it.
    void ownFolderOthersCannotWrite_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("link");
        QTest::addColumn<bool>("foreign");
        QTest::addColumn<bool>("own");
        QTest::newRow("0700") << 0700 << false << false << true;
        QTest::newRow("0755") << 0755 << false << false << true;
        QTest::newRow("0775") << 0775 << false << false << false;
        QTest::newRow("0757") << 0757 << false << false << false;
        QTest::newRow("a link to 0700") << 0700 << true << false << true;
        QTest::newRow("another user's") << 0700 << false << true << false;
    }
    void ownFolderOthersCannotWrite()
    {
        QFETCH(int, mode);
        QFETCH(bool, link);
        QFETCH(bool, foreign);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("run"));
        QVERIFY(QDir().mkdir(folder) && setMode(folder, mode_t(mode)));
        QString named = folder;
        if (link) {
            named = dir.filePath(QStringLiteral("run-link"));
            QVERIFY(QFile::link(folder, named));
        }
        const uint uid = ::getuid() + (foreign ? 1 : 0);
        QTEST(platform::isOwnFolder(named, uid, platform::FolderRule::OthersCannotWrite), "own");
        QVERIFY(!platform::isOwnFolder(QString(), ::getuid(), platform::FolderRule::Private));
    }

    // The peer of a connected local socket is this user; what is no socket has none.
    void peerUid()
    {
        int pair[2];
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
        QCOMPARE(platform::peerUid(pair[0]), qint64(::getuid()));
        QCOMPARE(platform::peerUid(pair[1]), qint64(::getuid()));
        ::close(pair[0]);
        ::close(pair[1]);
        int pipeEnds[2];
        QCOMPARE(::pipe(pipeEnds), 0);
        QCOMPARE(platform::peerUid(pipeEnds[0]), qint64(-1));
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        QCOMPARE(platform::peerUid(-1), qint64(-1));
    }
};

QTEST_GUILESS_MAIN(TestPrivateFolder)
#include "tst_privatefolder.moc"
