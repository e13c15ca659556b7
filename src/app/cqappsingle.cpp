// Single-instance guard over a local socket named after the executable.
#include "cqappsingle.h"

#include "instancelock.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <unistd.h>

namespace {
// Longest wait for another start's claim of the name: its two probes at most, with room to spare.
constexpr int kClaimWaitMs = 3000;

QString lockPath(const QString &szAddress)
{
    return szAddress + QStringLiteral(".lock");
}
} // namespace

CQAppSingle::CQAppSingle(int &argc, char **argv) : QApplication(argc, argv)
{
    mainWindow = nullptr;
    m_bRunning = false;
    m_pServer = nullptr;
    m_iTimeout = 500;
    m_szServerName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString szAddress = serverAddress(m_szServerName);

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
    if (!m_pServer->listen(szAddress) &&
        m_pServer->serverError() == QAbstractSocket::AddressInUseError) {
        // Taken since the probe (possible only when the lock could not be had), or left by a
        // crashed instance. Only the leftover may go.
        if (answers(szAddress)) {
            delete m_pServer;
            m_pServer = nullptr;
            m_bRunning = true;
            return;
        }
        QLocalServer::removeServer(szAddress);
        m_pServer->listen(szAddress);
    }
    // Gone with the event loop, not only with this object: a start while the window is being torn
    // down would otherwise wake an instance that no longer shows anything, and exit.
    connect(this, &QCoreApplication::aboutToQuit, this, &CQAppSingle::releaseName);
}

CQAppSingle::~CQAppSingle()
{
    releaseName();
}

void CQAppSingle::releaseName()
{
    if (!m_pServer)
        return;
    // Under the lock: a start claiming the name right now must not lose its new socket to this
    // removal (closing removes the socket file too).
    const QString szAddress = serverAddress(m_szServerName);
    const platform::InstanceLock claim(lockPath(szAddress), kClaimWaitMs);
    // A server that never got to listen does not own whatever has the name now.
    const bool bOwned = m_pServer->isListening();
    m_pServer->close();
    if (bOwned && !m_szServerName.isEmpty())
        QLocalServer::removeServer(szAddress);
    delete m_pServer;
    m_pServer = nullptr;
}

bool CQAppSingle::answers(const QString &szAddress) const
{
    // The connection itself is the message; nothing is sent.
    QLocalSocket socket;
    socket.connectToServer(szAddress, QIODevice::ReadWrite);
    return socket.waitForConnected(m_iTimeout);
}

QString CQAppSingle::serverAddress(const QString &szServerName)
{
    const QString szRuntime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QFileInfo runtimeInfo(szRuntime);
    if (!szRuntime.isEmpty() && runtimeInfo.isDir() && runtimeInfo.isWritable())
        return szRuntime + QLatin1Char('/') + szServerName;
    return QDir::tempPath() + QLatin1Char('/') + szServerName + QLatin1Char('-') +
           QString::number(::getuid());
}

void CQAppSingle::sltNewLocalConnection()
{
    QLocalSocket *pSocket = m_pServer ? m_pServer->nextPendingConnection() : nullptr;
    if (!pSocket)
        return;
    pSocket->close();
    delete pSocket;
    if (mainWindow) {
        mainWindow->setWindowState((mainWindow->windowState() & ~Qt::WindowMinimized) |
                                   Qt::WindowActive);
        mainWindow->show();
        mainWindow->raise();
        mainWindow->activateWindow();
    }
}
