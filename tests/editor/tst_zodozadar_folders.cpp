// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures by the folder and the strip's orders: the menu's entries, a folder chosen or given
// on the command line coming in the order taken, sorting as one undo step, and the picture
// panel's date and camera.
#include "albumdocument.h"
#include "editorfixture.h"

#include "imagelistview.h"
#include "picturepanel.h"
#include "qtinversionwidget.h"
#include "testexif.h"

#include <QBuffer>
#include <QMenu>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

class TestZodoZadarFolders : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFixture m_fixture;

    ZodoZadar *editor() const { return m_fixture.editor; }
    QStringList names() const
    {
        QStringList out;
        for (const QString &szPath : m_fixture.album().materialOrder)
            out << QFileInfo(szPath).fileName();
        return out;
    }
    QStringList stripNames() const
    {
        QStringList out;
        for (const QString &szPath : editor()->rowPaths())
            out << QFileInfo(szPath).fileName();
        return out;
    }
    QMenu *sortMenu() const { return editor()->findChild<QMenu *>(QStringLiteral("menuSort")); }
    QAction *sortAction(const QString &szText) const
    {
        for (QAction *pAction : sortMenu()->actions()) {
            if (pAction->text() == szText)
                return pAction;
        }
        return nullptr;
    }
    // A JPEG taken on `date` (EXIF, UTC), named so that name order differs from date order.
    static void writeTaken(const QString &szPath, const QByteArray &date, int iHue)
    {
        QDir().mkpath(QFileInfo(szPath).absolutePath());
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        testmedia::pattern(160, 120, QColor::fromHsv(iHue, 200, 200)).save(&buffer, "JPEG");
        QVERIFY(testmedia::writeBytes(
            szPath, testexif::inJpeg(jpeg, testexif::tiff({"Velmo", "V1", date, "+00:00"}, true))));
    }
    // c (2021), a (2023), sub/b (2022); a hidden folder's picture is left out.
    QString makeFolder(const QString &szName)
    {
        const QString root = m_dir.filePath(szName);
        writeTaken(root + QStringLiteral("/a.jpg"), "2023:01:01 10:00:00", 0);
        writeTaken(root + QStringLiteral("/c.jpg"), "2021:01:01 10:00:00", 120);
        writeTaken(root + QStringLiteral("/sub/b.jpg"), "2022:01:01 10:00:00", 240);
        writeTaken(root + QStringLiteral("/.cache/z.jpg"), "2020:01:01 10:00:00", 60);
        return root;
    }
    bool waitIdle() const
    {
        return QTest::qWaitFor([this] { return editor()->workflow().idle(); }, 20000);
    }

private slots:
    void initTestCase() { m_fixture.createManagers(); }
    void init() { m_fixture.createEditor(); }
    void cleanup()
    {
        FileChooser::setOpenFolderOverride({});
        m_fixture.destroyEditor();
    }

    void menuEntries()
    {
        QVERIFY(m_fixture.action(QStringLiteral("Add folder…")));
        QVERIFY(sortMenu());
        QVERIFY(sortAction(QStringLiteral("By date taken")));
        QVERIFY(sortAction(QStringLiteral("By name")));
        QVERIFY(sortAction(QStringLiteral("Reverse")));
        // Nothing to sort in an empty album.
        auto *pMenu = editor()->findChild<QMenu *>(QStringLiteral("menuAlbum"));
        QVERIFY(pMenu);
        QMetaObject::invokeMethod(pMenu, "aboutToShow");
        QVERIFY(!sortMenu()->isEnabled());
        QVERIFY(m_fixture.action(QStringLiteral("Add folder…"))->isEnabled());
    }

    // Chosen from the menu: the folder's pictures in the order taken, as one undo step, with
    // their dates and camera kept in the album.
    void addFolderFromMenu()
    {
        const QString root = makeFolder(QStringLiteral("menu"));
        int iAsked = 0;
        FileChooser::setOpenFolderOverride([&](const QString &, const QString &) {
            ++iAsked;
            return root;
        });
        const int steps = editor()->undoStack()->count();
        m_fixture.action(QStringLiteral("Add folder…"))->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_fixture.album().materialOrder.size(), 3, 20000);
        QVERIFY(waitIdle());
        QCOMPARE(iAsked, 1);
        QCOMPARE(names(), QStringList({"c.jpg", "b.jpg", "a.jpg"}));
        QCOMPARE(stripNames(), names());
        const PictureFacts facts = m_fixture.album().materials.value(root + "/a.jpg").facts;
        QVERIFY(facts.takenByCamera);
        QCOMPARE(facts.taken, QDateTime(QDate(2023, 1, 1), QTime(10, 0), Qt::OffsetFromUTC, 0));
        QCOMPARE(facts.camera(), QStringLiteral("Velmo V1"));
        QCOMPARE(editor()->undoStack()->count(), steps + 1);

        // Sorting: one step each, undone as one, the strip following.
        QMetaObject::invokeMethod(editor()->findChild<QMenu *>(QStringLiteral("menuAlbum")),
                                  "aboutToShow");
        QVERIFY(sortMenu()->isEnabled());
        sortAction(QStringLiteral("By name"))->trigger();
        QCOMPARE(names(), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
        QCOMPARE(stripNames(), names());
        sortAction(QStringLiteral("Reverse"))->trigger();
        QCOMPARE(names(), QStringList({"c.jpg", "b.jpg", "a.jpg"}));
        QCOMPARE(editor()->undoStack()->count(), steps + 3);
        editor()->undo();
        QCOMPARE(names(), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
        QCOMPARE(stripNames(), names());
        sortAction(QStringLiteral("By date taken"))->trigger();
        QCOMPARE(names(), QStringList({"c.jpg", "b.jpg", "a.jpg"}));

        // A second folder is appended, its own pictures in their order after the album's.
        const QString more = m_dir.filePath(QStringLiteral("more"));
        writeTaken(more + QStringLiteral("/y.jpg"), "2019:01:01 10:00:00", 30);
        writeTaken(more + QStringLiteral("/x.jpg"), "2024:01:01 10:00:00", 90);
        FileChooser::setOpenFolderOverride([&](const QString &, const QString &) { return more; });
        m_fixture.action(QStringLiteral("Add folder…"))->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_fixture.album().materialOrder.size(), 5, 20000);
        QVERIFY(waitIdle());
        QCOMPARE(names(), QStringList({"c.jpg", "b.jpg", "a.jpg", "y.jpg", "x.jpg"}));
        QCOMPARE(stripNames(), names());
    }

    // Given on the command line (or by a second start, or dropped): the same import.
    void folderGivenAsFile()
    {
        const QString root = makeFolder(QStringLiteral("given"));
        QVERIFY(editor()->openFiles({root}));
        QTRY_COMPARE_WITH_TIMEOUT(m_fixture.album().materialOrder.size(), 3, 20000);
        QVERIFY(waitIdle());
        QCOMPARE(names(), QStringList({"c.jpg", "b.jpg", "a.jpg"}));
        // A folder without pictures opens nothing.
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("empty/.hidden"))));
        QVERIFY(!editor()->openFiles({m_dir.filePath(QStringLiteral("empty"))}));
        QVERIFY(editor()->workflow().idle());
        QCOMPARE(m_fixture.album().materialOrder.size(), 3);
    }

    void panelShowsDateAndCamera()
    {
        PicturePanel panel(QPixmap(), QStringLiteral("a.jpg"), PictureOptions(), 3000000,
                           ShareCode::QtInversionWidget::instance());
        auto *pLabel = panel.findChild<QLabel *>(QStringLiteral("labelPictureFacts"));
        QVERIFY(pLabel);
        QVERIFY(pLabel->isHidden());
        PictureFacts facts;
        facts.taken = QDateTime(QDate(2023, 7, 14), QTime(18, 5), Qt::OffsetFromUTC, 3600);
        facts.takenByCamera = true;
        facts.make = QStringLiteral("Velmo");
        facts.model = QStringLiteral("V1");
        panel.setPictureFacts(QStringLiteral("/p/a.jpg"), facts);
        QVERIFY(!pLabel->isHidden());
        QVERIFY(pLabel->text().contains(QStringLiteral("2023")));
        QVERIFY(pLabel->text().contains(QStringLiteral("Velmo V1")));
        // A file's own time is not passed off as the date taken.
        facts.takenByCamera = false;
        facts.make.clear();
        facts.model.clear();
        QVERIFY(PicturePanel::factsText(facts) != PicturePanel::factsText(PictureFacts()));
        QVERIFY(!PicturePanel::factsText(facts).contains(QStringLiteral("Camera")));
        QVERIFY(PicturePanel::factsText(PictureFacts()).isEmpty());
    }
};

QTEST_MAIN(TestZodoZadarFolders)
#include "tst_zodozadar_folders.moc"
