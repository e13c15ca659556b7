// Drags through the window system's real drag and drop into the main window: files from
// outside import, and a tile dragged along the strip still moves once.
#include "albumdocument.h"
#include "editorfixture.h"

#include "addimagebutton.h"
#include "album.h"
#include "cqvideoplay.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"
#include "stripfixture.h"
#include "testmedia.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>

class TestZodoZadarDrag : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFixture m_fixture;

    Ui::ZodoZadarClass *form() const { return m_fixture.form(); }
    QWindow *window() const { return m_fixture.editor->window()->windowHandle(); }
    QPoint inWindow(QWidget *pWidget, const QPoint &stPos) const
    {
        return pWidget->mapTo(m_fixture.editor->window(), stPos);
    }
    // The rest of a drag runs inside QDrag's own loop: once pOwner's drag is there, move to
    // stTarget and release. Polled, since a slow (sanitized) press can outlast any fixed delay.
    void releaseAt(QObject *pOwner, const QPoint &stTarget)
    {
        auto *pTimer = new QTimer(this);
        connect(pTimer, &QTimer::timeout, this, [this, pTimer, pOwner, stTarget] {
            if (!pOwner->findChild<QDrag *>())
                return;
            pTimer->deleteLater();
            pTimer->stop();
            QTest::mouseEvent(QTest::MouseMove, window(), Qt::NoButton, {}, stTarget);
            QTest::mouseEvent(QTest::MouseMove, window(), Qt::NoButton, {}, stTarget);
            QTest::mouseRelease(window(), Qt::LeftButton, {}, stTarget);
        });
        pTimer->start(50);
    }
    void waitForImport(int iRows)
    {
        QTRY_VERIFY_WITH_TIMEOUT(
            m_fixture.album().materialOrder.size() == iRows &&
                !m_fixture.editor->decoder()->running &&
                !ShareCode::QtInversionWidget::instance()->findChild<ProgressDialog *>(),
            30000);
    }

private slots:
    void initTestCase() { m_fixture.createManagers(); }
    void init()
    {
        m_fixture.createEditor();
        QVERIFY(QTest::qWaitForWindowExposed(m_fixture.editor->window()));
    }
    void cleanup() { m_fixture.destroyEditor(); }

    void filesFromOutsideThenReorder()
    {
        QStringList paths;
        for (const char *name : {"a.jpg", "b.jpg", "c.JPG"}) {
            paths << m_dir.filePath(QString::fromLatin1(name));
            QVERIFY(testmedia::writeJpeg(paths.last(), 320, 240));
        }
        // A file manager's drag: file URLs, copy or move offered.
        auto *pMime = new QMimeData;
        pMime->setUrls({QUrl::fromLocalFile(paths[0]), QUrl::fromLocalFile(paths[1]),
                        QUrl::fromLocalFile(paths[2])});
        auto *pDrag = new QDrag(form()->divPlayer);
        pDrag->setMimeData(pMime);
        QTest::mouseMove(window(), inWindow(form()->divPlayer, QPoint(20, 20)));
        releaseAt(form()->divPlayer,
                  inWindow(form()->btnAddImage, form()->btnAddImage->rect().center()));
        QCOMPARE(pDrag->exec(Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
        waitForImport(3);
        Album &job = m_fixture.album();
        QCOMPARE(job.materialOrder, (QList<QString>{paths[0], paths[1], paths[2]}));

        // The strip's own drag in the window that now takes drops: the first tile goes after
        // the third, once.
        ImageListView *pStrip = form()->imageSourceList;
        QTRY_VERIFY(strip::tile(*pStrip, 2).isValid());
        const QPoint stStart = strip::tile(*pStrip, 0).topLeft() + QPoint(40, 30);
        releaseAt(pStrip, inWindow(pStrip->viewport(),
                                   strip::tile(*pStrip, 2).topLeft() + QPoint(124, 40)));
        QTest::mousePress(window(), Qt::LeftButton, {}, inWindow(pStrip->viewport(), stStart));
        QTest::mouseMove(window(), inWindow(pStrip->viewport(), stStart + QPoint(3, 0)));
        QTest::mouseMove(window(), inWindow(pStrip->viewport(), stStart + QPoint(30, 0)));
        QTRY_COMPARE(job.materialOrder, (QList<QString>{paths[1], paths[2], paths[0]}));
        QCOMPARE(pStrip->filePaths(), (QStringList{paths[1], paths[2], paths[0]}));
    }
};

QTEST_MAIN(TestZodoZadarDrag)
#include "tst_zodozadar_drag.moc"
