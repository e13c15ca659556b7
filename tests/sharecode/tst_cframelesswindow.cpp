// Frameless main window: resize zones, clamping, maximise and restore, title-bar drag, power.
#include "accessiblenames.h"
#include "cframelesswindow.h"
#include "qtinversionwidget.h"

#include "powerevents.h"

#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

using namespace ShareCode;

namespace {
class FakePower : public platform::PowerEventSource
{
public:
    using PowerEventSource::PowerEventSource;
    void suspend() { emit suspending(); }
    void resume() { emit resumed(); }
};

class StateChangeCounter : public QObject
{
public:
    int iChanges = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::WindowStateChange)
            ++iChanges;
        return false;
    }
};

void sendMouse(QWidget *pTarget, QEvent::Type type, const QPoint &stGlobal,
               Qt::MouseButtons buttons = Qt::LeftButton)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pTarget->mapFromGlobal(stGlobal), stGlobal, button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : buttons, Qt::NoModifier);
    QApplication::sendEvent(pTarget, &event);
}
} // namespace

class TstCFramelessWindow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pPower = new FakePower;
        m_pFrame = new CFramelessWindow(nullptr, m_pPower);
        m_pFrame->setGeometry(200, 150, 1000, 700);
        m_pFrame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pFrame));
        m_pFrame->setGeometry(200, 150, 1000, 700);
        QTRY_COMPARE(m_pFrame->geometry(), QRect(200, 150, 1000, 700));
    }
    void cleanup()
    {
        delete m_pFrame;
        delete m_pPower;
    }

    void formAndSizes()
    {
        QCOMPARE(CFramelessWindow::instance(), m_pFrame);
        QCOMPARE(m_pFrame->minimumSize(), QSize(902, 580));
        QVERIFY(m_pFrame->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(m_pFrame->findChild<QWidget *>("uiTitleBar")->height(), 42);
        QCOMPARE(m_pFrame->findChild<QWidget *>("uiBottom")->height(), 37);
        for (const char *name : {"btnAppMenu", "btnMini", "btnMax", "btnClose"})
            QCOMPARE(m_pFrame->findChild<QWidget *>(name)->size(), QSize(30, 30));
        QCOMPARE(m_pFrame->findChild<QWidget *>("uiFrame")->property("qstyle").toString(),
                 QStringLiteral("normal"));
        QVERIFY(m_pFrame->findChild<QWidget *>("btnUpDate")->isHidden());
        // The caption buttons show pictures only.
        QCOMPARE(accessible::unnamedControls(m_pFrame), QStringList());
        QCOMPARE(m_pFrame->dialogAnchor()->geometry(), m_pFrame->geometry());
    }

    void hoverZones_data()
    {
        QTest::addColumn<QPoint>(
            "offset"); // from the window's top-left; negative: from the far edge
        QTest::addColumn<int>("edges");
        QTest::addColumn<int>("cursor");
        const int TL = Qt::TopEdge | Qt::LeftEdge, TR = Qt::TopEdge | Qt::RightEdge;
        const int BL = Qt::BottomEdge | Qt::LeftEdge, BR = Qt::BottomEdge | Qt::RightEdge;
        QTest::newRow("top-left 5 px inside") << QPoint(5, 5) << TL << int(Qt::SizeFDiagCursor);
        QTest::newRow("top-right") << QPoint(-3, 4) << TR << int(Qt::SizeBDiagCursor);
        QTest::newRow("bottom-left") << QPoint(2, -2) << BL << int(Qt::SizeBDiagCursor);
        QTest::newRow("bottom-right") << QPoint(-9, -9) << BR << int(Qt::SizeFDiagCursor);
        QTest::newRow("top") << QPoint(500, 10) << int(Qt::TopEdge) << int(Qt::SizeVerCursor);
        QTest::newRow("left") << QPoint(0, 300) << int(Qt::LeftEdge) << int(Qt::SizeHorCursor);
        QTest::newRow("right") << QPoint(-1, 300) << int(Qt::RightEdge) << int(Qt::SizeHorCursor);
        QTest::newRow("bottom") << QPoint(500, -5) << int(Qt::BottomEdge) << int(Qt::SizeVerCursor);
        QTest::newRow("inside the band's edge") << QPoint(11, 11) << 0 << int(Qt::ArrowCursor);
        QTest::newRow("middle") << QPoint(500, 300) << 0 << int(Qt::ArrowCursor);
    }
    void hoverZones()
    {
        QFETCH(QPoint, offset);
        QFETCH(int, edges);
        QFETCH(int, cursor);
        const QRect g = m_pFrame->geometry();
        // g.x() + g.width() is the right edge position itself; it still counts as inside.
        const QPoint stGlobal(
            offset.x() >= 0 ? g.x() + offset.x() : g.x() + g.width() + offset.x() + 1,
            offset.y() >= 0 ? g.y() + offset.y() : g.y() + g.height() + offset.y() + 1);
        QCOMPARE(int(m_pFrame->hitTest(stGlobal)), edges);
        sendMouse(m_pFrame, QEvent::MouseMove, stGlobal, Qt::NoButton);
        QCOMPARE(int(m_pFrame->cursor().shape()), cursor);
    }

    void edgeResize_data()
    {
        QTest::addColumn<QPoint>("pressOffset");
        QTest::addColumn<QPoint>("travel");
        QTest::addColumn<QRect>("expected");
        // Start: 200,150 1000 x 700 (right edge 1200, bottom edge 850); minimum 902 x 580.
        QTest::newRow("top down past the minimum keeps the bottom")
            << QPoint(500, 3) << QPoint(0, 400) << QRect(200, 270, 1000, 580);
        QTest::newRow("top up grows")
            << QPoint(500, 3) << QPoint(0, -50) << QRect(200, 103, 1000, 747);
        QTest::newRow("left right past the minimum keeps the right")
            << QPoint(3, 300) << QPoint(300, 0) << QRect(298, 150, 902, 700);
        QTest::newRow("right left past the minimum clamps")
            << QPoint(998, 300) << QPoint(-300, 0) << QRect(200, 150, 902, 700);
        QTest::newRow("bottom down grows")
            << QPoint(500, 698) << QPoint(0, 40) << QRect(200, 150, 1000, 738);
        QTest::newRow("top-left corner both clamp")
            << QPoint(5, 5) << QPoint(200, 200) << QRect(298, 270, 902, 580);
        QTest::newRow("bottom-right corner grows")
            << QPoint(996, 696) << QPoint(20, 30) << QRect(200, 150, 1016, 726);
    }
    void edgeResize()
    {
        QFETCH(QPoint, pressOffset);
        QFETCH(QPoint, travel);
        QFETCH(QRect, expected);
        const QPoint stPress = m_pFrame->geometry().topLeft() + pressOffset;
        sendMouse(m_pFrame, QEvent::MouseButtonPress, stPress);
        QVERIFY(m_pFrame->isResizing());
        sendMouse(m_pFrame, QEvent::MouseMove, stPress + travel / 2);
        sendMouse(m_pFrame, QEvent::MouseMove, stPress + travel);
        sendMouse(m_pFrame, QEvent::MouseButtonRelease, stPress + travel);
        QVERIFY(!m_pFrame->isResizing());
        QCOMPARE(m_pFrame->cursor().shape(), Qt::ArrowCursor);
        QTRY_COMPARE(m_pFrame->geometry(), expected);
    }

    void maximiseAndRestore()
    {
        auto *pMax = m_pFrame->findChild<QPushButton *>("btnMax");
        auto *pUiFrame = m_pFrame->findChild<QWidget *>("uiFrame");
        const QRect avail = m_pFrame->screen()->availableGeometry();
        m_pFrame->move(230, 170);
        QTRY_COMPARE(m_pFrame->pos(), QPoint(230, 170));
        pMax->click();
        QVERIFY(m_pFrame->isMaximized());
        QTRY_COMPARE(m_pFrame->geometry(), avail);
        QCOMPARE(pMax->property("qstyle").toString(), QStringLiteral("restore"));
        QCOMPARE(pMax->accessibleName(), QStringLiteral("Restore"));
        QCOMPARE(pUiFrame->property("qstyle").toString(), QStringLiteral("max"));
        QCOMPARE(pUiFrame->layout()->contentsMargins(), QMargins(0, 0, 0, 0));
        QCOMPARE(m_pFrame->normalGeometryRect(), QRect(230, 170, 1000, 700));
        QCOMPARE(m_pFrame->dialogAnchor()->size(), avail.size());

        // No edge resizing while maximised.
        sendMouse(m_pFrame, QEvent::MouseButtonPress, avail.topLeft() + QPoint(3, 3));
        QVERIFY(!m_pFrame->isResizing());
        sendMouse(m_pFrame, QEvent::MouseButtonRelease, avail.topLeft() + QPoint(3, 3));

        pMax->click();
        QVERIFY(!m_pFrame->isMaximized());
        QTRY_COMPARE(m_pFrame->size(), QSize(1000, 700));
        QCOMPARE(pMax->property("qstyle").toString(), QStringLiteral("max"));
        QCOMPARE(pMax->accessibleName(), QStringLiteral("Maximize"));
        QCOMPARE(pUiFrame->property("qstyle").toString(), QStringLiteral("normal"));
        QCOMPARE(pUiFrame->layout()->contentsMargins(), QMargins(1, 1, 1, 1));
    }

    void titleBarDragRestoresUnderTheMouse()
    {
        auto *pTitle = m_pFrame->findChild<QWidget *>("uiTitleBar");
        m_pFrame->findChild<QPushButton *>("btnMax")->click();
        const QRect avail = m_pFrame->screen()->availableGeometry();
        QTRY_COMPARE(m_pFrame->geometry(), avail);
        const QPoint stPress = avail.topLeft() + QPoint(700, 20);
        sendMouse(pTitle, QEvent::MouseButtonPress, stPress);
        sendMouse(pTitle, QEvent::MouseMove, stPress + QPoint(40, 10));
        QVERIFY(!m_pFrame->isMaximized());
        QTRY_COMPARE(m_pFrame->geometry(), QRect(740 - 500, avail.top(), 1000, 700));
        // Dragging on moves the restored window with the mouse.
        sendMouse(pTitle, QEvent::MouseMove, stPress + QPoint(60, 110));
        sendMouse(pTitle, QEvent::MouseButtonRelease, stPress + QPoint(60, 110));
        QTRY_COMPARE(m_pFrame->geometry(), QRect(260, avail.top() + 100, 1000, 700));
    }

    void titleBarDoubleClickToggles()
    {
        auto *pTitle = m_pFrame->findChild<QWidget *>("uiTitleBar");
        QTest::mouseDClick(pTitle, Qt::LeftButton, Qt::NoModifier, QPoint(400, 20));
        QVERIFY(m_pFrame->isMaximized());
        QTest::mouseDClick(pTitle, Qt::LeftButton, Qt::NoModifier, QPoint(400, 20));
        QVERIFY(!m_pFrame->isMaximized());
        m_pFrame->setWindowState(Qt::WindowMinimized);
        m_pFrame->on_uiTitleBar_doubleClicked();
        QCOMPARE(m_pFrame->windowState(), Qt::WindowMinimized);
    }

    void closeButtonOnlySignals()
    {
        QSignalSpy closes(m_pFrame, &CFramelessWindow::signal_close);
        m_pFrame->findChild<QPushButton *>("btnClose")->click();
        QCOMPARE(closes.count(), 1);
        QVERIFY(m_pFrame->isVisible());
    }

    void suspendAndResume()
    {
        QSignalSpy screenOut(m_pFrame, &CFramelessWindow::signal_screenOut);
        m_pPower->suspend();
        QCOMPARE(screenOut.count(), 1);
        QVERIFY(m_pFrame->isMinimized());
        m_pPower->resume();
        QVERIFY(!m_pFrame->isMinimized());
        QCOMPARE(m_pFrame->windowState(), Qt::WindowNoState);

        m_pFrame->findChild<QPushButton *>("btnMax")->click();
        m_pPower->suspend();
        m_pPower->resume();
        QVERIFY(m_pFrame->isMaximized());
        QVERIFY(!m_pFrame->isMinimized());
        QTRY_COMPARE(m_pFrame->geometry(), m_pFrame->screen()->availableGeometry());
    }

    void screenChangeReappliesState_data()
    {
        QTest::addColumn<bool>("maximised");
        QTest::newRow("normal") << false;
        QTest::newRow("maximised") << true;
    }
    void screenChangeReappliesState()
    {
        QFETCH(bool, maximised);
        if (maximised)
            m_pFrame->findChild<QPushButton *>("btnMax")->click();
        StateChangeCounter counter;
        m_pFrame->installEventFilter(&counter);
        // An invalid rectangle always counts, whichever screen reports it.
        emit m_pFrame->screen()->geometryChanged(QRect());
        QCOMPARE(counter.iChanges, 0); // queued, then delayed
        QTRY_VERIFY(counter.iChanges >= 2);
        QCOMPARE(m_pFrame->isMaximized(), maximised);
        if (maximised)
            QTRY_COMPARE(m_pFrame->geometry(), m_pFrame->screen()->availableGeometry());
        else
            QTRY_COMPARE(m_pFrame->size(), QSize(1000, 700));
        m_pFrame->removeEventFilter(&counter);
    }

    void captionButtonsShowAPointingHand()
    {
        auto *pMini = m_pFrame->findChild<QPushButton *>("btnMini");
        const QPoint stCentre = pMini->mapToGlobal(pMini->rect().center());
        sendMouse(pMini, QEvent::MouseMove, stCentre, Qt::NoButton);
        QCOMPARE(pMini->cursor().shape(), Qt::PointingHandCursor);
        sendMouse(pMini, QEvent::MouseButtonRelease, stCentre);
        QCOMPARE(pMini->cursor().shape(), Qt::ArrowCursor);
    }

    void anchorFollowsTheWindow()
    {
        m_pFrame->setGeometry(321, 123, 950, 620);
        QTRY_COMPARE(m_pFrame->geometry(), QRect(321, 123, 950, 620));
        QCOMPARE(m_pFrame->dialogAnchor()->geometry(), QRect(321, 123, 950, 620));
    }

private:
    FakePower *m_pPower = nullptr;
    CFramelessWindow *m_pFrame = nullptr;
};

QTEST_MAIN(TstCFramelessWindow)
#include "tst_cframelesswindow.moc"
