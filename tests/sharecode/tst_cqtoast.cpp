// Toast timing, fading and placement.
#include "cqtoast.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QtTest>

using namespace ShareCode;

namespace {
// Records the toast's alpha when it is hidden (the moment it closes).
class CloseWatcher : public QObject
{
public:
    int iAlphaAtClose = -1;
    qint64 iClosedAfterMs = -1;
    QElapsedTimer clock;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && iAlphaAtClose < 0) {
            iAlphaAtClose = static_cast<CQToast *>(watched)->alpha();
            iClosedAfterMs = clock.elapsed();
        }
        return false;
    }
};
} // namespace

class TstCQToast : public QObject
{
    Q_OBJECT
private slots:
    void lifetime_data()
    {
        QTest::addColumn<int>("durationMs");
        QTest::addColumn<bool>("fade");
        QTest::addColumn<int>("expectedMs");
        QTest::addColumn<int>("alphaAtClose");
        QTest::newRow("fading 2000 ms") << 2000 << true << 2000 << 0;
        QTest::newRow("negative duration means 1000 ms") << -1 << false << 1000 << 255;
        QTest::newRow("short fading") << 300 << true << 300 << 0;
    }
    void lifetime()
    {
        QFETCH(int, durationMs);
        QFETCH(bool, fade);
        QFETCH(int, expectedMs);
        QFETCH(int, alphaAtClose);
        QWidget parent;
        parent.setGeometry(100, 100, 902, 580);
        parent.show();
        QPointer<CQToast> toast = new CQToast(&parent);
        CloseWatcher watcher;
        toast->installEventFilter(&watcher);
        watcher.clock.start();
        toast->showMessage(QStringLiteral("Invalid file name!"), durationMs, fade);
        QCOMPARE(toast->alpha(), 255);
        QCOMPARE(toast->timer()->interval(), expectedMs);
        QVERIFY(toast->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(toast.isNull(), expectedMs + 5000);
        QCOMPARE(watcher.iAlphaAtClose, alphaAtClose);
        QVERIFY2(watcher.iClosedAfterMs >= expectedMs - 20,
                 qPrintable(QString::number(watcher.iClosedAfterMs)));
    }

    void fadeProgresses()
    {
        QWidget parent;
        parent.show();
        auto *pToast = new CQToast(&parent);
        QElapsedTimer clock;
        clock.start();
        pToast->showMessage(QStringLiteral("Please enter a file name"), 2000, true);
        QTest::qWait(1000);
        const int iAlpha = pToast->alpha();
        const qint64 iElapsedMs = clock.elapsed();
        // Bounds from the time really passed: a loaded machine runs timers late, never early.
        QVERIFY2(iAlpha < 255, qPrintable(QString::number(iAlpha)));
        if (iElapsedMs < 1800)
            QVERIFY2(iAlpha > 0, qPrintable(QString::number(iAlpha)));
        QVERIFY2(iAlpha >= 255 * (1.0 - iElapsedMs / 2000.0) - 30,
                 qPrintable(QStringLiteral("%1 after %2 ms").arg(iAlpha).arg(iElapsedMs)));
    }

    void placement_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("wider");
        QTest::newRow("short text keeps 256") << QStringLiteral("Saved") << false;
        QTest::newRow("long text widens")
            << QStringLiteral("Failed to add watermark, because of the abnormal picture") << true;
    }
    void placement()
    {
        QFETCH(QString, text);
        QFETCH(bool, wider);
        QWidget parent;
        parent.setGeometry(160, 120, 902, 580);
        parent.show();
        auto *pToast = new CQToast(&parent);
        pToast->showMessage(text, 5000, false);
        QCOMPARE(pToast->height(), 46);
        if (wider) {
            QVERIFY(pToast->width() > 256);
            auto *pLabel = pToast->findChild<QLabel *>("labelText");
            QVERIFY(pLabel->width() >= QFontMetrics(pLabel->font()).horizontalAdvance(text));
        } else {
            QCOMPARE(pToast->width(), 256);
        }
        // The parent's own position (the test platform may add a frame around it).
        QCOMPARE(pToast->pos(), QPoint(parent.x() + (902 - pToast->width()) / 2, parent.y() + 58));
        pToast->close();
    }

    void placementOverChildWidget()
    {
        QWidget window;
        window.setGeometry(50, 60, 1000, 700);
        auto *pChild = new QWidget(&window);
        pChild->setGeometry(100, 40, 600, 400);
        window.show();
        auto *pToast = new CQToast(pChild);
        pToast->setText(QStringLiteral("abc"));
        const QPoint stOrigin = pChild->mapToGlobal(QPoint(0, 0));
        QCOMPARE(pToast->pos(), QPoint(stOrigin.x() + (600 - 256) / 2, stOrigin.y() + 58));
        QVERIFY(!pToast->timer()->isActive()); // setText starts nothing
        delete pToast;
    }

    void alphaAppliesToIconAndSheets()
    {
        CQToast toast;
        QPixmap icon(8, 8);
        icon.fill(QColor(255, 0, 0));
        toast.setIcon(icon);
        toast.setAlpha(102);
        auto *pIcon = toast.findChild<QLabel *>("labelIcon");
        QCOMPARE(pIcon->pixmap(Qt::ReturnByValue).toImage().pixelColor(4, 4).alpha(), 102);
        QVERIFY(toast.findChild<QWidget *>("toastWidget")
                    ->styleSheet()
                    .contains(QStringLiteral("rgba(255, 239, 239, 102)")));
        QCOMPARE(toast.findChild<QWidget *>("labelText")->styleSheet(),
                 QStringLiteral("color: rgba(238, 71, 71,102);"));
    }
};

QTEST_MAIN(TstCQToast)
#include "tst_cqtoast.moc"
