// The material strip: deleting with its question, the hover cursor, the keyboard, what screen
// readers see, and how the tiles are painted.
#include "cqdlgtipsimple.h"
#include "stripfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {
// Answers the delete question when it shows; records what it asked.
struct QuestionAnswerer
{
    explicit QuestionAnswerer(const QString &szAnswer) : szButton(szAnswer) {}

    QString szButton; // "btnOK", "btnCancel", or empty to expect no question
    bool bAsked = false;
    QString szTitle;
    QString szMessage;
    QString szOkText;

    void arm()
    {
        QTimer::singleShot(0, [this] { answer(); });
    }
    void answer()
    {
        auto *pDialog =
            qobject_cast<ShareCode::CQDlgTipSimple *>(QApplication::activeModalWidget());
        if (!pDialog) {
            // The question may not be up yet on this pass; it is gone once the test moves on.
            QTimer::singleShot(5, [this] { answer(); });
            return;
        }
        bAsked = true;
        szTitle = pDialog->windowTitle();
        szMessage = pDialog->findChild<QLabel *>(QStringLiteral("uiTip"))->text();
        szOkText = pDialog->findChild<QPushButton *>(QStringLiteral("btnOK"))->text();
        pDialog->findChild<QPushButton *>(szButton)->click();
    }
};
} // namespace

class TstImageListView : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pView = new ImageListView;
        strip::configure(*m_pView);
        strip::fill(*m_pView, 3);
        m_pView->resize(600, 110);
        m_pView->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pView));
    }
    void cleanup() { delete m_pView; }

    void deleteIcon_data();
    void deleteIcon();
    void hoverCursorFollowsTheIcon();
    void deleteKeyAsksTheSameQuestion();
    void rowsNameTheirFile();
    void paintsTiles_data();
    void paintsTiles();

private:
    ImageListView *m_pView = nullptr;
};

void TstImageListView::deleteIcon_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QPoint>("offset"); // from the icon's centre
    QTest::addColumn<bool>("deleted");
    QTest::newRow("cancel keeps the row") << true << "btnCancel" << QPoint() << false;
    QTest::newRow("close button keeps the row") << true << "btnClose" << QPoint() << false;
    QTest::newRow("yes removes it") << true << "btnOK" << QPoint() << true;
    QTest::newRow("unconfirmed removes at once") << false << QString() << QPoint() << true;
    QTest::newRow("icon's corner pixel") << false << QString() << QPoint(7, 7) << true;
    QTest::newRow("one pixel left of the icon") << true << QString() << QPoint(-9, 0) << false;
    QTest::newRow("one pixel above the icon") << true << QString() << QPoint(0, -9) << false;
    QTest::newRow("tile centre") << true << QString() << QPoint(-40, -20) << false;
}

void TstImageListView::deleteIcon()
{
    QFETCH(bool, confirm);
    QFETCH(QString, answer);
    QFETCH(QPoint, offset);
    QFETCH(bool, deleted);
    m_pView->setConfirmDelete(confirm);
    QSignalSpy deletedSpy(m_pView, &ImageListView::sig_itemDeleted);
    QuestionAnswerer answerer(answer);
    if (!answer.isEmpty())
        answerer.arm();

    const QString szMiddle = m_pView->filePath(1);
    const QPoint stPos = strip::deleteIconCentre(*m_pView, 1) + offset;
    QTest::mouseMove(m_pView->viewport(), stPos);
    QTest::mouseClick(m_pView->viewport(), Qt::LeftButton, Qt::NoModifier, stPos);

    QCOMPARE(answerer.bAsked, !answer.isEmpty());
    if (answerer.bAsked) {
        QCOMPARE(answerer.szTitle, QStringLiteral("Tips"));
        QCOMPARE(answerer.szMessage, QStringLiteral("Do you want to delete this material?"));
        QCOMPARE(answerer.szOkText, QStringLiteral("Yes"));
    }
    if (deleted) {
        QCOMPARE(deletedSpy.count(), 1);
        QCOMPARE(deletedSpy.at(0).at(0).toString(), szMiddle);
        QCOMPARE(deletedSpy.at(0).at(1).toInt(), 1);
        QCOMPARE(m_pView->filePaths(), QStringList({QStringLiteral("/photos/album 0/pic0.jpg"),
                                                    QStringLiteral("/photos/album 2/pic2.jpg")}));
    } else {
        QCOMPARE(deletedSpy.count(), 0);
        QCOMPARE(m_pView->imageModel()->rowCount(), 3);
    }
}

void TstImageListView::hoverCursorFollowsTheIcon()
{
    QTest::mouseMove(m_pView->viewport(), strip::deleteIconCentre(*m_pView, 0));
    QTRY_VERIFY(m_pView->isDeleteHover());
    QCOMPARE(m_pView->viewport()->cursor().shape(), Qt::PointingHandCursor);
    // The hovered tile is shaded: its red thumbnail turns dark red.
    const QPoint stInside = strip::tile(*m_pView, 0).topLeft() + QPoint(20, 20);
    QTRY_VERIFY(QColor(m_pView->viewport()->grab().toImage().pixel(stInside)).red() < 200);
    QCOMPARE(QColor(m_pView->viewport()->grab().toImage().pixel(strip::tile(*m_pView, 1).topLeft() +
                                                                QPoint(60, 20))),
             QColor(Qt::green));

    QTest::mouseMove(m_pView->viewport(), strip::tile(*m_pView, 0).center());
    QTRY_VERIFY(!m_pView->isDeleteHover());
    QCOMPARE(m_pView->viewport()->cursor().shape(), Qt::ArrowCursor);

    // Deleting the first tile slides the second under the still cursor: its icon is now there,
    // which the hover check after the repaint picks up without a mouse move.
    m_pView->setConfirmDelete(false);
    const QPoint stIcon = strip::deleteIconCentre(*m_pView, 0);
    QTest::mouseMove(m_pView->viewport(), stIcon);
    QTest::mouseClick(m_pView->viewport(), Qt::LeftButton, Qt::NoModifier, stIcon);
    QCOMPARE(m_pView->imageModel()->rowCount(), 2);
    QTRY_VERIFY(m_pView->isDeleteHover());
    QTRY_COMPARE(m_pView->viewport()->cursor().shape(), Qt::PointingHandCursor);
}

void TstImageListView::deleteKeyAsksTheSameQuestion()
{
    QSignalSpy deletedSpy(m_pView, &ImageListView::sig_itemDeleted);
    m_pView->setCurrentIndex(m_pView->imageModel()->index(2, 0));
    QuestionAnswerer cancel(QStringLiteral("btnCancel"));
    cancel.arm();
    QTest::keyClick(m_pView, Qt::Key_Delete);
    QVERIFY(cancel.bAsked);
    QCOMPARE(deletedSpy.count(), 0);

    QuestionAnswerer yes(QStringLiteral("btnOK"));
    yes.arm();
    QTest::keyClick(m_pView, Qt::Key_Delete);
    QVERIFY(yes.bAsked);
    QCOMPARE(deletedSpy.count(), 1);
    QCOMPARE(deletedSpy.at(0).at(1).toInt(), 2);
    QCOMPARE(m_pView->imageModel()->rowCount(), 2);
}

void TstImageListView::rowsNameTheirFile()
{
    QAccessibleInterface *pList = QAccessible::queryAccessibleInterface(m_pView);
    QVERIFY(pList);
    QCOMPARE(pList->text(QAccessible::Name), QStringLiteral("Picture list"));
    QStringList names;
    for (int i = 0; i < pList->childCount(); ++i) {
        QAccessibleInterface *pChild = pList->child(i);
        if (pChild->role() == QAccessible::ListItem)
            names << pChild->text(QAccessible::Name);
    }
    QCOMPARE(names, QStringList({QStringLiteral("pic0.jpg"), QStringLiteral("pic1.jpg"),
                                 QStringLiteral("pic2.jpg")}));
    // The path stays the display text, which the editor reads back.
    QCOMPARE(m_pView->imageModel()->index(1, 0).data().toString(),
             QStringLiteral("/photos/album 1/pic1.jpg"));
}

void TstImageListView::paintsTiles_data()
{
    QTest::addColumn<bool>("frame");
    QTest::newRow("selection frame shown") << true;
    QTest::newRow("selection frame off, as the editor has it") << false;
}

void TstImageListView::paintsTiles()
{
    QFETCH(bool, frame);
    m_pView->setShowSelectionFrame(frame);
    m_pView->setCurrentIndex(m_pView->imageModel()->index(1, 0));
    QTest::mouseMove(m_pView->viewport(), QPoint(590, 5)); // hover no tile
    const QImage image = m_pView->viewport()->grab().toImage();
    const QRect stTile = strip::tile(*m_pView, 1);
    QCOMPARE(stTile.size(), QSize(120, 80));

    // Row 1 holds a 53 x 80 green thumbnail: centred, unscaled, grey tile on either side.
    const int iLeft = stTile.left() + (120 - 53) / 2;
    QCOMPARE(QColor(image.pixel(iLeft + 26, stTile.top() + 40)), QColor(Qt::green));
    QCOMPARE(QColor(image.pixel(iLeft - 1, stTile.top() + 40)), QColor(0xD9, 0xD9, 0xD9));
    QCOMPARE(QColor(image.pixel(iLeft + 53, stTile.top() + 40)), QColor(0xD9, 0xD9, 0xD9));
    // The frame, 6 pixels wide on the tile's rounded outline, shows its inner half.
    QCOMPARE(QColor(image.pixel(stTile.left() + 1, stTile.top() + 40)),
             frame ? QColor(0x5C, 0x46, 0xF4) : QColor(0xD9, 0xD9, 0xD9));
    // The delete icon sits 6 pixels in from the bottom right corner.
    const QRect stIcon = ImageListItemDelegate::deleteIconRect(stTile);
    QCOMPARE(stIcon, QRect(stTile.right() - 21, stTile.bottom() - 21, 16, 16));
    QVERIFY(QColor(image.pixel(stIcon.center())) != QColor(0xD9, 0xD9, 0xD9));
    // The fade at the right edge.
    const int iRight = m_pView->viewport()->width() - 1;
    QVERIFY(QColor(image.pixel(iRight, 50)).red() < 0xF0);
}

QTEST_MAIN(TstImageListView)
#include "tst_imagelistview.moc"
