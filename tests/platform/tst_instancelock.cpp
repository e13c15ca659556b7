// SPDX-License-Identifier: GPL-3.0-or-later
// The file lock one process holds at a time: taken, refused while another holds it (and told
// apart from a file that cannot be locked at all), and let go with its holder.
#include "instancelock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

class TestInstanceLock : public QObject
{
    Q_OBJECT
private slots:
    void heldBusyAndLetGo()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("session.pid"));
        {
            const platform::InstanceLock first(file, 0);
            QVERIFY(first.isHeld());
            QVERIFY(!first.isBusy());
            // Another open file is another holder, in this process too; one try, or a wait.
            const platform::InstanceLock second(file, 0);
            QVERIFY(!second.isHeld());
            QVERIFY(second.isBusy());
            QElapsedTimer clock;
            clock.start();
            const platform::InstanceLock patient(file, 150);
            QVERIFY(patient.isBusy());
            QVERIFY(clock.elapsed() >= 150);
            // Opening and closing the file meanwhile (to write into it) keeps the lock.
            QFile writer(file);
            QVERIFY(writer.open(QIODevice::WriteOnly | QIODevice::Truncate));
            writer.write("123");
            writer.close();
            QVERIFY(platform::InstanceLock(file, 0).isBusy());
        }
        QVERIFY(platform::InstanceLock(file, 0).isHeld());
        QVERIFY(QFile::exists(file)); // never removed

        // Not busy: nothing can be locked where the file cannot be.
        const platform::InstanceLock nowhere(dir.filePath(QStringLiteral("gone/session.pid")), 0);
        QVERIFY(!nowhere.isHeld());
        QVERIFY(!nowhere.isBusy());
    }
};

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instancelock.moc"
