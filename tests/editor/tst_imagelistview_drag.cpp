// Reordering the strip by dragging, through the window system's real drag and drop: the tile
// lands where the drop bar shows, the row moves exactly once, and a drag that ends elsewhere
// changes nothing.
#include "stripfixture.h"

#include <QDrag>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>
#include <QtTest>

class TstImageListViewDrag : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pView = new ImageListView;
        strip::configure(*m_pView);
        strip::fill(*m_pView, 3);
        m_pView->setGeometry(100, 100, 600, 110);
        m_pView->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pView));
    }
    void cleanup() { delete m_pView; }

    void drop_data();
    void drop();

private:
    ImageListView *m_pView = nullptr;
};

// Where the drag is released: a point of the viewport, or (target -1) far outside the window.
struct Release
{
    int iTile;
    QPoint stFromTopLeft; // from that tile's top left; the gaps lie left and right of a tile
};
Q_DECLARE_METATYPE(Release)

void TstImageListViewDrag::drop_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<Release>("release");
    QTest::addColumn<QList<int>>("order"); // the rows, by their original index, afterwards
    QTest::addColumn<int>("newIndex");     // -1: no move reported
    QTest::addColumn<bool>("ctrl");        // Ctrl held, which asks for a copy
    QTest::newRow("first into the gap after the third")
        << 0 << Release{2, {124, 40}} << QList<int>{1, 2, 0} << 2 << false;
    QTest::newRow("first onto the third's right half")
        << 0 << Release{2, {100, 40}} << QList<int>{1, 2, 0} << 2 << false;
    QTest::newRow("third into the gap before the second")
        << 2 << Release{1, {-4, 40}} << QList<int>{0, 2, 1} << 1 << false;
    QTest::newRow("third onto the first's top left")
        << 2 << Release{0, {10, 10}} << QList<int>{2, 0, 1} << 0 << false;
    QTest::newRow("with Ctrl held it still moves, never copies")
        << 0 << Release{2, {124, 40}} << QList<int>{1, 2, 0} << 2 << true;
    QTest::newRow("second onto itself")
        << 1 << Release{1, {60, 40}} << QList<int>{0, 1, 2} << -1 << false;
    QTest::newRow("first released outside the strip")
        << 0 << Release{-1, {}} << QList<int>{0, 1, 2} << -1 << false;
}

void TstImageListViewDrag::drop()
{
    QFETCH(int, from);
    QFETCH(Release, release);
    QFETCH(QList<int>, order);
    QFETCH(int, newIndex);
    QFETCH(bool, ctrl);
    const Qt::KeyboardModifiers eMods = ctrl ? Qt::ControlModifier : Qt::NoModifier;
    const QStringList before = m_pView->filePaths();
    QSignalSpy movedSpy(m_pView, &ImageListView::sig_itemDraged);
    QSignalSpy insertedSpy(m_pView->imageModel(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removedSpy(m_pView->imageModel(), &QAbstractItemModel::rowsRemoved);
    int iMostRows = 0;
    connect(m_pView->imageModel(), &QAbstractItemModel::rowsInserted, this,
            [&] { iMostRows = qMax(iMostRows, m_pView->imageModel()->rowCount()); });

    QWindow *pWindow = m_pView->windowHandle();
    const auto toWindow = [&](const QPoint &stViewport) {
        return m_pView->viewport()->mapTo(m_pView, stViewport);
    };
    const QPoint stStart = strip::tile(*m_pView, from).topLeft() + QPoint(40, 30);
    const QPoint stTarget =
        release.iTile < 0
            ? pWindow->mapFromGlobal(QPoint(1200, 700))
            : toWindow(strip::tile(*m_pView, release.iTile).topLeft() + release.stFromTopLeft);

    // The drag runs its own event loop from the move that starts it; the rest of the gesture
    // is sent from inside that loop.
    bool bInDrag = false;
    bool bOverStrip = false;
    int iDragRow = -2;
    QSize stDragImage;
    QPoint stHotSpot;
    QTimer::singleShot(200, this, [&] {
        auto *pDrag = m_pView->findChild<QDrag *>();
        bInDrag = pDrag != nullptr;
        if (pDrag) {
            stDragImage = pDrag->pixmap().size();
            stHotSpot = pDrag->hotSpot();
        }
        iDragRow = m_pView->draggedRow();
        QTest::mouseEvent(QTest::MouseMove, pWindow, Qt::NoButton, eMods, (stStart + stTarget) / 2);
        QTest::mouseEvent(QTest::MouseMove, pWindow, Qt::NoButton, eMods, stTarget);
        QTest::mouseEvent(QTest::MouseMove, pWindow, Qt::NoButton, eMods, stTarget);
        bOverStrip = m_pView->isInternalDrag();
        QTest::mouseRelease(pWindow, Qt::LeftButton, eMods, stTarget);
    });
    QTest::mousePress(pWindow, Qt::LeftButton, Qt::NoModifier, toWindow(stStart));
    QTest::mouseMove(pWindow, toWindow(stStart + QPoint(3, 0)));
    QTest::mouseMove(pWindow, toWindow(stStart + QPoint(30, 0)));

    QVERIFY2(bInDrag, "the drag did not start, or its loop did not run");
    QCOMPARE(iDragRow, from);
    // Half the row's rectangle, which runs the strip's height: 120 x 92 here.
    QCOMPARE(stDragImage, QSize(60, 46));
    QCOMPARE(stHotSpot, QPoint(30, 23));
    QCOMPARE(bOverStrip, release.iTile >= 0);

    QStringList expected;
    for (int i : order)
        expected << before.at(i);
    QCOMPARE(m_pView->filePaths(), expected);
    if (newIndex < 0) {
        QCOMPARE(movedSpy.count(), 0);
        QCOMPARE(insertedSpy.count() + removedSpy.count(), 0);
    } else {
        QCOMPARE(movedSpy.count(), 1);
        QCOMPARE(movedSpy.at(0).at(0).toString(), before.at(from));
        QCOMPARE(movedSpy.at(0).at(1).toInt(), from);
        QCOMPARE(movedSpy.at(0).at(2).toInt(), newIndex);
        QCOMPARE(m_pView->currentIndex().row(), newIndex);
        // One removal and one insertion, never a copy beside the original.
        QCOMPARE(removedSpy.count(), 1);
        QCOMPARE(insertedSpy.count(), 1);
        QCOMPARE(iMostRows, 3);
    }
    QCOMPARE(m_pView->draggedRow(), -1);
    QCOMPARE(m_pView->dropTargetRow(), -1);
    QVERIFY(!m_pView->isInternalDrag());
}

QTEST_MAIN(TstImageListViewDrag)
#include "tst_imagelistview_drag.moc"
