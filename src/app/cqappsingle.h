// SPDX-License-Identifier: GPL-3.0-or-later
// The application object, which is also the single-instance guard.
#pragma once

#include <QApplication>
#include <QStringList>

#include <memory>

class QLocalServer;
class QLocalSocket;

class CQAppSingle : public QApplication
{
    Q_OBJECT
public:
    CQAppSingle(int &argc, char **argv);
    ~CQAppSingle() override;

    // Another instance answered at construction; this one should only exit.
    bool isRunning() const { return m_bRunning; }
    // In a second instance: gives the running one these files (absolute paths) and ends the
    // knock; with none, the knock ends bare, which only wakes the running window. Call it once,
    // soon: the running window is woken when the knock ends. False when the files could not be
    // delivered.
    bool handOver(const QStringList &files);
    QString serverName() const { return m_szServerName; }
    // Where the guard's socket lives: the server name inside a folder of the user's own, so that
    // two users on one machine never see each other's instance: XDG_RUNTIME_DIR, else a private
    // folder in the temporary folder. Empty when neither is safe to use; the instance then runs
    // without the guard.
    static QString serverAddress(const QString &szServerName);

    QWidget *mainWindow = nullptr; // raised when another start knocks; not owned

signals:
    // Another start handed these files over (absolute paths); the window was raised first.
    void filesHandedOver(const QStringList &files);

private slots:
    void sltNewLocalConnection();

private:
    // Whether an instance listens at szAddress (waits up to the connect timeout). The connection
    // is kept as the knock, for handOver().
    bool answers(const QString &szAddress);
    // A knock ended: wake the window, then pass on the files it brought.
    void knocked(const QStringList &files);
    // Stops listening and removes the name, once.
    void releaseName();

    bool m_bRunning = false;
    QLocalServer *m_pServer = nullptr;
    QString m_szServerName;
    QString m_szAddress;  // the socket's path; empty: no guard
    int m_iTimeout = 500; // ms to wait for a running instance to answer
    // Second instance: the connection to the running one, until handOver() or destruction.
    std::unique_ptr<QLocalSocket> m_pKnock;
};
