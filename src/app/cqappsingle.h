// The application object, which is also the single-instance guard.
#pragma once

#include <QApplication>

class QLocalServer;

class CQAppSingle : public QApplication
{
    Q_OBJECT
public:
    CQAppSingle(int &argc, char **argv);
    ~CQAppSingle() override;

    // Another instance answered at construction; this one should only exit.
    bool isRunning() const { return m_bRunning; }
    QString serverName() const { return m_szServerName; }
    // Where the guard's socket lives: the server name inside a folder of the user's own, so that
    // two users on one machine never see each other's instance.
    static QString serverAddress(const QString &szServerName);

    QWidget *mainWindow = nullptr; // raised when another start knocks; not owned

private slots:
    void sltNewLocalConnection();

private:
    // Whether an instance listens at szAddress (waits up to the connect timeout).
    bool answers(const QString &szAddress) const;
    // Stops listening and removes the name, once.
    void releaseName();

    bool m_bRunning = false;
    QLocalServer *m_pServer = nullptr;
    QString m_szServerName;
    int m_iTimeout = 500; // ms to wait for a running instance to answer
};
