// The album as a document in the real editor: undo and redo of every kind of edit, save and
// open (every field kept, a hostile file refused with the album untouched, a missing picture
// named), autosave and the offer to restore it, the menu and the window's title.
#include "albumdocument.h"
#include "editorfixture.h"

#include "album.h"
#include "albumfile.h"
#include "cqcombobox.h"
#include "cqdlgtipsimple.h"
#include "cqvideoplay.h"
#include "faildialog.h"
#include "imagelistview.h"
#include "imageviewer.h"
#include "musicpanel.h"
#include "picturepanel.h"
#include "picturerenderer.h"
#include "places.h"
#include "qtinversionwidget.h"
#include "testmedia.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>

#include <functional>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

class TestZodoZadarDocument : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFixture m_fixture;

    ZodoZadar *editor() const { return m_fixture.editor; }
    Ui::ZodoZadarClass *form() const { return m_fixture.form(); }
    QUndoStack *stack() const { return editor()->undoStack(); }
    QString path(const QString &szName) const { return m_dir.filePath(szName); }

    void importPictures(int iCount, int iHueStep = 50)
    {
        m_fixture.importPictures(m_dir.path(), iCount, QSize(320, 240), iHueStep);
        m_fixture.answerChooser();
    }
    // The album as the file would hold it.
    QByteArray albumJson() const
    {
        return serializeAlbum(editor()->storedAlbum(), QStringLiteral("/"));
    }
    QStringList rows() const { return form()->imageSourceList->filePaths(); }
    // What the strip and the album show must agree after every step.
    void verifyStripMatchesAlbum()
    {
        QCOMPARE(rows(), m_fixture.album().materialOrder);
        QCOMPARE(m_fixture.album().transitions.size(),
                 qMax(0, m_fixture.album().materialOrder.size() - 1));
        QCOMPARE(int64_t(editor()->player()->totalDurationMs()),
                 totalDurationMs(m_fixture.album()));
    }
    QAction *action(const QString &szText) const { return m_fixture.action(szText); }

    static QByteArray readAll(const QString &szFile)
    {
        QFile file(szFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Whether another open file could take szFile's lock now (one try, let go at once).
    static bool lockFree(const QString &szFile)
    {
        const int fd = ::open(QFile::encodeName(szFile).constData(), O_RDWR | O_CLOEXEC);
        const bool bFree = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (fd >= 0)
            ::close(fd);
        return bFree;
    }
    // A child process that holds szFile's lock until it is killed; its id, or -1.
    static pid_t holdLock(const QString &szFile)
    {
        const QByteArray file = QFile::encodeName(szFile);
        int ready[2];
        if (::pipe2(ready, O_CLOEXEC) != 0)
            return -1;
        const pid_t pid = ::fork();
        if (pid == 0) {
            // The child of a threaded process: system calls only.
            const int fd = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            const char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0;
            if (::write(ready[1], &ok, 1) != 1 || !ok)
                ::_exit(1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char ok = 0;
        const bool bHeld = pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok;
        ::close(ready[0]);
        if (pid > 0 && !bHeld) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        return bHeld ? pid : -1;
    }

private slots:
    void initTestCase() { m_fixture.createManagers(); }
    void init() { m_fixture.createEditor(); }
    void cleanup()
    {
        for (QWidget *pWidget : ShareCode::QtInversionWidget::instance()->findChildren<QDialog *>())
            delete pWidget;
        m_fixture.destroyEditor();
        Places::disable();
    }

    // Each kind of edit is undone to the album before it and redone to the album after it, the
    // strip and the controls with it; an import is one step, thumbnails and all.
    void undoAndRedoEveryEdit()
    {
        importPictures(3);
        QCOMPARE(stack()->count(), 1); // the import
        const QByteArray imported = albumJson();
        struct Step
        {
            const char *name;
            std::function<void()> edit;
        };
        const QString music = path(QStringLiteral("song.mp3"));
        QVERIFY(testmedia::writeMp3(music, 1));
        const QList<Step> steps{
            {"delete",
             [this] {
                 EditorFixture::answerQuestion(true);
                 QVERIFY(form()->imageSourceList->requestDelete(
                     form()->imageSourceList->model()->index(1, 0)));
             }},
            {"reorder",
             [this] {
                 auto *pModel = form()->imageSourceList->imageModel();
                 pModel->insertRow(0, pModel->takeRow(1));
                 QVERIFY(QMetaObject::invokeMethod(editor(), "dragedImageSources",
                                                   Q_ARG(QString, rows().first()), Q_ARG(int, 1),
                                                   Q_ARG(int, 0)));
             }},
            {"duration", [this] { form()->boxImageDuration->setValue(7); }},
            {"height", [this] { form()->comboVideoHeight->setCurrentIndex(0); }},
            {"ratio", [this] { form()->comboVideoRatio->setCurrentIndex(0); }},
            {"watermark text",
             [this] {
                 form()->radioTextWatermark->click();
                 QTRY_COMPARE(m_fixture.album().watermarkType, int(WatermarkText));
                 form()->editWatermarkText->setText(QStringLiteral("100%1 summer"));
                 emit form()->editWatermarkText->editingFinished();
             }},
            {"music",
             [this, music] {
                 m_fixture.chosen = QStringList{music};
                 form()->ratioCustomMusic->click();
                 QCOMPARE(m_fixture.album().musicPath, music);
             }},
        };
        for (const Step &step : steps) {
            const QByteArray before = albumJson();
            const int iCount = stack()->count();
            step.edit();
            QVERIFY2(stack()->count() > iCount, step.name);
            const QByteArray after = albumJson();
            QVERIFY2(after != before, step.name);
            verifyStripMatchesAlbum();
            // A type switch and the text typed after it are two steps.
            const int iSteps = stack()->count() - iCount;
            for (int i = 0; i < iSteps; ++i)
                editor()->undo();
            QVERIFY2(albumJson() == before, step.name);
            verifyStripMatchesAlbum();
            for (int i = 0; i < iSteps; ++i)
                editor()->redo();
            QVERIFY2(albumJson() == after, step.name);
            verifyStripMatchesAlbum();
        }
        // Everything back to the imported album, then the import itself.
        while (stack()->index() > 1)
            editor()->undo();
        QCOMPARE(albumJson(), imported);
        editor()->undo();
        QVERIFY(m_fixture.album().materialOrder.isEmpty());
        QVERIFY(!form()->btnExport->isEnabled());
        editor()->redo();
        QCOMPARE(albumJson(), imported);
        QVERIFY(form()->btnExport->isEnabled());
        QVERIFY(!form()
                     ->imageSourceList->model()
                     ->index(0, 0)
                     .data(Qt::BackgroundRole)
                     .value<QBrush>()
                     .texture()
                     .isNull());
    }

    // Steps of the duration box in a row are one undo step; nothing undoes while an export
    // runs its settings dialog.
    void durationStepsMergeAndWorkflowsRefuseUndo()
    {
        importPictures(2);
        const int iCount = stack()->count();
        for (int v = 4; v <= 8; ++v)
            form()->boxImageDuration->setValue(v);
        QCOMPARE(stack()->count(), iCount + 1);
        form()->btnExport->click();
        QVERIFY(!editor()->workflow().idle());
        editor()->undo();
        QCOMPARE(m_fixture.album().uniformDurationValue, int64_t(8000000));
        QVERIFY(!action(QStringLiteral("Undo"))->isEnabled());
    }

    // Save, then a new album, then open: every field as it was, the title names the album and
    // marks changes; the file moved with its pictures opens and renders the same.
    void saveAndOpenKeepEveryField()
    {
        Album &job = m_fixture.album();
        const QString folder = path(QStringLiteral("holiday"));
        QDir().mkpath(folder);
        m_fixture.importPictures(folder, 3, QSize(400, 300), 80);
        m_fixture.answerChooser();
        form()->boxImageDuration->setValue(5);
        form()->comboVideoHeight->setCurrentIndex(1);
        form()->radioTextWatermark->click();
        QTRY_COMPARE(job.watermarkType, int(WatermarkText));
        form()->editWatermarkText->setText(QStringLiteral("Line one %1"));
        emit form()->editWatermarkText->editingFinished();
        form()->positionBox(8)->click();
        const QString music = QDir(folder).filePath(QStringLiteral("song.mp3"));
        QVERIFY(testmedia::writeMp3(music, 1));
        m_fixture.chosen = QStringList{music};
        form()->ratioCustomMusic->click();
        const StoredAlbum saved = editor()->storedAlbum();

        const QString file = QDir(folder).filePath(QStringLiteral("Holiday.vmalbum"));
        FileChooser::setSaveFileOverride(
            [file](const QString &, const QString &, const QString &) { return file; });
        QVERIFY(action(QStringLiteral("Save"))->isEnabled());
        action(QStringLiteral("Save"))->trigger();
        FileChooser::setSaveFileOverride({});
        QVERIFY(QFileInfo(file).isFile());
        QCOMPARE(editor()->documentPath(), file);
        QVERIFY(stack()->isClean());
        QCOMPARE(editor()->window()->windowTitle(), QStringLiteral("Holiday — VelmoraAlbum"));
        form()->boxImageDuration->setValue(6);
        QCOMPARE(editor()->window()->windowTitle(), QStringLiteral("*Holiday — VelmoraAlbum"));

        action(QStringLiteral("New album"))->trigger();
        QVERIFY(job.materialOrder.isEmpty());
        QCOMPARE(job.watermarkType, int(WatermarkNone));
        QCOMPARE(editor()->window()->windowTitle(), QStringLiteral("VelmoraAlbum"));

        // Moved elsewhere with its pictures: relative paths follow.
        const QString moved = path(QStringLiteral("moved"));
        QVERIFY(QDir().rename(folder, moved));
        QVERIFY(editor()->openAlbumFile(QDir(moved).filePath(QStringLiteral("Holiday.vmalbum"))));
        QTRY_VERIFY_WITH_TIMEOUT(editor()->workflow().idle(), 20000);
        const StoredAlbum opened = editor()->storedAlbum();
        QCOMPARE(opened.pictures.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(QFileInfo(opened.pictures[i].file).fileName(),
                     QFileInfo(saved.pictures[i].file).fileName());
            QVERIFY(opened.pictures[i].file.startsWith(moved));
            if (i < 2)
                QCOMPARE(opened.transitionRowFor(i), saved.transitionRowFor(i));
        }
        QCOMPARE(opened.durationSeconds, 5);
        QCOMPARE(opened.height, saved.height);
        QCOMPARE(opened.ratio, saved.ratio);
        QCOMPARE(opened.watermarkType, int(WatermarkText));
        QCOMPARE(opened.watermarkText, QStringLiteral("Line one %1"));
        QCOMPARE(opened.watermarkPosition, int(RightBottom));
        QCOMPARE(opened.watermarkPixelSize, saved.watermarkPixelSize);
        QCOMPARE(QFileInfo(opened.music).fileName(), QStringLiteral("song.mp3"));
        QCOMPARE(form()->boxImageDuration->value(), 5);
        QVERIFY(form()->radioTextWatermark->isChecked());
        QCOMPARE(form()->editWatermarkText->text(), QStringLiteral("Line one %1"));
        QVERIFY(stack()->isClean());
        verifyStripMatchesAlbum();
        // Opening is one step: undo gives the new album back.
        editor()->undo();
        QVERIFY(job.materialOrder.isEmpty());
    }

    // Files given while an album opens (at start-up, during the restore) come after it, as an
    // import of their own that undo takes back to the opened album.
    void filesGivenWhileOpeningWait()
    {
        StoredAlbum doc;
        for (const char *szName : {"x.jpg", "y.jpg"}) {
            doc.pictures << AlbumPicture{path(QString::fromLatin1(szName)), -1};
            QVERIFY(testmedia::writeJpeg(doc.pictures.last().file, 320, 240));
        }
        const QString album = path(QStringLiteral("given.vmalbum"));
        QString szError;
        QVERIFY2(writeAlbumFile(album, doc, &szError), qPrintable(szError));
        const QString later = path(QStringLiteral("later.jpg"));
        QVERIFY(testmedia::writeJpeg(later, 320, 240));

        QVERIFY(editor()->openFiles({album}));
        QVERIFY(editor()->openFiles({later}));
        QTRY_VERIFY_WITH_TIMEOUT(m_fixture.album().materialOrder == QStringList{later} &&
                                     editor()->workflow().idle(),
                                 20000);
        editor()->undo();
        QCOMPARE(m_fixture.album().materialOrder,
                 (QStringList{doc.pictures[0].file, doc.pictures[1].file}));
        QCOMPARE(editor()->documentPath(), album);
    }

    // Files handed over by a second start while a panel or the restore question is up wait until
    // the user is back: the panel's changes land on the album it was opened on, and pictures
    // given during the restore question come after the answer.
    void handedFilesWaitForTheUser()
    {
        importPictures(4);
        const QStringList before = rows();
        StoredAlbum doc;
        doc.pictures << AlbumPicture{path(QStringLiteral("d.jpg")), -1};
        QVERIFY(testmedia::writeJpeg(doc.pictures.first().file, 320, 240));
        const QString album = path(QStringLiteral("D.vmalbum"));
        QString szError;
        QVERIFY2(writeAlbumFile(album, doc, &szError), qPrintable(szError));

        bool bTaken = false;
        QStringList rowsMeanwhile;
        QTimer::singleShot(50, this, [&] {
            auto *pPanel = qobject_cast<PicturePanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            bTaken = editor()->openFiles({album});
            QTest::qWait(600); // several of the editor's checks for the user's return
            rowsMeanwhile = rows();
            auto *pCaption = pPanel->findChild<QLineEdit *>(QStringLiteral("editCaption"));
            pCaption->setText(QStringLiteral("Row three"));
            emit pCaption->editingFinished();
            pPanel->accept();
        });
        editor()->showPicturePanel(3);
        QVERIFY(bTaken);
        QCOMPARE(rowsMeanwhile, before);
        QCOMPARE(m_fixture.album().optionsAt(3).caption.text, QStringLiteral("Row three"));
        QTRY_VERIFY_WITH_TIMEOUT(
            rows() == QStringList{doc.pictures.first().file} && editor()->workflow().idle(), 20000);
        QCOMPARE(editor()->documentPath(), album);
        editor()->undo();
        QCOMPARE(rows(), before);
        QCOMPARE(m_fixture.album().optionsAt(3).caption.text, QStringLiteral("Row three"));

        // The restore question: pictures handed over meanwhile are imported after the answer.
        const QString state = path(QStringLiteral("state-handed"));
        QDir().mkpath(state);
        QVERIFY(testmedia::writeBytes(QDir(state).filePath(QStringLiteral("autosave.vmalbum")),
                                      serializeAlbum(doc, state)));
        m_fixture.destroyEditor();
        m_fixture.createEditor();
        const QString given = path(QStringLiteral("given.jpg"));
        QVERIFY(testmedia::writeJpeg(given, 320, 240));
        int iRowsDuringQuestion = -1;
        QTimer::singleShot(50, this, [&] {
            auto *pQuestion =
                qobject_cast<ShareCode::CQDlgTipSimple *>(QApplication::activeModalWidget());
            QVERIFY(pQuestion);
            QVERIFY(editor()->openFiles({given}));
            QTest::qWait(600);
            iRowsDuringQuestion = rows().size();
            pQuestion->accept();
        });
        editor()->startSession(state);
        QCOMPARE(iRowsDuringQuestion, 0);
        QTRY_VERIFY_WITH_TIMEOUT(rows() == QStringList{given} && editor()->workflow().idle(),
                                 20000);
        editor()->undo();
        QCOMPARE(rows(), QStringList{doc.pictures.first().file});
        editor()->endSession();
    }

    // The picture panel, as a user reaches it (Enter on a tile): a change applies at once and
    // marks the tile, "Apply to all" reaches every picture, and the panel's changes are one undo
    // step.
    void picturePanelEditsAndUndo()
    {
        importPictures(3);
        Album &job = m_fixture.album();
        const int iSteps = stack()->count();
        auto *pList = form()->imageSourceList;
        pList->setCurrentIndex(pList->model()->index(1, 0));
        QTimer::singleShot(50, this, [this] {
            auto *pPanel = qobject_cast<PicturePanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            // Until a change, the player keeps the album's cover; then it shows this picture.
            QCOMPARE(editor()->viewer()->coverPicture.load(), 0);
            pPanel->findChild<QComboBox *>(QStringLiteral("comboPictureFill"))->setCurrentIndex(2);
            QCOMPARE(editor()->viewer()->coverPicture.load(), 1);
            pPanel->findChild<QComboBox *>(QStringLiteral("comboPictureFill"))->setCurrentIndex(0);
            auto *pOwn = pPanel->findChild<QCheckBox *>(QStringLiteral("checkOwnDuration"));
            auto *pDuration =
                pPanel->findChild<QDoubleSpinBox *>(QStringLiteral("spinPictureDuration"));
            auto *pTransition =
                pPanel->findChild<QComboBox *>(QStringLiteral("comboPictureTransition"));
            pOwn->setChecked(true);
            pDuration->setValue(1.5);
            pTransition->setCurrentIndex(1); // none: a cut
            pPanel->findChild<QPushButton *>(QStringLiteral("btnTransitionToAll"))->click();
            pPanel->accept();
        });
        QTest::keyClick(pList, Qt::Key_Return);
        QCOMPARE(editor()->viewer()->coverPicture.load(), 0); // the album's cover again
        QCOMPARE(job.pictureDuration(1), qint64(1500000));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(job.optionsAt(i).transition, TransitionChoice::None);
        QCOMPARE(editor()->player()->totalDurationMs(), 3000 + 1500 + 3000);
        QVERIFY(pList->model()->index(1, 0).data(ImageListView::OwnSettingsRole).toBool());
        QCOMPARE(stack()->count(), iSteps + 1);
        // A second opening is a step of its own.
        QTimer::singleShot(50, this, [] {
            auto *pPanel = qobject_cast<PicturePanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            pPanel->findChild<QComboBox *>(QStringLiteral("comboPictureTransition"))
                ->setCurrentIndex(0);
            pPanel->accept();
        });
        QTest::keyClick(pList, Qt::Key_Return);
        QCOMPARE(job.optionsAt(1).transition, TransitionChoice::Random);
        QCOMPARE(stack()->count(), iSteps + 2);
        editor()->undo();
        QCOMPARE(job.optionsAt(1).transition, TransitionChoice::None);
        editor()->undo();
        QVERIFY(job.optionsAt(1).isDefault());
        QVERIFY(!pList->model()->index(1, 0).data(ImageListView::OwnSettingsRole).toBool());
        QCOMPARE(editor()->player()->totalDurationMs(), 3000 * 3 + 2000 * 2);
    }

    // Looks from the panel: a custom motion dragged on the picture, a caption and a fill; the
    // motion goes to every picture; the album's gentle motion from the menu; each undoable.
    void pictureLooksAndAlbumLook()
    {
        importPictures(3);
        Album &job = m_fixture.album();
        const int iSteps = stack()->count();
        auto *pList = form()->imageSourceList;
        pList->setCurrentIndex(pList->model()->index(0, 0));
        QTimer::singleShot(50, this, [] {
            auto *pPanel = qobject_cast<PicturePanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            auto *pMotion = pPanel->findChild<QComboBox *>(QStringLiteral("comboPictureMotion"));
            pMotion->setCurrentIndex(pMotion->findData(int(MotionKind::Custom)));
            // The end rectangle (a zoom in's, centred) dragged 30 pixels to the right.
            QWidget *pView = pPanel->findChild<QWidget *>(QStringLiteral("labelPicture"));
            const QPointF at(pView->width() / 2.0, pView->height() / 2.0);
            auto send = [pView](QEvent::Type type, QPointF pos, Qt::MouseButtons buttons) {
                QMouseEvent e(type, pos, pView->mapToGlobal(pos.toPoint()), Qt::LeftButton, buttons,
                              Qt::NoModifier);
                QApplication::sendEvent(pView, &e);
            };
            send(QEvent::MouseButtonPress, at, Qt::LeftButton);
            send(QEvent::MouseMove, at + QPointF(30, 0), Qt::LeftButton);
            send(QEvent::MouseButtonRelease, at + QPointF(30, 0), Qt::NoButton);
            auto *pCaption = pPanel->findChild<QLineEdit *>(QStringLiteral("editCaption"));
            pCaption->setText(QStringLiteral("海边"));
            emit pCaption->editingFinished();
            auto *pFill = pPanel->findChild<QComboBox *>(QStringLiteral("comboPictureFill"));
            pFill->setCurrentIndex(pFill->findData(int(FillKind::Blur)));
            // Drawn as the video shows it: the red 4:3 picture's blurred copy beside it in the
            // 16:9 frame, where the bare box would be dark grey.
            const QImage shown = pView->grab().toImage();
            const QRgb beside = shown.pixel(10, shown.height() / 2);
            QVERIFY2(qRed(beside) > qGreen(beside) + 30, qPrintable(QString::number(beside, 16)));
            pPanel->findChild<QPushButton *>(QStringLiteral("btnMotionToAll"))->click();
            pPanel->accept();
        });
        QTest::keyClick(pList, Qt::Key_Return);
        const PictureOptions first = job.optionsAt(0);
        QCOMPARE(first.motion.kind, MotionKind::Custom);
        QVERIFY(first.motion.to.x() > 0.15); // a zoom in's end starts at 0.1
        QVERIFY(motionRectValid(first.motion.to));
        QCOMPARE(first.caption.text, QStringLiteral("海边"));
        QCOMPARE(first.fill.kind, FillKind::Blur);
        for (int i = 1; i < 3; ++i) {
            QCOMPARE(job.optionsAt(i).motion, first.motion);
            QVERIFY(job.optionsAt(i).caption.isEmpty());
            QCOMPARE(job.optionsAt(i).fill.kind, FillKind::Album);
        }
        QCOMPARE(stack()->count(), iSteps + 1);

        // The album's look, from the menu: one step each.
        auto *pLook = editor()->findChild<QMenu *>(QStringLiteral("menuLook"));
        QVERIFY(pLook);
        emit pLook->aboutToShow();
        QAction *pGentle = nullptr;
        for (QAction *a : pLook->actions())
            if (a->text() == QStringLiteral("Gentle motion on every picture"))
                pGentle = a;
        QVERIFY(pGentle && !pGentle->isChecked());
        pGentle->trigger();
        QVERIFY(job.gentleMotion);
        QCOMPARE(stack()->count(), iSteps + 2);
        editor()->undo();
        QVERIFY(!job.gentleMotion);
        // Faces kept and the crop, each one step.
        emit pLook->aboutToShow();
        QAction *pFaces = nullptr, *pCrop = nullptr;
        for (QAction *a : pLook->actions()) {
            if (a->text() == QStringLiteral("Keep faces in frame"))
                pFaces = a;
            if (a->text() == QStringLiteral("Crop"))
                pCrop = a;
        }
        QVERIFY(pFaces && pCrop && !pFaces->isChecked() && !pCrop->isChecked());
        pFaces->trigger();
        QVERIFY(job.keepFaces);
        QCOMPARE(stack()->count(), iSteps + 2);
        pCrop->trigger();
        QCOMPARE(job.albumFill.kind, FillKind::Crop);
        QCOMPARE(stack()->count(), iSteps + 3);
        editor()->undo();
        QCOMPARE(job.albumFill.kind, FillKind::Black);
        editor()->undo();
        QVERIFY(!job.keepFaces);
        editor()->undo();
        for (int i = 0; i < 3; ++i)
            QVERIFY(job.optionsAt(i).isDefault());
        editor()->redo();
        QCOMPARE(job.optionsAt(2).motion, first.motion);
    }

    // The music settings, from the menu: disabled without music; each change is an undo step
    // of its own that the saved album shows; the fit sets every picture's time so that the
    // album lasts as long as the music after its start, and is undone as one step.
    void musicSettingsEditsAndUndo()
    {
        importPictures(2);
        Album &job = m_fixture.album();
        QAction *pMusic = action(QStringLiteral("Music settings…"));
        QVERIFY(pMusic);
        QVERIFY(!pMusic->isEnabled());
        const QString music = path(QStringLiteral("tune.mp3"));
        QVERIFY(testmedia::writeMp3(music, 12));
        m_fixture.chosen = QStringList{music};
        form()->ratioCustomMusic->click();
        QCOMPARE(job.musicPath, music);
        QVERIFY(pMusic->isEnabled());
        const int iSteps = stack()->count();
        const int64_t before = job.totalDuration;

        QTimer::singleShot(50, this, [] {
            auto *pPanel = qobject_cast<MusicPanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            for (const char *szName :
                 {"spinMusicStart", "spinMusicFadeIn", "spinMusicFadeOut", "spinMusicVolume"}) {
                auto *pBox = pPanel->findChild<QAbstractSpinBox *>(QLatin1String(szName));
                QVERIFY2(pBox && !pBox->accessibleName().isEmpty(), szName);
            }
            pPanel->findChild<QDoubleSpinBox *>(QStringLiteral("spinMusicStart"))->setValue(2);
            pPanel->findChild<QDoubleSpinBox *>(QStringLiteral("spinMusicFadeOut"))->setValue(1.5);
            pPanel->findChild<QSpinBox *>(QStringLiteral("spinMusicVolume"))->setValue(80);
            auto *pFit = pPanel->findChild<QPushButton *>(QStringLiteral("btnFitToMusic"));
            QVERIFY(!pFit->accessibleName().isEmpty());
            pFit->click();
            pPanel->accept();
        });
        pMusic->trigger();
        QCOMPARE(job.musicShape, (MusicShape{2000000, 0, 1500000, 0.8}));
        QCOMPARE(stack()->count(), iSteps + 4);
        // 10 s of music left for two equal pictures and the slot between them.
        QVERIFY2(qAbs(job.totalDuration - 10000000) <= 40000,
                 qPrintable(QString::number(job.totalDuration)));
        QCOMPARE(job.pictureDuration(0), job.pictureDuration(1));
        QCOMPARE(editor()->player()->totalDurationMs(), totalDurationMs(job));
        QVERIFY(albumJson().contains("\"start\": 2, \"fadeOut\": 1.5, \"volume\": 0.8}"));

        editor()->undo(); // the fit
        QCOMPARE(job.totalDuration, before);
        QVERIFY(job.optionsAt(0).isDefault());
        QCOMPARE(job.musicShape.volume, 0.8);
        editor()->undo();
        editor()->undo();
        editor()->undo();
        QCOMPARE(job.musicShape, MusicShape());
        QVERIFY(albumJson().contains("tune.mp3\"},"));
        editor()->redo();
        QCOMPARE(job.musicShape.start, qint64(2000000));
        QCOMPARE(job.musicShape.fadeOut, qint64(0));
        job.musicShape = MusicShape();
    }

    // The music list in the panel: add, move, remove and the crossfade, one undo step each,
    // the panel showing the album after every edit; undo gives the single track back as it was.
    void musicListEditsAndUndo()
    {
        importPictures(2);
        Album &job = m_fixture.album();
        const QString one = path(QStringLiteral("one.mp3"));
        const QString two = path(QStringLiteral("two.mp3"));
        const QString three = path(QStringLiteral("three.mp3"));
        for (const QString &music : {one, two, three})
            QVERIFY(testmedia::writeMp3(music, 3));
        m_fixture.chosen = QStringList{one};
        form()->ratioCustomMusic->click();
        const QByteArray single = albumJson();
        const int iSteps = stack()->count();

        QTimer::singleShot(50, this, [this, two, three] {
            auto *pPanel = qobject_cast<MusicPanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            auto *pList = pPanel->findChild<QListWidget *>(QStringLiteral("listMusicTracks"));
            const auto button = [pPanel](const char *szName) {
                return pPanel->findChild<QPushButton *>(QLatin1String(szName));
            };
            auto *pFade = pPanel->findChild<QDoubleSpinBox *>(QStringLiteral("spinMusicCrossfade"));
            QVERIFY(pList->count() == 1 && !button("btnRemoveTrack")->isEnabled());
            m_fixture.chosen = QStringList{two};
            button("btnAddTrack")->click();
            m_fixture.chosen = QStringList{three};
            button("btnAddTrack")->click();
            pList->setCurrentRow(2);
            button("btnTrackUp")->click();
            QCOMPARE(pList->item(1)->text(), QStringLiteral("three.mp3"));
            pList->setCurrentRow(0);
            button("btnRemoveTrack")->click();
            pFade->setValue(3);
            pPanel->accept();
        });
        action(QStringLiteral("Music settings…"))->trigger();
        QCOMPARE(job.musicTracks(), (QStringList{three, two}));
        QCOMPARE(job.musicCrossfade, int64_t(3000000));
        QCOMPARE(stack()->count(), iSteps + 5);
        QVERIFY(albumJson().contains(R"(, "crossfade": 3},)"));
        QVERIFY(form()->labelBackgroundMusicName->text().endsWith(QStringLiteral("and 1 more")));

        editor()->undo();
        QCOMPARE(job.musicCrossfade, kDefaultMusicCrossfade);
        editor()->undo();
        QCOMPARE(job.musicTracks(), (QStringList{one, three, two}));
        editor()->undo();
        QCOMPARE(job.musicTracks(), (QStringList{one, two, three}));
        editor()->undo();
        editor()->undo();
        QCOMPARE(job.musicTracks(), QStringList{one});
        QCOMPARE(albumJson(), single);
        editor()->redo();
        QCOMPARE(job.musicTracks(), (QStringList{one, two}));
    }

    // Each picture's own timing comes in with the album, goes out with the next save, and goes
    // with the opening's undo.
    void pictureSettingsSurviveOpenAndSave()
    {
        StoredAlbum doc;
        for (const char *szName : {"p.jpg", "q.jpg", "r.jpg"}) {
            doc.pictures << AlbumPicture{path(QString::fromLatin1(szName)), -1};
            QVERIFY(testmedia::writeJpeg(doc.pictures.last().file, 320, 240));
        }
        doc.pictures[0].transition = TransitionChoice::None;
        doc.pictures[1].duration = 1500000;
        doc.pictures[1].transitionRow = 9;
        doc.pictures[1].transition = TransitionChoice::Chosen;
        doc.pictures[1].transitionLength = 1000000;
        const QString album = path(QStringLiteral("timed.vmalbum"));
        QString szError;
        QVERIFY2(writeAlbumFile(album, doc, &szError), qPrintable(szError));
        QVERIFY(editor()->openAlbumFile(album));
        QTRY_VERIFY_WITH_TIMEOUT(editor()->workflow().idle(), 20000);
        Album &job = m_fixture.album();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(job.optionsAt(i), doc.pictures[i].options());
        // 3 + 0 + 1.5 + 1 + 3 seconds.
        QCOMPARE(editor()->player()->totalDurationMs(), 8500);
        const StoredAlbum saved = editor()->storedAlbum();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(saved.pictures[i].options(), doc.pictures[i].options());
        editor()->undo();
        QVERIFY(job.pictureOptions.isEmpty());
    }

    // The panel's caption field takes 500 characters; a longer caption from an album file is
    // kept whole through the panel's other changes.
    void captionFieldLength()
    {
        StoredAlbum doc;
        for (const char *szName : {"c1.jpg", "c2.jpg"}) {
            doc.pictures << AlbumPicture{path(QString::fromLatin1(szName)), -1};
            QVERIFY(testmedia::writeJpeg(doc.pictures.last().file, 320, 240));
        }
        doc.pictures[1].caption.text = QString(700, QLatin1Char('w'));
        const QString album = path(QStringLiteral("captions.vmalbum"));
        QString szError;
        QVERIFY2(writeAlbumFile(album, doc, &szError), qPrintable(szError));
        QVERIFY(editor()->openAlbumFile(album));
        QTRY_VERIFY_WITH_TIMEOUT(editor()->workflow().idle(), 20000);
        Album &job = m_fixture.album();
        auto *pList = form()->imageSourceList;
        auto edit = [&](int iRow, const std::function<void(PicturePanel *)> &change) {
            pList->setCurrentIndex(pList->model()->index(iRow, 0));
            QTimer::singleShot(50, this, [change] {
                auto *pPanel = qobject_cast<PicturePanel *>(QApplication::activeModalWidget());
                QVERIFY(pPanel);
                change(pPanel);
                pPanel->accept();
            });
            QTest::keyClick(pList, Qt::Key_Return);
        };
        edit(0, [](PicturePanel *pPanel) {
            auto *pCaption = pPanel->findChild<QLineEdit *>(QStringLiteral("editCaption"));
            pCaption->setFocus();
            QTest::keyClicks(pCaption, QString(600, QLatin1Char('a')));
            emit pCaption->editingFinished();
        });
        QCOMPARE(job.optionsAt(0).caption.text, QString(500, QLatin1Char('a')));
        edit(1, [](PicturePanel *pPanel) {
            pPanel->findChild<QSpinBox *>(QStringLiteral("spinCaptionSize"))->setValue(9);
            auto *pCaption = pPanel->findChild<QLineEdit *>(QStringLiteral("editCaption"));
            QTest::keyClicks(pCaption, QStringLiteral("more"));
            emit pCaption->editingFinished();
        });
        QCOMPARE(job.optionsAt(1).caption.text, QString(700, QLatin1Char('w')));
        QCOMPARE(job.optionsAt(1).caption.sizeOfHeight, 0.09);
    }

    // An album opened through a link finds its pictures beside the real file, and Save writes
    // the real file: the link stays a link, and the window still names the album by it.
    void saveThroughALink()
    {
        const QString shelf = path(QStringLiteral("shelf"));
        const QString desk = path(QStringLiteral("desk"));
        QVERIFY(QDir().mkpath(shelf) && QDir().mkpath(desk));
        StoredAlbum doc;
        for (const char *szName : {"one.jpg", "two.jpg"}) {
            doc.pictures << AlbumPicture{QDir(shelf).filePath(QString::fromLatin1(szName)), -1};
            QVERIFY(testmedia::writeJpeg(doc.pictures.last().file, 320, 240));
        }
        const QString real = QDir(shelf).filePath(QStringLiteral("B.vmalbum"));
        QString szError;
        QVERIFY2(writeAlbumFile(real, doc, &szError), qPrintable(szError));
        const QString link = QDir(desk).filePath(QStringLiteral("B.vmalbum"));
        QVERIFY(QFile::link(QStringLiteral("../shelf/B.vmalbum"), link));
        int iReports = 0; // of pictures not found
        QTimer reader;
        connect(&reader, &QTimer::timeout, this, [&] {
            if (auto *pReport = qobject_cast<FailDialog *>(QApplication::activeModalWidget())) {
                ++iReports;
                pReport->reject();
            }
        });
        reader.start(20);

        QVERIFY(editor()->openAlbumFile(link));
        QTRY_VERIFY_WITH_TIMEOUT(editor()->workflow().idle(), 20000);
        QCOMPARE(iReports, 0);
        QCOMPARE(m_fixture.album().materialOrder,
                 (QStringList{doc.pictures[0].file, doc.pictures[1].file}));
        form()->boxImageDuration->setValue(8);
        action(QStringLiteral("Save"))->trigger();
        QVERIFY(stack()->isClean());
        QCOMPARE(editor()->documentPath(), link);
        QVERIFY(QFileInfo(link).isSymLink());
        const AlbumReadResult saved = readAlbumFile(real);
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(saved.album.durationSeconds, 8);
        QCOMPARE(saved.album.pictures.size(), 2);
        QCOMPARE(saved.album.pictures[0].file, doc.pictures[0].file);
        QCOMPARE(saved.album.pictures[1].file, doc.pictures[1].file);
        // Beside the real file, so stored by name.
        QFile text(real);
        QVERIFY(text.open(QIODevice::ReadOnly));
        QVERIFY(text.readAll().contains("{\"file\": \"two.jpg\"}"));
    }

    // A file that cannot be read is refused with what is wrong, and the album stays; a missing
    // picture is named, and the album opens with the rest.
    void hostileFilesAndMissingPictures()
    {
        importPictures(2);
        const QByteArray before = albumJson();
        const QString broken = path(QStringLiteral("broken.vmalbum"));
        QVERIFY(testmedia::writeBytes(broken, "{\"velmoraalbum\": 1, \"pictures\": 7}"));
        QVERIFY(!editor()->openAlbumFile(broken));
        auto *pFail = ShareCode::QtInversionWidget::instance()->findChild<FailDialog *>();
        QVERIFY(pFail && pFail->errorList());
        QVERIFY2(pFail->errorList()->toPlainText().contains(QStringLiteral("pictures")),
                 qPrintable(pFail->errorList()->toPlainText()));
        QCOMPARE(albumJson(), before);
        QVERIFY(editor()->workflow().idle());
        delete pFail;

        StoredAlbum doc;
        const QString good = path(QStringLiteral("good.jpg"));
        QVERIFY(testmedia::writeJpeg(good, 320, 240));
        doc.pictures = {AlbumPicture{path(QStringLiteral("gone.jpg")), 4}, AlbumPicture{good, -1}};
        const QString file = path(QStringLiteral("half.vmalbum"));
        QString szError;
        QVERIFY2(writeAlbumFile(file, doc, &szError), qPrintable(szError));
        QStringList reported;
        QTimer reader;
        connect(&reader, &QTimer::timeout, this, [&] {
            if (auto *pReport = qobject_cast<FailDialog *>(QApplication::activeModalWidget())) {
                reported = pReport->errorList()->toPlainText().split(QLatin1Char('\n'));
                pReport->reject();
            }
        });
        reader.start(20);
        QVERIFY(editor()->openAlbumFile(file));
        QTRY_VERIFY_WITH_TIMEOUT(editor()->workflow().idle(), 20000);
        QCOMPARE(reported.size(), 1);
        QVERIFY2(reported.first().startsWith(QStringLiteral("gone.jpg: ")),
                 qPrintable(reported.first()));
        QCOMPARE(m_fixture.album().materialOrder, QStringList{good});
    }

    // Every edit reaches the autosave; a session that ended without the quit question offers the
    // album back at the next start, with its time and size; Discard forgets it.
    void autosaveAndRestore()
    {
        const QString state = path(QStringLiteral("state"));
        editor()->startSession(state);
        importPictures(2);
        form()->boxImageDuration->setValue(9);
        const QString autosave = QDir(state).filePath(QStringLiteral("autosave.vmalbum"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(autosave) &&
                                     readAlbumFile(autosave).album.durationSeconds == 9,
                                 5000);
        const QByteArray edited = albumJson();
        // A crash: the files stay behind (here copied back after the clean teardown).
        const QByteArray kept = [&] {
            QFile f(autosave);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        m_fixture.destroyEditor();
        QVERIFY(!QFileInfo::exists(autosave)); // a clean end keeps nothing
        QVERIFY(testmedia::writeBytes(autosave, kept));
        QVERIFY(testmedia::writeBytes(QDir(state).filePath(QStringLiteral("session.pid")),
                                      QByteArray::number(QCoreApplication::applicationPid())));

        m_fixture.createEditor();
        EditorFixture::answerQuestion(true);
        editor()->startSession(state);
        QTRY_VERIFY_WITH_TIMEOUT(
            editor()->workflow().idle() && m_fixture.album().materialOrder.size() == 2, 20000);
        QCOMPARE(albumJson(), edited);
        QVERIFY(!stack()->isClean() || editor()->documentPath().isEmpty());

        // Discarded: nothing offered the next time.
        m_fixture.destroyEditor();
        QVERIFY(testmedia::writeBytes(autosave, kept));
        m_fixture.createEditor();
        EditorFixture::answerQuestion(false);
        editor()->startSession(state);
        QTest::qWait(200);
        QVERIFY(m_fixture.album().materialOrder.isEmpty());
        QVERIFY(!QFileInfo::exists(autosave));
    }

    // Only a live copy of the program holds the session: a left-behind id that a live process
    // has since taken (here the test's parent) blocks nothing; a copy in another process that
    // holds the lock keeps restore and autosave to itself until it dies, even by SIGKILL; an
    // ended session lets go.
    void sessionIsHeldByALiveCopyOnly()
    {
        const QString state = path(QStringLiteral("state"));
        QVERIFY(QDir().mkpath(state));
        const QString session = QDir(state).filePath(QStringLiteral("session.pid"));
        const QString autosave = QDir(state).filePath(QStringLiteral("autosave.vmalbum"));
        StoredAlbum doc;
        for (const char *szName : {"s1.jpg", "s2.jpg"}) {
            doc.pictures << AlbumPicture{path(QString::fromLatin1(szName)), -1};
            QVERIFY(testmedia::writeJpeg(doc.pictures.last().file, 320, 240));
        }
        QString szError;
        QVERIFY2(writeAlbumFile(autosave, doc, &szError), qPrintable(szError));
        int iAsked = 0;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, [&] {
            if (auto *pQuestion =
                    qobject_cast<ShareCode::CQDlgTipSimple *>(QApplication::activeModalWidget())) {
                ++iAsked;
                pQuestion->accept();
            }
        });
        answerer.start(20);
        const auto restored = [&] {
            return editor()->workflow().idle() &&
                   m_fixture.album().materialOrder ==
                       QStringList{doc.pictures[0].file, doc.pictures[1].file};
        };

        QVERIFY(testmedia::writeBytes(session, QByteArray::number(qint64(::getppid()))));
        editor()->startSession(state);
        QCOMPARE(iAsked, 1);
        QTRY_VERIFY_WITH_TIMEOUT(restored(), 20000);
        QVERIFY(!lockFree(session)); // held while the session runs
        m_fixture.destroyEditor();
        QVERIFY(lockFree(session));

        // Another copy runs: nothing offered, nothing autosaved, the autosave left as it is.
        QVERIFY(writeAlbumFile(autosave, doc, &szError));
        const pid_t holder = holdLock(session);
        QVERIFY(holder > 0);
        auto reap = qScopeGuard([holder] {
            ::kill(holder, SIGKILL);
            ::waitpid(holder, nullptr, 0);
        });
        QVERIFY(testmedia::writeBytes(session, QByteArray::number(qint64(holder))));
        const QByteArray kept = readAll(autosave);
        m_fixture.createEditor();
        editor()->startSession(state);
        importPictures(1);
        QTest::qWait(2500); // past the autosave's delay
        QCOMPARE(iAsked, 1);
        QCOMPARE(readAll(autosave), kept);
        m_fixture.destroyEditor();
        QCOMPARE(readAll(autosave), kept); // not the ending session's to remove

        // Killed: the system let go of its lock, and the album is offered back.
        ::kill(holder, SIGKILL);
        QCOMPARE(::waitpid(holder, nullptr, 0), holder);
        reap.dismiss();
        m_fixture.createEditor();
        editor()->startSession(state);
        QCOMPARE(iAsked, 2);
        QTRY_VERIFY_WITH_TIMEOUT(restored(), 20000);
    }

    // About names the licence and carries its whole text.
    void aboutShowsTheLicence()
    {
        QString shown;
        QString licence;
        QTimer reader;
        connect(&reader, &QTimer::timeout, this, [&] {
            QWidget *pModal = QApplication::activeModalWidget();
            if (!pModal || pModal->objectName() != QLatin1String("AboutDialog"))
                return;
            for (QLabel *pLabel : pModal->findChildren<QLabel *>())
                shown += pLabel->text();
            if (auto *pText = pModal->findChild<QPlainTextEdit *>(QStringLiteral("editLicence")))
                licence = pText->toPlainText();
            static_cast<QDialog *>(pModal)->reject();
        });
        reader.start(20);
        action(QStringLiteral("About"))->trigger();
        QVERIFY2(shown.contains(QStringLiteral("GPL-3.0-or-later")), qPrintable(shown));
        QVERIFY(
            licence.startsWith(QStringLiteral("                    GNU GENERAL PUBLIC LICENSE")));
        QVERIFY(licence.contains(QStringLiteral("Version 3, 29 June 2007")));
    }

    // Choosers start where a file of their kind was last chosen; albums opened or saved are
    // listed as recent, the latest first.
    void placesAndRecentAlbums()
    {
        Places::enable(path(QStringLiteral("config/VelmoraAlbum.conf")));
        const QString folder = path(QStringLiteral("pictures"));
        QDir().mkpath(folder);
        QString startedIn;
        const QString picture = QDir(folder).filePath(QStringLiteral("a.jpg"));
        QVERIFY(testmedia::writeJpeg(picture, 320, 240));
        FileChooser::setOpenFilesOverride(
            [&](const QString &, const QString &szFolder, const QString &, bool) {
                startedIn = szFolder;
                return QStringList{picture};
            });
        QVERIFY(QMetaObject::invokeMethod(editor(), "selectImageSources"));
        QTRY_VERIFY(editor()->workflow().idle() && !m_fixture.album().materialOrder.isEmpty());
        QCOMPARE(Places::startFolder(Places::Kind::Pictures), folder);
        action(QStringLiteral("Add pictures…"))->trigger();
        QCOMPARE(startedIn, folder);
        QTRY_COMPARE(m_fixture.album().materialOrder.size(), 2); // appended
        QTRY_VERIFY(editor()->workflow().idle());

        for (const char *szName : {"one.vmalbum", "two.vmalbum"}) {
            const QString file = path(QString::fromLatin1(szName));
            FileChooser::setSaveFileOverride(
                [file](const QString &, const QString &, const QString &) { return file; });
            QVERIFY(editor()->saveAlbumAs());
        }
        FileChooser::setSaveFileOverride({});
        QCOMPARE(Places::recentAlbums(), (QStringList{path(QStringLiteral("two.vmalbum")),
                                                      path(QStringLiteral("one.vmalbum"))}));
    }
};

QTEST_MAIN(TestZodoZadarDocument)
#include "tst_zodozadar_document.moc"
