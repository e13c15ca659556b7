// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures an album lists but cannot find: they stay in the album as tiles that say so, are
// written back unchanged, are not rendered or counted, come back when their files do (or are
// located), and an export asks before it leaves them out.
#include "albumdocument.h"
#include "editorfixture.h"

#include "albumfile.h"
#include "cqdlgtipsimple.h"
#include "cqvideoplay.h"
#include "exportsettingdialog.h"
#include "faildialog.h"
#include "imagelistview.h"
#include "qtinversionwidget.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

class TestZodoZadarMissing : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFixture m_fixture;

    ZodoZadar *editor() const { return m_fixture.editor; }
    Ui::ZodoZadarClass *form() const { return m_fixture.form(); }
    ImageListView *strip() const { return form()->imageSourceList; }
    QUndoStack *stack() const { return editor()->undoStack(); }
    QString path(const QString &szName) const { return m_dir.filePath(szName); }
    QStringList rendered() const { return m_fixture.album().materialOrder; }
    QByteArray albumJson() const
    {
        return serializeAlbum(editor()->storedAlbum(), QStringLiteral("/"));
    }
    QList<bool> missingRows() const
    {
        QList<bool> rows;
        for (int i = 0; i < strip()->model()->rowCount(); ++i)
            rows << strip()->isMissing(i);
        return rows;
    }
    static void writePicture(const QString &file, int iHue)
    {
        QDir().mkpath(QFileInfo(file).absolutePath());
        QVERIFY(testmedia::writeJpeg(file, 320, 240, QColor::fromHsv(iHue, 200, 200)));
    }
    // Opens szAlbum and closes the report of what could not be used.
    QStringList open(const QString &szAlbum)
    {
        QStringList reported;
        QTimer reader;
        connect(&reader, &QTimer::timeout, this, [&] {
            if (auto *pReport = qobject_cast<FailDialog *>(QApplication::activeModalWidget())) {
                reported = pReport->errorList()->toPlainText().split(QLatin1Char('\n'));
                pReport->reject();
            }
        });
        reader.start(20);
        if (!editor()->openAlbumFile(szAlbum))
            return {QStringLiteral("not opened")};
        if (!QTest::qWaitFor([this] { return editor()->workflow().idle(); }, 20000))
            return {QStringLiteral("still opening")};
        return reported;
    }

private slots:
    void initTestCase() { m_fixture.createManagers(); }
    void init() { m_fixture.createEditor(); }
    void cleanup()
    {
        for (QWidget *pWidget : ShareCode::QtInversionWidget::instance()->findChildren<QDialog *>())
            delete pWidget;
        m_fixture.destroyEditor();
    }

    // A picture on a disk that is not there: a tile in its place, the album still marked saved,
    // saved back with all its settings, moved and undone like the others, not counted in the
    // length; when its file is back (the window becomes active again) it takes its place with
    // its settings, and the album is still the file's.
    void missingPicturesStayInTheAlbum()
    {
        const QString a = path(QStringLiteral("disk/a.jpg"));
        const QString b = path(QStringLiteral("disk/b.jpg"));
        const QString c = path(QStringLiteral("disk/c.jpg"));
        writePicture(a, 0);
        writePicture(c, 120);
        StoredAlbum doc;
        doc.pictures = {AlbumPicture{a, 2}, AlbumPicture{b, 5}, AlbumPicture{c, -1}};
        doc.pictures[1].duration = 2500000;
        doc.pictures[1].transition = TransitionChoice::Chosen;
        doc.pictures[1].caption.text = QStringLiteral("kept");
        const QString album = path(QStringLiteral("disk/Trip.vmalbum"));
        QString szError;
        QVERIFY2(writeAlbumFile(album, doc, &szError), qPrintable(szError));

        const QStringList reported = open(album);
        QCOMPARE(reported.size(), 1);
        QVERIFY2(reported.first().startsWith(QStringLiteral("b.jpg: ")), qPrintable(reported[0]));
        QCOMPARE(missingRows(), (QList<bool>{false, true, false}));
        QCOMPARE(strip()->model()->index(1, 0).data(ImageListView::MissingRole).toString(),
                 QStringLiteral("Missing"));
        QCOMPARE(rendered(), (QStringList{a, c}));
        QCOMPARE(m_fixture.album().transitions.size(), 1);
        QCOMPARE(m_fixture.album().transitions[0].kind, &kTransitionKinds[2]);
        QCOMPARE(editor()->player()->totalDurationMs(), 8000); // 3 + 2 + 3: b is not counted
        QVERIFY(stack()->isClean());
        QCOMPARE(editor()->window()->windowTitle(), QStringLiteral("Trip — VelmoraAlbum"));

        // Saved back unchanged: the missing picture, its settings and its transition.
        QVERIFY(editor()->saveAlbum());
        const StoredAlbum saved = readAlbumFile(album).album;
        QCOMPARE(saved.pictures.size(), 3);
        QCOMPARE(saved.pictures[1].file, b);
        QCOMPARE(saved.pictures[1].duration, int64_t(2500000));
        QCOMPARE(saved.pictures[1].caption.text, QStringLiteral("kept"));
        QCOMPARE(saved.pictures[1].transitionRow, 5);
        QCOMPARE(saved.pictures[0].transitionRow, 2);
        const QByteArray before = albumJson();

        // Moved to the front and back, by the strip's own signal; one undo step.
        auto *pModel = strip()->imageModel();
        pModel->insertRow(0, pModel->takeRow(1));
        QVERIFY(QMetaObject::invokeMethod(editor(), "dragedImageSources", Q_ARG(QString, b),
                                          Q_ARG(int, 1), Q_ARG(int, 0)));
        QCOMPARE(editor()->storedAlbum().pictures[0].file, b);
        QCOMPARE(rendered(), (QStringList{a, c}));
        editor()->undo();
        QCOMPARE(albumJson(), before);
        QCOMPARE(missingRows(), (QList<bool>{false, true, false}));

        // The disk is back: found when the window is active again, in its place.
        writePicture(b, 240);
        editor()->window()->activateWindow();
        QTRY_VERIFY(editor()->isActiveWindow());
        QEvent activation(QEvent::ActivationChange);
        QApplication::sendEvent(editor(), &activation);
        QTRY_COMPARE_WITH_TIMEOUT(rendered(), (QStringList{a, b, c}), 10000);
        QTRY_VERIFY(editor()->workflow().idle());
        QCOMPARE(missingRows(), (QList<bool>{false, false, false}));
        QCOMPARE(m_fixture.album().optionsAt(1).caption.text, QStringLiteral("kept"));
        QCOMPARE(m_fixture.album().transitions.size(), 2);
        QCOMPARE(m_fixture.album().transitions[0].kind, &kTransitionKinds[2]);
        QCOMPARE(m_fixture.album().transitions[1].kind, &kTransitionKinds[5]);
        QCOMPARE(editor()->player()->totalDurationMs(), 3000 + 2500 + 3000 + 2 * 2000);
        QCOMPARE(albumJson(), before);
        QVERIFY(!editor()->isModified());
    }

    // "Locate…": the chosen file takes the tile's place, and the other missing pictures of the
    // same old folder are found in the new one; one undo step. Deleting a missing tile takes it
    // out of the album.
    void locateFindsTheMovedFolder()
    {
        const QString here = path(QStringLiteral("here.jpg"));
        writePicture(here, 30);
        StoredAlbum doc;
        doc.pictures = {AlbumPicture{path(QStringLiteral("old/x.jpg")), -1}, AlbumPicture{here, -1},
                        AlbumPicture{path(QStringLiteral("old/y.jpg")), -1}};
        const QString album = path(QStringLiteral("Moved.vmalbum"));
        QString szError;
        QVERIFY2(writeAlbumFile(album, doc, &szError), qPrintable(szError));
        QCOMPARE(open(album).size(), 2);
        QCOMPARE(missingRows(), (QList<bool>{true, false, true}));
        const QString x = path(QStringLiteral("new/x.jpg"));
        writePicture(x, 90);
        writePicture(path(QStringLiteral("new/y.jpg")), 150);

        const int iSteps = stack()->count();
        QString startedIn;
        FileChooser::setOpenFilesOverride(
            [&](const QString &, const QString &szFolder, const QString &, bool) {
                startedIn = szFolder;
                return QStringList{x};
            });
        emit strip()->sig_itemActivated(0); // a double click on the tile
        QTRY_VERIFY_WITH_TIMEOUT(rendered().size() == 3 && editor()->workflow().idle(), 10000);
        QCOMPARE(rendered(), (QStringList{x, here, path(QStringLiteral("new/y.jpg"))}));
        QCOMPARE(missingRows(), (QList<bool>{false, false, false}));
        QCOMPARE(stack()->count(), iSteps + 1);
        QVERIFY(editor()->isModified()); // the files are elsewhere now
        editor()->undo();
        QCOMPARE(missingRows(), (QList<bool>{true, false, true}));
        QCOMPARE(rendered(), QStringList{here});

        EditorFixture::answerQuestion(true);
        QVERIFY(strip()->requestDelete(strip()->model()->index(2, 0)));
        QCOMPARE(editor()->storedAlbum().pictures.size(), 2);
        QCOMPARE(rendered(), QStringList{here});
        QCOMPARE(editor()->missingPictures().size(), 1);
    }

    // An export of an album with missing pictures asks first and names them; Cancel exports
    // nothing, the other answer goes on to the export's settings.
    void exportAsksBeforeLeavingPicturesOut()
    {
        const QString here = path(QStringLiteral("present.jpg"));
        writePicture(here, 200);
        StoredAlbum doc;
        doc.pictures = {AlbumPicture{here, -1}, AlbumPicture{path(QStringLiteral("gone.jpg")), -1}};
        const QString album = path(QStringLiteral("Half.vmalbum"));
        QString szError;
        QVERIFY2(writeAlbumFile(album, doc, &szError), qPrintable(szError));
        open(album);
        QString asked;
        EditorFixture::answerQuestion(false, &asked);
        form()->btnExport->click();
        QVERIFY2(asked.contains(QStringLiteral("gone.jpg")), qPrintable(asked));
        QVERIFY(!ShareCode::QtInversionWidget::instance()->findChild<ExportSettingDialog *>());
        QVERIFY(editor()->workflow().idle());
        EditorFixture::answerQuestion(true);
        form()->btnExport->click();
        QVERIFY(ShareCode::QtInversionWidget::instance()->findChild<ExportSettingDialog *>());
    }
};

QTEST_MAIN(TestZodoZadarMissing)
#include "tst_zodozadar_missing.moc"
