// SPDX-License-Identifier: GPL-3.0-or-later
// Single-instance guard over a local socket named after the executable.
#include "cqappsingle.h"

#include "handover.h"
#include "instancelock.h"
#include "privatefolder.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {
// Longest wait for another start's claim of the name: its two probes at most, with room to spare.
constexpr int kClaimWaitMs = 3000;
// Longest a knock may take from connecting to its end. A second start sends its files at once;
// one that connects and says nothing must not keep anything waiting for longer.
constexpr int kKnockWaitMs = 5000;
// What the socket reads ahead of us: bounds what a flooding client makes this process hold.
constexpr qint64 kReadAheadBytes = 64 * 1024;

QString lockPath(const QString &szAddress)
{
    return szAddress + QStringLiteral(".lock");
}

// Another instance is a process of this user's: a listener or a client of anyone else's is a
// stranger, who must neither receive the files of a start nor hand files to the window.
bool isOurs(const QLocalSocket &socket)
{
    return platform::peerUid(socket.socketDescriptor()) == qint64(::getuid());
}

// One knock on the running instance, read without blocking: the connection itself wakes the
// window; a hand-over message on it names files. It ends once, at the message's end, when the
// other side hangs up, or when the wait runs out; a damaged message or a stranger's bytes end it
// with no files. Lives as the socket's child and takes the socket with it.
class KnockReader : public QObject
{
public:
    KnockReader(QLocalSocket *pSocket, std::function<void(const QStringList &)> fnEnded)
        : QObject(pSocket), m_pSocket(pSocket), m_fnEnded(std::move(fnEnded))
    {
        pSocket->setReadBufferSize(kReadAheadBytes);
        connect(pSocket, &QLocalSocket::readyRead, this, &KnockReader::readMore);
        connect(pSocket, &QLocalSocket::disconnected, this, &KnockReader::hungUp);
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, [this] { end(QStringList()); });
        m_timer.start(kKnockWaitMs);
        // Bytes, or the hang-up, may have come before these connections existed.
        readMore();
        if (m_pSocket && m_pSocket->state() == QLocalSocket::UnconnectedState)
            hungUp();
    }

private:
    // Returns whether the knock has ended.
    bool take()
    {
        // Never past the longest message and one byte more, which is enough to refuse it.
        const qint64 iRoom =
            HandOver::kHeaderBytes + HandOver::kMaxPayloadBytes + 1 - m_received.size();
        m_received += m_pSocket->read(std::max<qint64>(iRoom, 0));
        QStringList files;
        switch (HandOver::decode(m_received, &files)) {
        case HandOver::Status::Complete:
            end(files);
            return true;
        case HandOver::Status::Invalid:
            end(QStringList());
            return true;
        case HandOver::Status::Incomplete:
            break;
        }
        return false;
    }

    void readMore()
    {
        if (m_pSocket)
            take();
    }

    void hungUp()
    {
        // What came before the hang-up counts; a half message does not.
        if (m_pSocket && !take())
            end(QStringList());
    }

    void end(const QStringList &files)
    {
        if (!m_pSocket)
            return;
        m_timer.stop();
        QLocalSocket *pSocket = m_pSocket;
        m_pSocket = nullptr;
        pSocket->disconnect(this);
        pSocket->abort();
        pSocket->deleteLater();
        // A copy: what it starts may run an event loop in which this reader goes with its socket.
        const auto fnEnded = m_fnEnded;
        fnEnded(files);
    }

    QLocalSocket *m_pSocket;
    std::function<void(const QStringList &)> m_fnEnded;
    QByteArray m_received;
    QTimer m_timer;
};
} // namespace

CQAppSingle::CQAppSingle(int &argc, char **argv) : QApplication(argc, argv)
{
    mainWindow = nullptr;
    m_bRunning = false;
    m_pServer = nullptr;
    m_iTimeout = 500;
    m_szServerName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString szAddress = serverAddress(m_szServerName);
    m_szAddress = szAddress;
    if (szAddress.isEmpty()) {
        std::fprintf(stderr,
                     "VMAlbum: no folder of this user's own for the single-instance socket in "
                     "\"%s\"; running without the guard\n",
                     qUtf8Printable(QDir::tempPath()));
        return;
    }

    // Probe and claim are one step among starts: two at the same moment would otherwise both find
    // nobody, and the later one would take the other's fresh name (bound, not yet listening) for
    // a crashed instance's leftover and replace it.
    const platform::InstanceLock claim(lockPath(szAddress), kClaimWaitMs);
    if (answers(szAddress)) {
        m_bRunning = true;
        return;
    }

    m_pServer = new QLocalServer(this);
    connect(m_pServer, &QLocalServer::newConnection, this, &CQAppSingle::sltNewLocalConnection);
    // Only this user may connect. Qt makes such a socket aside and renames it over the name,
    // which replaces whatever has the name: under the claim that is a crashed instance's leftover
    // or a stranger's listener, never a running instance of ours.
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    m_pServer->listen(szAddress);
    // Gone with the event loop, not only with this object: a start while the window is being torn
    // down would otherwise wake an instance that no longer shows anything, and exit.
    connect(this, &QCoreApplication::aboutToQuit, this, &CQAppSingle::releaseName);
}

CQAppSingle::~CQAppSingle()
{
    // A knock never handed over ends here, bare.
    m_pKnock.reset();
    releaseName();
}

bool CQAppSingle::handOver(const QStringList &files)
{
    const std::unique_ptr<QLocalSocket> pKnock = std::move(m_pKnock);
    if (!pKnock)
        return false;
    bool bSent = true;
    if (!files.isEmpty()) {
        const QByteArray message = HandOver::encode(files);
        bSent = !message.isEmpty() && pKnock->write(message) == message.size();
        while (bSent && pKnock->bytesToWrite() > 0)
            bSent = pKnock->waitForBytesWritten(kKnockWaitMs);
    }
    pKnock->disconnectFromServer();
    return bSent;
}

void CQAppSingle::releaseName()
{
    if (!m_pServer)
        return;
    // Under the lock: a start claiming the name right now must not lose its new socket to this
    // removal (closing removes the socket file too).
    const QString szAddress = m_szAddress;
    const platform::InstanceLock claim(lockPath(szAddress), kClaimWaitMs);
    // A server that never got to listen does not own whatever has the name now.
    const bool bOwned = m_pServer->isListening();
    m_pServer->close();
    if (bOwned && !m_szServerName.isEmpty())
        QLocalServer::removeServer(szAddress);
    delete m_pServer;
    m_pServer = nullptr;
}

bool CQAppSingle::answers(const QString &szAddress)
{
    // The connection itself is the knock; handOver() may add files to it.
    auto pSocket = std::make_unique<QLocalSocket>();
    pSocket->connectToServer(szAddress, QIODevice::ReadWrite);
    if (!pSocket->waitForConnected(m_iTimeout) || !isOurs(*pSocket))
        return false;
    m_pKnock = std::move(pSocket);
    return true;
}

QString CQAppSingle::serverAddress(const QString &szServerName)
{
    const uint uid = ::getuid();
    const QString szRuntime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (platform::isOwnFolder(szRuntime, uid, platform::FolderRule::OthersCannotWrite) &&
        QFileInfo(szRuntime).isWritable())
        return szRuntime + QLatin1Char('/') + szServerName;
    // The shared temporary folder: only inside a folder no one else can enter, where no one else
    // can listen in our place or hold our lock.
    const QString szFolder =
        platform::privateFolder(QDir::tempPath(), QStringLiteral("velmoraalbum-%1").arg(uid), uid);
    return szFolder.isEmpty() ? QString() : szFolder + QLatin1Char('/') + szServerName;
}

void CQAppSingle::sltNewLocalConnection()
{
    QLocalSocket *pSocket = m_pServer ? m_pServer->nextPendingConnection() : nullptr;
    if (!pSocket)
        return;
    if (!isOurs(*pSocket)) {
        pSocket->abort();
        pSocket->deleteLater();
        return;
    }
    new KnockReader(pSocket, [this](const QStringList &files) { knocked(files); });
}

void CQAppSingle::knocked(const QStringList &files)
{
    if (mainWindow) {
        mainWindow->setWindowState((mainWindow->windowState() & ~Qt::WindowMinimized) |
                                   Qt::WindowActive);
        mainWindow->show();
        mainWindow->raise();
        mainWindow->activateWindow();
    }
    if (!files.isEmpty())
        emit filesHandedOver(files);
}
