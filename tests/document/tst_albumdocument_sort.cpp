// Sorting the album's pictures as document edits: what moves with a picture, what stays by
// place, missing tiles, and one undo step per sort.
#include "albumdocument.h"
#include "albumsort.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QUndoStack>
#include <QtTest>

namespace {
MaterialItem item(const QString &szName, int iDay, AVRational ratio = {4, 3})
{
    MaterialItem it;
    it.path = QStringLiteral("/pictures/") + szName;
    it.widthToHeight = ratio;
    it.srcSize = QSize(400 * ratio.num, 400 * ratio.den);
    if (iDay > 0) {
        it.facts.taken = QDateTime(QDate(2023, 1, iDay), QTime(12, 0), Qt::UTC);
        it.facts.takenByCamera = true;
    }
    return it;
}

QStringList names(const Album &album)
{
    QStringList out;
    for (const QString &szPath : album.materialOrder)
        out << QFileInfo(szPath).fileName();
    return out;
}
} // namespace

class TestAlbumDocumentSort : public QObject
{
    Q_OBJECT

    // c (day 3), IMG_10 (day 1), a (no date: last), IMG_9 (day 1: tie with IMG_10).
    void fill(Album &job)
    {
        TransitionPicker::reset(0);
        appendPicture(job, item(QStringLiteral("c.jpg"), 3, {16, 9}), true);
        appendPicture(job, item(QStringLiteral("IMG_10.jpg"), 1));
        appendPicture(job, item(QStringLiteral("a.jpg"), 0));
        appendPicture(job, item(QStringLiteral("IMG_9.jpg"), 1));
    }

private slots:
    void orders_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("date taken") << int(PictureOrder::DateTaken)
                                    << QStringList{"IMG_9.jpg", "IMG_10.jpg", "c.jpg", "a.jpg"};
        QTest::newRow("name") << int(PictureOrder::Name)
                              << QStringList{"a.jpg", "c.jpg", "IMG_9.jpg", "IMG_10.jpg"};
        QTest::newRow("reverse") << int(PictureOrder::Reverse)
                                 << QStringList{"IMG_9.jpg", "a.jpg", "IMG_10.jpg", "c.jpg"};
    }
    void orders()
    {
        QFETCH(int, order);
        QFETCH(QStringList, expected);
        Album job;
        fill(job);
        // Own settings on two rows; a longer duration changes the total wherever it stands.
        PictureOptions own;
        own.duration = 7000000;
        own.caption.text = QStringLiteral("{date}");
        setPictureOptions(job, 0, own); // c.jpg
        const QList<TransitionSlot> slotsBefore = job.transitions;
        const int64_t total = job.totalDuration;

        const AlbumChange change = sortPictures(job, PictureOrder(order), true);
        QCOMPARE(names(job), expected);
        // The settings went with c.jpg; the slots stay by place; the ratio follows the first.
        const int c = expected.indexOf(QStringLiteral("c.jpg"));
        QCOMPARE(job.optionsAt(c), own);
        for (int i = 0; i < expected.size(); ++i) {
            if (i != c)
                QVERIFY(job.optionsAt(i).isDefault());
        }
        QCOMPARE(job.transitions, slotsBefore);
        QCOMPARE(job.totalDuration, job.computeTotalDuration());
        QCOMPARE(change.totalChanged, job.totalDuration != total);
        QVERIFY(change.coverChanged);
        const MaterialItem first = job.materials.value(job.materialOrder.first());
        QCOMPARE(job.aspectNum, first.widthToHeight.num);
        QCOMPARE(job.aspectDen, first.widthToHeight.den);

        // Sorted again: nothing moves, nothing is reported.
        if (PictureOrder(order) != PictureOrder::Reverse) {
            const Album before = job;
            const AlbumChange again = sortPictures(job, PictureOrder(order), true);
            QVERIFY(job == before);
            QVERIFY(!again.coverChanged && !again.totalChanged);
        }
    }

    // A folder's import sorts only what it added; missing tiles keep their places in the strip.
    void rangeAndMissing()
    {
        Album job;
        fill(job);
        MissingPicture gone;
        gone.position = 1;
        gone.picture.file = QStringLiteral("/gone.jpg");
        job.missing << gone;
        sortPictures(job, PictureOrder::Name, false, 2);
        QCOMPARE(names(job), QStringList({"c.jpg", "IMG_10.jpg", "a.jpg", "IMG_9.jpg"}));
        sortPictures(job, PictureOrder::DateTaken, false, 2);
        QCOMPARE(names(job), QStringList({"c.jpg", "IMG_10.jpg", "IMG_9.jpg", "a.jpg"}));
        QCOMPARE(job.missing.size(), 1);
        QCOMPARE(job.missing.first().position, 1);
        QCOMPARE(missingIndexAt(job, 1), 0);
        // Out-of-range starts sort nothing, or everything.
        const Album before = job;
        sortPictures(job, PictureOrder::Reverse, false, 99);
        QVERIFY(job == before);
        sortPictures(job, PictureOrder::Reverse, false, -5);
        QCOMPARE(names(job), QStringList({"a.jpg", "IMG_9.jpg", "IMG_10.jpg", "c.jpg"}));
    }

    // The same file in two rows sorts by its one item; each row keeps its own settings.
    void sameFileTwice()
    {
        Album job;
        appendPicture(job, item(QStringLiteral("b.jpg"), 2));
        appendPicture(job, item(QStringLiteral("a.jpg"), 5));
        appendPicture(job, item(QStringLiteral("b.jpg"), 2));
        PictureOptions own;
        own.caption.text = QStringLiteral("second b");
        setPictureOptions(job, 2, own);
        sortPictures(job, PictureOrder::DateTaken, false);
        QCOMPARE(names(job), QStringList({"b.jpg", "b.jpg", "a.jpg"}));
        QCOMPARE(job.optionsAt(1).caption.text, QStringLiteral("second b"));
    }

    void oneUndoStep()
    {
        AlbumDocument doc;
        doc.beginEdit();
        fill(doc.edit());
        doc.commitEdit(QStringLiteral("Import pictures"));
        const Album imported = doc.album();
        const int steps = doc.undoStack()->count();

        doc.beginEdit();
        sortPictures(doc.edit(), PictureOrder::DateTaken, true);
        doc.commitEdit(QStringLiteral("Sort by date taken"));
        QCOMPARE(doc.undoStack()->count(), steps + 1);
        const Album sorted = doc.album();
        QVERIFY(sorted != imported);

        doc.undo();
        QVERIFY(doc.album() == imported);
        doc.redo();
        QVERIFY(doc.album() == sorted);
        // The dates are the album's own: they come back with undo, unread.
        QVERIFY(doc.album().materials.value(QStringLiteral("/pictures/c.jpg")).facts.takenByCamera);

        // A sort that changes nothing leaves no step.
        doc.beginEdit();
        sortPictures(doc.edit(), PictureOrder::DateTaken, true);
        doc.commitEdit(QStringLiteral("Sort by date taken"));
        QCOMPARE(doc.undoStack()->count(), steps + 1);
    }
};

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    TestAlbumDocumentSort test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_albumdocument_sort.moc"
