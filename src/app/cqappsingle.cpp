// Single-instance guard over a local socket named after the executable.
#include "cqappsingle.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <unistd.h>

CQAppSingle::CQAppSingle(int &argc, char **argv) : QApplication(argc, argv)
{
    mainWindow = nullptr;
    m_bRunning = false;
    m_pServer = nullptr;
    m_iTimeout = 500;
    m_szServerName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString szAddress = serverAddress(m_szServerName);

    {
        // The connection itself is the message; nothing is sent.
        QLocalSocket socket;
        socket.connectToServer(szAddress, QIODevice::ReadWrite);
        if (socket.waitForConnected(m_iTimeout)) {
            m_bRunning = true;
            return;
        }
    }

    m_pServer = new QLocalServer(this);
    connect(m_pServer, &QLocalServer::newConnection, this, &CQAppSingle::sltNewLocalConnection);
    if (!m_pServer->listen(szAddress) &&
        m_pServer->serverError() == QAbstractSocket::AddressInUseError) {
        // Nobody answered above, so the name is a leftover of a crashed instance.
        QLocalServer::removeServer(szAddress);
        m_pServer->listen(szAddress);
    }
}

CQAppSingle::~CQAppSingle()
{
    if (m_pServer) {
        m_pServer->close();
        if (!m_szServerName.isEmpty())
            QLocalServer::removeServer(serverAddress(m_szServerName));
    }
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
