// SPDX-License-Identifier: GPL-3.0-or-later
// What the album is and whether it is saved: undo gives back the document an opening replaced,
// the title marks every unsaved album, edits that net to nothing leave no step, export choices
// count, a failed autosave is said, and the quit question asks only what would be lost.
#include "albumdocument.h"
#include "editorfixture.h"

#include "albumfile.h"
#include "cqquitdialog.h"
#include "cqtoast.h"
#include "exportsettingdialog.h"
#include "imagelistview.h"
#include "musicpanel.h"
#include "picturepanel.h"
#include "qtinversionwidget.h"
#include "successdialog.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

class TestZodoZadarUnsaved : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFixture m_fixture;

    ZodoZadar *editor() const { return m_fixture.editor; }
    Ui::ZodoZadarClass *form() const { return m_fixture.form(); }
    QUndoStack *stack() const { return editor()->undoStack(); }
    QString path(const QString &szName) const { return m_dir.filePath(szName); }
    QString title() const { return editor()->window()->windowTitle(); }
    QStringList rows() const { return m_fixture.album().materialOrder; }

    QAction *action(const QString &szText) const { return m_fixture.action(szText); }
    // Pictures named szPrefix0.jpg ... in a folder of their own, imported as a new album.
    QStringList importNamed(const QString &szPrefix, int iCount)
    {
        QStringList files;
        for (int i = 0; i < iCount; ++i) {
            files << path(QStringLiteral("%1%2.jpg").arg(szPrefix, QString::number(i)));
            testmedia::writeJpeg(files.last(), 320, 240, QColor::fromHsv(i * 60, 200, 200));
        }
        FileChooser::setOpenFilesOverride(
            [files](const QString &, const QString &, const QString &, bool) { return files; });
        QMetaObject::invokeMethod(editor(), "selectImageSources");
        waitIdle();
        return files;
    }
    QString writeAlbumOf(const QString &szName, const QStringList &pictures)
    {
        StoredAlbum doc;
        for (const QString &szPicture : pictures)
            doc.pictures << AlbumPicture{szPicture, -1};
        const QString file = path(szName);
        QString szError;
        if (!writeAlbumFile(file, doc, &szError))
            qWarning("%s", qPrintable(szError));
        return file;
    }
    void waitIdle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(editor()->workflow().idle() && !editor()->decoder()->running,
                                 20000);
    }
    bool saveAs(const QString &file)
    {
        FileChooser::setSaveFileOverride(
            [file](const QString &, const QString &, const QString &) { return file; });
        const bool bSaved = editor()->saveAlbumAs();
        FileChooser::setSaveFileOverride({});
        return bSaved;
    }
    static QByteArray bytes(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static ShareCode::CQQuitDialog *quitDialog()
    {
        return ShareCode::QtInversionWidget::instance()->findChild<ShareCode::CQQuitDialog *>();
    }
    static QPushButton *button(QWidget *pDialog, const char *szName)
    {
        return pDialog->findChild<QPushButton *>(QLatin1String(szName));
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

    // Undo of an opening gives back the album before it with its own file name (or none), so that
    // a save never writes the earlier pictures into the opened file; a replacing import makes a
    // new, unnamed album, and its undo gives the opened one back, saved as it was.
    void undoGivesTheDocumentBack()
    {
        const QStringList ab = importNamed(QStringLiteral("a"), 2);
        QCOMPARE(title(), QStringLiteral("*Untitled album — VelmoraAlbum"));
        const QString albumB =
            writeAlbumOf(QStringLiteral("B.vmalbum"), importNamed(QStringLiteral("c"), 2));
        action(QStringLiteral("Undo"))->trigger();
        QCOMPARE(rows(), ab);
        const QByteArray fileB = bytes(albumB);

        QVERIFY(editor()->openAlbumFile(albumB));
        waitIdle();
        QCOMPARE(title(), QStringLiteral("B — VelmoraAlbum"));
        QVERIFY(stack()->isClean());
        editor()->undo();
        QCOMPARE(rows(), ab);
        QVERIFY(editor()->documentPath().isEmpty());
        QCOMPARE(title(), QStringLiteral("*Untitled album — VelmoraAlbum"));
        // Ctrl+S asks for a name: it no longer goes into B.
        const QString albumA = path(QStringLiteral("A.vmalbum"));
        FileChooser::setSaveFileOverride(
            [albumA](const QString &, const QString &, const QString &) { return albumA; });
        action(QStringLiteral("Save"))->trigger();
        FileChooser::setSaveFileOverride({});
        QCOMPARE(bytes(albumB), fileB);
        QCOMPARE(editor()->documentPath(), albumA);
        QCOMPARE(title(), QStringLiteral("A — VelmoraAlbum"));

        // A saved album comes back saved; redo gives B back, saved too.
        QVERIFY(editor()->openAlbumFile(albumB));
        waitIdle();
        editor()->undo();
        QCOMPARE(editor()->documentPath(), albumA);
        QVERIFY(stack()->isClean());
        QCOMPARE(title(), QStringLiteral("A — VelmoraAlbum"));
        editor()->redo();
        QCOMPARE(editor()->documentPath(), albumB);
        QVERIFY(stack()->isClean());

        // A replacing import: a new document, whose undo is the opened album again.
        importNamed(QStringLiteral("e"), 1);
        QVERIFY(editor()->documentPath().isEmpty());
        QCOMPARE(title(), QStringLiteral("*Untitled album — VelmoraAlbum"));
        editor()->undo();
        QCOMPARE(editor()->documentPath(), albumB);
        QCOMPARE(title(), QStringLiteral("B — VelmoraAlbum"));
        action(QStringLiteral("Save"))->trigger();
        QCOMPARE(readAlbumFile(albumB).album.pictures.size(), 2);

        // A save renames the album for the steps before it: undoing an edit keeps the new name.
        form()->boxImageDuration->setValue(7);
        const QString albumC = path(QStringLiteral("C.vmalbum"));
        QVERIFY(saveAs(albumC));
        editor()->undo();
        QCOMPARE(editor()->documentPath(), albumC);
        QCOMPARE(title(), QStringLiteral("*C — VelmoraAlbum"));
    }

    // The mark follows the file: edits that come back to what was saved clear it, a panel whose
    // changes net to nothing leaves no undo step, steps of one music spin box are one step, and
    // a change of the export choices is a change of the album (marked and autosaved).
    void unsavedMarkFollowsTheFile()
    {
        importNamed(QStringLiteral("p"), 2);
        const QString album = path(QStringLiteral("Trip.vmalbum"));
        QVERIFY(saveAs(album));
        QCOMPARE(title(), QStringLiteral("Trip — VelmoraAlbum"));
        const int iSteps = stack()->count();
        form()->boxImageDuration->setValue(4);
        QCOMPARE(title(), QStringLiteral("*Trip — VelmoraAlbum"));
        form()->boxImageDuration->setValue(3); // merges with the step before: nothing left
        QCOMPARE(stack()->count(), iSteps);
        QCOMPARE(title(), QStringLiteral("Trip — VelmoraAlbum"));

        // The picture panel: a caption typed and taken out again.
        QTimer::singleShot(50, this, [] {
            auto *pPanel = qobject_cast<PicturePanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            auto *pCaption = pPanel->findChild<QLineEdit *>(QStringLiteral("editCaption"));
            QVERIFY(pCaption);
            pCaption->setText(QStringLiteral("Beach"));
            emit pCaption->editingFinished();
            pCaption->setText(QString());
            emit pCaption->editingFinished();
            pPanel->accept();
        });
        editor()->showPicturePanel(0);
        QCOMPARE(stack()->count(), iSteps);
        QVERIFY(stack()->isClean());
        QCOMPARE(title(), QStringLiteral("Trip — VelmoraAlbum"));

        // The music panel: three steps of the volume box and two of the start are two steps.
        const QString music = path(QStringLiteral("tune.mp3"));
        QVERIFY(testmedia::writeMp3(music, 3));
        m_fixture.chosen = QStringList{music};
        m_fixture.answerChooser();
        form()->ratioCustomMusic->click();
        const int iMusicSteps = stack()->count();
        QTimer::singleShot(50, this, [] {
            auto *pPanel = qobject_cast<MusicPanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            auto *pVolume = pPanel->findChild<QSpinBox *>(QStringLiteral("spinMusicVolume"));
            for (int v : {90, 80, 70})
                pVolume->setValue(v);
            auto *pStart = pPanel->findChild<QDoubleSpinBox *>(QStringLiteral("spinMusicStart"));
            for (double v : {0.5, 1.0})
                pStart->setValue(v);
            pPanel->accept();
        });
        action(QStringLiteral("Music settings…"))->trigger();
        QCOMPARE(stack()->count(), iMusicSteps + 2);
        QCOMPARE(m_fixture.album().musicShape.volume, 0.7);
        QVERIFY(saveAs(album));

        // Export choices: the album's own from now on, so unsaved and in the autosave.
        const QString state = path(QStringLiteral("state"));
        editor()->startSession(state);
        form()->btnExport->click();
        auto *pDialog =
            ShareCode::QtInversionWidget::instance()->findChild<ExportSettingDialog *>();
        QVERIFY(pDialog);
        pDialog->changeFileDirectory(QDir::toNativeSeparators(m_dir.path()));
        pDialog->changeFileName(QStringLiteral("trip-video"));
        pDialog->startExport();
        QTRY_VERIFY_WITH_TIMEOUT(
            ShareCode::QtInversionWidget::instance()->findChild<SuccessDialog *>(), 60000);
        QCOMPARE(title(), QStringLiteral("*Trip — VelmoraAlbum"));
        const QString autosave = QDir(state).filePath(QStringLiteral("autosave.vmalbum"));
        QTRY_VERIFY_WITH_TIMEOUT(readAlbumFile(autosave).album.exportChoices &&
                                     readAlbumFile(autosave).album.exportChoices->name ==
                                         QLatin1String("trip-video"),
                                 5000);
        delete ShareCode::QtInversionWidget::instance()->findChild<SuccessDialog *>();
        waitIdle();
        action(QStringLiteral("Save"))->trigger();
        QCOMPARE(readAlbumFile(album).album.exportChoices->name, QStringLiteral("trip-video"));
        QCOMPARE(title(), QStringLiteral("Trip — VelmoraAlbum"));
        editor()->endSession();
    }

    // An autosave that cannot be written says so once, and the next edit writes it again.
    void failedAutosaveIsSaid()
    {
        const QString state = path(QStringLiteral("state-fail"));
        editor()->startSession(state);
        const QString autosave = QDir(state).filePath(QStringLiteral("autosave.vmalbum"));
        // A folder where the file goes: no rename can replace it.
        QVERIFY(QDir().mkpath(autosave));
        importNamed(QStringLiteral("f"), 1);
        QTRY_VERIFY_WITH_TIMEOUT(editor()->findChild<ShareCode::CQToast *>(), 5000);
        QVERIFY2(editor()->findChild<ShareCode::CQToast *>()->text().startsWith(
                     QStringLiteral("The album could not be saved for restoring")),
                 qPrintable(editor()->findChild<ShareCode::CQToast *>()->text()));
        QVERIFY(QDir(autosave).removeRecursively());
        form()->boxImageDuration->setValue(5);
        QTRY_VERIFY_WITH_TIMEOUT(readAlbumFile(autosave).album.durationSeconds == 5, 5000);
        editor()->endSession();
    }

    // The quit question by the album's state: none when nothing would be lost; the old question
    // with "Save…" for an album never saved; "Save changes…" with Save, Don't save and Cancel for
    // a saved album with changes.
    void quitAsksOnlyWhatWouldBeLost()
    {
        QWidget *pWindow = editor()->window();
        editor()->closeRequest(); // empty
        QVERIFY(!quitDialog());
        QVERIFY(!pWindow->isVisible());
        pWindow->show();

        importNamed(QStringLiteral("q"), 2);
        editor()->closeRequest();
        QTRY_VERIFY(quitDialog() && quitDialog()->isVisible());
        QCOMPARE(quitDialog()->findChild<QLabel *>(QStringLiteral("uiTip2"))->text(),
                 QStringLiteral("Exit will not save the file"));
        QVERIFY(button(quitDialog(), "btnOther")->isVisible());
        const QString album = path(QStringLiteral("Q.vmalbum"));
        FileChooser::setSaveFileOverride(
            [album](const QString &, const QString &, const QString &) { return album; });
        button(quitDialog(), "btnOther")->click(); // "Save…"
        FileChooser::setSaveFileOverride({});
        QTRY_VERIFY(!pWindow->isVisible());
        QCOMPARE(readAlbumFile(album).album.pictures.size(), 2);
        pWindow->show();
        QTRY_VERIFY(!quitDialog()); // the answered one goes from the event loop

        // Saved, no changes: quits at once.
        editor()->closeRequest();
        QVERIFY(!quitDialog());
        QVERIFY(!pWindow->isVisible());
        pWindow->show();

        form()->boxImageDuration->setValue(9);
        editor()->closeRequest();
        QTRY_VERIFY(quitDialog() && quitDialog()->isVisible());
        QCOMPARE(quitDialog()->findChild<QLabel *>(QStringLiteral("uiTip"))->text(),
                 QStringLiteral("Save changes to “Q” before closing?"));
        QCOMPARE(button(quitDialog(), "btnOther")->text(), QStringLiteral("Don't save"));
        QVERIFY(button(quitDialog(), "btnOther")->property("destructive").toBool());
        button(quitDialog(), "btnCancel")->click();
        QTRY_VERIFY(!quitDialog());
        QVERIFY(pWindow->isVisible());

        editor()->closeRequest();
        QTRY_VERIFY(quitDialog());
        button(quitDialog(), "btnOther")->click(); // Don't save
        QTRY_VERIFY(!pWindow->isVisible());
        QCOMPARE(readAlbumFile(album).album.durationSeconds, 3);
        pWindow->show();

        editor()->closeRequest();
        QTRY_VERIFY(quitDialog());
        button(quitDialog(), "btnOK")->click(); // Save
        QTRY_VERIFY(!pWindow->isVisible());
        QCOMPARE(readAlbumFile(album).album.durationSeconds, 9);
    }
};

QTEST_MAIN(TestZodoZadarUnsaved)
#include "tst_zodozadar_unsaved.moc"
