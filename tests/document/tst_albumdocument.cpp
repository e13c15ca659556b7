// The album document without a window: edits and their undo steps, the document's identity,
// the saved state, the snapshot workers render, held files and autosave.
#include "albumdocument.h"

#include "instancelock.h"

#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

class TestAlbumDocument : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const QString &szName)
    {
        const QString path = m_dir.filePath(szName);
        QFile f(path);
        if (!f.exists() && f.open(QIODevice::WriteOnly))
            f.write("x");
        return path;
    }
    // Appends pictures as one undo step, as an import does.
    void addPictures(AlbumDocument &doc, const QStringList &names, const QString &szText)
    {
        doc.beginEdit();
        for (const QString &name : names) {
            MaterialItem item;
            item.path = file(name);
            item.widthToHeight = {4, 3};
            item.srcSize = QSize(400, 300);
            appendPicture(doc.edit(), item);
        }
        doc.commitEdit(szText);
    }
    static QStringList names(const AlbumDocument &doc)
    {
        QStringList out;
        for (const QString &path : doc.album().materialOrder)
            out << QFileInfo(path).fileName();
        return out;
    }
    static void setDuration(AlbumDocument &doc, int iSeconds)
    {
        doc.beginEdit();
        setUniformDurationSeconds(doc.edit(), iSeconds);
        doc.commitEdit(QStringLiteral("Change duration"), 1);
    }

private slots:
    // Every edit is one step; undo and redo put the whole album back and say so; steps of one
    // control in a row merge, and steps that come back to where they began leave nothing.
    void editsUndoAndRedo()
    {
        AlbumDocument doc;
        QSignalSpy replaced(&doc, &AlbumDocument::replaced);
        QUndoStack *stack = doc.undoStack();
        addPictures(doc, {"a.jpg", "b.jpg"}, QStringLiteral("Import"));
        QCOMPARE(stack->count(), 1);
        const Album afterImport = doc.album();

        setDuration(doc, 5);
        setDuration(doc, 7);
        QCOMPARE(stack->count(), 2); // the two duration steps are one
        QCOMPARE(doc.album().totalDuration, int64_t(7000000 * 2 + 2000000));
        setDuration(doc, 3);
        QCOMPARE(stack->count(), 1); // and back where it began: none at all
        QVERIFY(doc.album() == afterImport);

        doc.beginEdit();
        removePicture(doc.edit(), doc.album().materialOrder.first(), 0);
        doc.commitEdit(QStringLiteral("Delete picture"));
        QCOMPARE(names(doc), QStringList{"b.jpg"});
        // An edit that changes nothing is no step.
        doc.beginEdit();
        doc.commitEdit(QStringLiteral("Nothing"));
        QCOMPARE(stack->count(), 2);

        doc.undo();
        QCOMPARE(names(doc), (QStringList{"a.jpg", "b.jpg"}));
        QVERIFY(doc.album() == afterImport);
        doc.undo();
        QVERIFY(doc.album().materialOrder.isEmpty());
        QCOMPARE(doc.album().totalDuration, int64_t(0));
        doc.redo();
        doc.redo();
        QCOMPARE(names(doc), QStringList{"b.jpg"});
        QCOMPARE(replaced.count(), 4);

        // Nested edits are part of the outer one, and undo waits for it to end.
        doc.beginEdit();
        setDuration(doc, 9);
        doc.undo();
        QCOMPARE(doc.album().uniformDurationValue, int64_t(9000000));
        doc.commitEdit(QStringLiteral("Outer"));
        QCOMPARE(stack->count(), 3);
        QCOMPARE(stack->undoText(), QStringLiteral("Outer"));
    }

    // Derived values are worked out at the end of the outermost edit, inside its step, and again
    // when a step is undone or redone; what they derive from arriving later is applied without
    // a step of its own.
    void derivedValuesFollowEveryStep()
    {
        AlbumDocument doc;
        bool bReady = false;
        int iRuns = 0;
        doc.setDerivation([&](Album &album) {
            ++iRuns;
            const int n = int(album.materialOrder.size());
            album.beatDurations.clear();
            album.beatSlots.clear();
            if (album.beatCut != BeatCut::Off && bReady) {
                for (int i = 0; i < n; ++i) {
                    album.beatDurations.append(1500000);
                    album.beatSlots.append(0);
                }
            }
        });
        addPictures(doc, {"a.jpg", "b.jpg"}, QStringLiteral("Import"));
        QCOMPARE(iRuns, 1);
        const int iSteps = doc.undoStack()->count();

        doc.beginEdit();
        doc.beginEdit();
        doc.edit().beatCut = BeatCut::Beat;
        doc.commitEdit(QStringLiteral("Inner"));
        QCOMPARE(iRuns, 1); // not before the outer edit ends
        doc.commitEdit(QStringLiteral("Cut on the beat"));
        QCOMPARE(iRuns, 2);
        QCOMPARE(doc.undoStack()->count(), iSteps + 1);
        QVERIFY(!doc.album().hasBeatTiming()); // what it needs is not here yet

        QSignalSpy changed(&doc, &AlbumDocument::changed);
        bReady = true;
        doc.rederive();
        QVERIFY(doc.album().hasBeatTiming());
        QCOMPARE(doc.album().pictureDuration(1), int64_t(1500000));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(doc.undoStack()->count(), iSteps + 1);

        doc.undo();
        QCOMPARE(doc.album().beatCut, BeatCut::Off);
        QVERIFY(!doc.album().hasBeatTiming());
        doc.redo();
        QVERIFY(doc.album().hasBeatTiming());
        // A later edit is derived from the album's own values.
        setDuration(doc, 5);
        QVERIFY(doc.album().hasBeatTiming());
        QCOMPARE(doc.album().uniformDurationValue, int64_t(5000000));

        // Without a derivation nothing runs; rederive then changes nothing.
        doc.setDerivation({});
        const int iBefore = iRuns;
        doc.rederive();
        setDuration(doc, 6);
        QCOMPARE(iRuns, iBefore);
    }

    // The file and export choices go with the steps that changed them: undo of an opening or a
    // "New album" gives the earlier file back; a save renames the album for the other steps.
    void identityTravelsWithTheSteps()
    {
        AlbumDocument doc;
        const DocumentState fresh = doc.state();
        addPictures(doc, {"a.jpg"}, QStringLiteral("Import"));
        const QString albumA = m_dir.filePath(QStringLiteral("A.vmalbum"));
        QString error;
        QVERIFY2(doc.save(albumA, &error), qPrintable(error));
        QCOMPARE(doc.path(), albumA);

        // An opening: content and identity in one step.
        doc.beginEdit();
        clearAlbum(doc.edit());
        MaterialItem c;
        c.path = file(QStringLiteral("c.jpg"));
        c.widthToHeight = {16, 9};
        appendPicture(doc.edit(), c);
        doc.setPath(m_dir.filePath(QStringLiteral("B.vmalbum")));
        AlbumExportChoices choices;
        choices.format = QStringLiteral("GIF");
        doc.setExportChoices(choices);
        doc.commitEdit(QStringLiteral("Open album"));
        QCOMPARE(QFileInfo(doc.path()).fileName(), QStringLiteral("B.vmalbum"));

        doc.undo();
        QCOMPARE(doc.path(), albumA);
        QVERIFY(!doc.exportChoices());
        QCOMPARE(names(doc), QStringList{"a.jpg"});
        QVERIFY(!doc.isModified()); // back to what A holds
        doc.redo();
        QCOMPARE(doc.exportChoices()->format, QStringLiteral("GIF"));
        QVERIFY(doc.isModified()); // B was never read or written here

        // New album: no file, no choices; undoable.
        doc.startNew(QStringLiteral("New album"));
        QVERIFY(doc.album() == fresh.album);
        QVERIFY(doc.path().isEmpty());
        QVERIFY(doc.album().materialOrder.isEmpty());
        QVERIFY(!doc.isModified());
        doc.undo();
        QCOMPARE(QFileInfo(doc.path()).fileName(), QStringLiteral("B.vmalbum"));

        // A step that did not change the identity keeps the name a later save gave.
        setDuration(doc, 6);
        const QString albumC = m_dir.filePath(QStringLiteral("C.vmalbum"));
        QVERIFY(doc.save(albumC, &error));
        doc.undo();
        QCOMPARE(doc.path(), albumC);
        QVERIFY(doc.isModified());
        doc.redo();
        QVERIFY(!doc.isModified());
        QVERIFY(doc.undoStack()->isClean());
    }

    // What the file gets: missing pictures in their places and the export choices; an unnamed
    // album is modified as soon as it holds anything, missing entries included.
    void storedAlbumAndSavedState()
    {
        AlbumDocument doc;
        QVERIFY(!doc.isModified());
        addPictures(doc, {"a.jpg", "b.jpg"}, QStringLiteral("Import"));
        MissingPicture gone;
        gone.position = 1;
        gone.picture = AlbumPicture(QStringLiteral("/gone/x.jpg"));
        doc.beginEdit();
        doc.edit().missing.append(gone);
        doc.commitEdit(QStringLiteral("Open album"));
        const StoredAlbum stored = doc.storedAlbum();
        QCOMPARE(stored.pictures.size(), 3);
        QCOMPARE(stored.pictures[1].file, QStringLiteral("/gone/x.jpg"));
        QVERIFY(doc.isModified());

        const QString path = m_dir.filePath(QStringLiteral("Saved.vmalbum"));
        QString error;
        QVERIFY(doc.save(path, &error));
        QVERIFY(!doc.isModified());
        const AlbumReadResult read = readAlbumFile(path);
        QVERIFY(read.ok);
        QCOMPARE(read.album.pictures.size(), 3);

        // The export's own settings are not the album's: an undo keeps them.
        doc.edit().frameRate = {30, 1};
        doc.edit().exportFormat = QStringLiteral("MKV");
        setDuration(doc, 4);
        QVERIFY(doc.isModified());
        doc.undo();
        QVERIFY(!doc.isModified());
        QCOMPARE(doc.album().frameRate.num, 30);
        QCOMPARE(doc.album().exportFormat, QStringLiteral("MKV"));
    }

    // A snapshot is a value: later edits never reach one a worker holds; the document's own
    // album is untouched by whoever holds a snapshot.
    void snapshotsAreValues()
    {
        AlbumDocument doc;
        addPictures(doc, {"a.jpg", "b.jpg"}, QStringLiteral("Import"));
        const AlbumSnapshotPtr before = doc.snapshot();
        doc.beginEdit();
        Album &album = doc.edit();
        setUniformDurationSeconds(album, 10);
        album.watermarkType = WatermarkText;
        album.watermarkText = QStringLiteral("later");
        removePicture(album, album.materialOrder.last(), 1);
        doc.commitEdit(QStringLiteral("Several"));
        QCOMPARE(before->materialOrder.size(), 2);
        QCOMPARE(before->totalDuration, int64_t(8000000));
        QVERIFY(before->watermarkText.isEmpty());
        const AlbumSnapshotPtr after = doc.snapshot();
        QCOMPARE(after->materialOrder.size(), 1);
        QCOMPARE(after->watermarkText, QStringLiteral("later"));
        QVERIFY(*after == doc.album());
        // Made under an edit too: a worker asked for while an import runs sees it as it stands.
        doc.beginEdit();
        doc.edit().gentleMotion = true;
        QVERIFY(doc.snapshot()->gentleMotion);
        doc.commitEdit(QStringLiteral("Motion"));
    }

    // Each change says which parts of the album it touched, and whether the file or the export
    // choices changed: views that show one part follow that part alone.
    void changeSignalsNameTheParts()
    {
        AlbumDocument doc;
        QSignalSpy parts(&doc, &AlbumDocument::partsChanged);
        QSignalSpy identity(&doc, &AlbumDocument::identityChanged);
        const auto last = [&parts] {
            return parts.isEmpty() ? AlbumParts() : parts.takeLast().at(0).value<AlbumParts>();
        };
        addPictures(doc, {"a.jpg", "b.jpg"}, QStringLiteral("Import"));
        // Pictures change the length too.
        QCOMPARE(last(), AlbumParts(AlbumPart::Items | AlbumPart::Settings));
        doc.beginEdit();
        doc.edit().watermarkText = QStringLiteral("Summer");
        doc.commitEdit(QStringLiteral("Text"));
        QCOMPARE(last(), AlbumParts(AlbumPart::Watermark));
        doc.beginEdit();
        setMusicFile(doc.edit(), file(QStringLiteral("song.mp3")));
        doc.commitEdit(QStringLiteral("Music"));
        QCOMPARE(last(), AlbumParts(AlbumPart::Music));
        doc.undo();
        QCOMPARE(last(), AlbumParts(AlbumPart::Music));
        doc.redo();
        QCOMPARE(last(), AlbumParts(AlbumPart::Music));
        // An edit that changes nothing says nothing.
        doc.beginEdit();
        doc.edit().gentleMotion = doc.album().gentleMotion;
        doc.commitEdit(QStringLiteral("Nothing"));
        QVERIFY(parts.isEmpty());
        QVERIFY(identity.isEmpty());

        // The identity: in a step, by its undo, and by a save under a new name.
        doc.beginEdit();
        doc.setPath(m_dir.filePath(QStringLiteral("B.vmalbum")));
        doc.commitEdit(QStringLiteral("Open album"));
        QCOMPARE(identity.count(), 1);
        QVERIFY(parts.isEmpty());
        doc.undo();
        QCOMPARE(identity.count(), 2);
        QString error;
        QVERIFY2(doc.save(m_dir.filePath(QStringLiteral("C.vmalbum")), &error), qPrintable(error));
        QCOMPARE(identity.count(), 3);
        QVERIFY(parts.isEmpty());
    }

    // The files the album uses are held while it uses them, one handle each, and let go when a
    // step or an undo takes them out.
    void heldFilesFollowTheAlbum()
    {
        AlbumDocument doc;
        addPictures(doc, {"h1.jpg", "h1.jpg", "h2.jpg"}, QStringLiteral("Import"));
        const QString h1 = file(QStringLiteral("h1.jpg"));
        QVERIFY(doc.heldFiles().handle(h1));
        QCOMPARE(doc.heldFiles().count(), 2);
        doc.beginEdit();
        setMusicFile(doc.edit(), file(QStringLiteral("song.mp3")));
        doc.edit().musicType = MusicCustom;
        doc.commitEdit(QStringLiteral("Change music"));
        QCOMPARE(doc.heldFiles().count(), 3);
        doc.undo();
        QCOMPARE(doc.heldFiles().count(), 2);
        doc.undo();
        QCOMPARE(doc.heldFiles().count(), 0);
    }

    // Autosave: a burst of edits is written once, after the delay; nothing is written while an
    // edit is open; a failure is said once per run of failures; the session's end removes it.
    void autosaveTiming()
    {
        const QString folder = m_dir.filePath(QStringLiteral("state"));
        const QString autosave = folder + QStringLiteral("/autosave.vmalbum");
        auto doc = std::make_unique<AlbumDocument>();
        QVERIFY(doc->startSession(folder));
        QVERIFY(!doc->leftAlbum());
        // Another copy finds the folder taken while this one holds it.
        {
            AlbumDocument other;
            QVERIFY(!other.startSession(folder));
        }

        QElapsedTimer clock;
        clock.start();
        addPictures(*doc, {"s1.jpg"}, QStringLiteral("Import"));
        setDuration(*doc, 4);
        setDuration(*doc, 5);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(autosave), 5000);
        QVERIFY2(clock.elapsed() >= AlbumDocument::kAutosaveDelayMs - 50,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(readAlbumFile(autosave).album.durationSeconds, 5);

        // Open edit: it waits for the whole.
        doc->beginEdit();
        setUniformDurationSeconds(doc->edit(), 8);
        doc->changeDone();
        QTest::qWait(AlbumDocument::kAutosaveDelayMs + 300);
        QCOMPARE(readAlbumFile(autosave).album.durationSeconds, 5);
        doc->commitEdit(QStringLiteral("Change duration"));
        QTRY_COMPARE_WITH_TIMEOUT(readAlbumFile(autosave).album.durationSeconds, 8, 5000);

        // A folder that refuses the file: said once, then tried at every change.
        QSignalSpy failed(doc.get(), &AlbumDocument::autosaveFailed);
        QVERIFY(QFile::remove(autosave));
        QVERIFY(QDir().mkpath(autosave)); // a folder where the file goes
        setDuration(*doc, 9);
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 5000);
        setDuration(*doc, 10);
        QTest::qWait(AlbumDocument::kAutosaveDelayMs + 300);
        QCOMPARE(failed.count(), 1);
        QVERIFY(QDir().rmdir(autosave));
        setDuration(*doc, 11);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(autosave).isFile(), 5000);

        // Left behind by a session that did not end: offered to the next, with its file.
        const QString kept = m_dir.filePath(QStringLiteral("Kept.vmalbum"));
        QString error;
        QVERIFY(doc->save(kept, &error));
        const QString source = folder + QStringLiteral("/autosave.source");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(source), 5000);
        const QString copy = m_dir.filePath(QStringLiteral("crashed.vmalbum"));
        QVERIFY(QFile::copy(autosave, copy));
        doc.reset(); // a session that ends leaves nothing behind
        QVERIFY(!QFileInfo::exists(autosave) && !QFileInfo::exists(source));
        QVERIFY(QFile::copy(copy, autosave));
        QFile sourceFile(source);
        QVERIFY(sourceFile.open(QIODevice::WriteOnly));
        sourceFile.write(kept.toUtf8());
        sourceFile.close();
        AlbumDocument next;
        QVERIFY(next.startSession(folder));
        const std::optional<AlbumDocument::LeftAlbum> left = next.leftAlbum();
        QVERIFY(left);
        QCOMPARE(left->sourcePath, kept);
        QCOMPARE(left->album.durationSeconds, 11);
    }
};

int main(int argc, char **argv)
{
    // Fonts and colours are values of the album; no window is made.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestAlbumDocument test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_albumdocument.moc"
