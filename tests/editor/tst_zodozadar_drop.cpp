// Files dropped on the main window: pictures import through the file dialog's path, an MP3 on
// the music area becomes the music, anything else is refused with a notice.
#include "albumdocument.h"
#include "editorfixture.h"

#include "addimagebutton.h"
#include "album.h"
#include "albumfile.h"
#include "cqtoast.h"
#include "cqvideoplay.h"
#include "droppedfiles.h"
#include "faildialog.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"
#include "testmedia.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QFrame>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestZodoZadarDrop : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFixture m_fixture;
    QStringList m_failTitles;
    QStringList m_failDetails; // the list of each report, as shown
    QStringList m_progressTexts;
    Qt::DropAction m_lastAction = Qt::IgnoreAction;

    Ui::ZodoZadarClass *form() const { return m_fixture.form(); }
    QAbstractItemModel *rows() const { return form()->imageSourceList->model(); }

    QString path(const QString &szName) const { return m_dir.filePath(szName); }
    QString jpeg(const QString &szName)
    {
        testmedia::writeJpeg(path(szName), 320, 240);
        return path(szName);
    }

    static QMimeData *files(const QStringList &paths)
    {
        auto *pMime = new QMimeData;
        QList<QUrl> urls;
        for (const QString &szPath : paths)
            urls << (szPath.contains(QLatin1String("://")) ? QUrl(szPath)
                                                           : QUrl::fromLocalFile(szPath));
        pMime->setUrls(urls);
        return pMime;
    }

    // Events sent to the widget under the cursor, as the window system delivers them: Qt hands
    // them on to the widget that takes drops.
    bool dragEnter(QWidget *pOver, const QMimeData *pMime,
                   Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction)
    {
        QDragEnterEvent enter(pOver->rect().center(), actions, pMime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(pOver, &enter);
        m_lastAction = enter.dropAction();
        return enter.isAccepted();
    }
    bool dragMove(QWidget *pOver, const QMimeData *pMime)
    {
        QDragMoveEvent move(pOver->rect().center(), Qt::CopyAction | Qt::MoveAction, pMime,
                            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pOver, &move);
        return move.isAccepted();
    }
    bool drop(QWidget *pOver, const QMimeData *pMime)
    {
        QDropEvent dropEvent(pOver->rect().center(), Qt::CopyAction | Qt::MoveAction, pMime,
                             Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pOver, &dropEvent);
        m_lastAction = dropEvent.dropAction();
        return dropEvent.isAccepted();
    }
    static void dragLeave(QWidget *pOver)
    {
        QDragLeaveEvent leave;
        QApplication::sendEvent(pOver, &leave);
    }

    QFrame *highlight() const
    {
        return m_fixture.editor->findChild<QFrame *>(QStringLiteral("frameDropTarget"));
    }
    // The area the highlight stands over, or null when none is shown.
    QWidget *highlighted() const
    {
        QFrame *pFrame = highlight();
        if (!pFrame || !pFrame->isVisible())
            return nullptr;
        for (QWidget *pArea : {form()->divSource, form()->divMusic}) {
            if (pFrame->geometry().contains(
                    QRect(pArea->mapTo(m_fixture.editor, QPoint(0, 0)), pArea->size())))
                return pArea;
        }
        return pFrame;
    }
    QString toastText() const
    {
        for (auto *pToast : m_fixture.editor->findChildren<ShareCode::CQToast *>()) {
            if (pToast->isVisible())
                return pToast->text();
        }
        return QString();
    }

    // Drops the files on pOver and waits until the import they start, with its report, is over.
    void dropAndImport(QWidget *pOver, const QStringList &paths, int iRowsAfter)
    {
        std::unique_ptr<QMimeData> pMime(files(paths));
        QVERIFY(dragEnter(pOver, pMime.get()));
        QVERIFY(drop(pOver, pMime.get()));
        QCOMPARE(m_lastAction, Qt::CopyAction);
        QTRY_VERIFY_WITH_TIMEOUT(
            rows()->rowCount() == iRowsAfter && !m_fixture.editor->decoder()->running &&
                !ShareCode::QtInversionWidget::instance()->findChild<ProgressDialog *>() &&
                !QApplication::activeModalWidget(),
            30000);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *pProgress = qobject_cast<ProgressDialog *>(watched))
                m_progressTexts << pProgress->textPrefix();
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        m_fixture.createManagers();
        qApp->installEventFilter(this);
        // Failure reports are modal: read and close each one as it appears.
        auto *pTimer = new QTimer(this);
        connect(pTimer, &QTimer::timeout, this, [this] {
            if (auto *pFail = qobject_cast<FailDialog *>(QApplication::activeModalWidget())) {
                m_failTitles << pFail->findChild<QLabel *>(QStringLiteral("labelContent"))->text();
                if (pFail->errorList())
                    m_failDetails << pFail->errorList()->toPlainText();
                pFail->reject();
            }
        });
        pTimer->start(20);
    }

    void init()
    {
        m_failTitles.clear();
        m_failDetails.clear();
        m_progressTexts.clear();
        m_fixture.createEditor();
        // No chooser may open on a drop.
        m_fixture.answerChooser();
    }

    void cleanup()
    {
        m_fixture.destroyEditor();
        QVERIFY(!EditorFixture::holdsFilesIn(m_dir.path()));
    }

    // On the empty album and then on the strip: the file dialog's import, with its progress,
    // its clearing of the album before, and its failure report after.
    void picturesImport()
    {
        Album &job = m_fixture.album();
        const QString first = jpeg(QStringLiteral("first.jpg"));
        dropAndImport(form()->btnAddImage, {first}, 1);
        QCOMPARE(job.materialOrder, QList<QString>{first});
        QCOMPARE(m_progressTexts, QStringList{QStringLiteral("importing material... ")});
        QVERIFY(form()->btnExport->isEnabled());
        QVERIFY(m_failTitles.isEmpty());

        // The strip shows while its tile can still be dragged; an outside drop imports anew.
        const QString upper = path(QStringLiteral("IMG_0002.PNG"));
        QVERIFY(testmedia::writeImage(upper, testmedia::pattern(200, 300), "PNG"));
        const QString broken = path(QStringLiteral("BROKEN.JPG"));
        testmedia::writeBytes(broken, "these are not pixels");
        const QString second = jpeg(QStringLiteral("second.jpeg"));
        QWidget *pStrip = form()->imageSourceList->viewport();
        std::unique_ptr<QMimeData> pMime(files({upper, broken, second}));

        // Marked while over the window, unmarked when the drag leaves.
        QVERIFY(dragEnter(pStrip, pMime.get()));
        QCOMPARE(highlighted(), form()->divSource);
        QVERIFY(dragMove(pStrip, pMime.get()));
        dragLeave(pStrip);
        QCOMPARE(highlighted(), nullptr);

        dropAndImport(pStrip, {upper, broken, second}, 2);
        QCOMPARE(highlighted(), nullptr);
        QCOMPARE(job.materialOrder, (QList<QString>{upper, second}));
        QCOMPARE(m_progressTexts.size(), 2);
        QCOMPARE(m_failTitles, QStringList{QStringLiteral("Partial import failed...")});
        QCOMPARE(toastText(), QString());
        QCOMPARE(m_fixture.chooserCalls, 0);
    }

    // The kinds a phone's camera roll holds are pictures to a drop, whatever the case of their
    // names; the rest stays out.
    void phonePicturesDrop()
    {
        const QString webp = path(QStringLiteral("IMG_0003.WEBP"));
        QVERIFY(testmedia::ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"),
                                   QStringLiteral("-i"), QStringLiteral("testsrc=s=160x120"),
                                   QStringLiteral("-frames:v"), QStringLiteral("1"),
                                   QStringLiteral("-c:v"), QStringLiteral("libwebp"), webp}));
        dropAndImport(form()->btnAddImage, {webp}, 1);
        QCOMPARE(m_fixture.album().materialOrder, QList<QString>{webp});
        QVERIFY(m_failTitles.isEmpty());

        QList<QUrl> urls;
        for (const char *name : {"a.HEIC", "b.heif", "c.avif", "d.webp", "e.JPG", "f.gif", "heic"})
            urls << QUrl::fromLocalFile(path(QString::fromLatin1(name)));
        const DroppedFiles sorted = sortDroppedUrls(urls);
        QCOMPARE(sorted.pictures.size(), 5);
        QCOMPARE(sorted.others, 2);
    }

    // A name with a line break cannot go into an album file: such a picture is refused with the
    // reason, so that the album with the rest can be saved; such music likewise.
    void lineBreakNamesAreRefused()
    {
        Album &job = m_fixture.album();
        const QString good = jpeg(QStringLiteral("good.jpg"));
        const QString bad = jpeg(QStringLiteral("two\nlines.jpg"));
        dropAndImport(form()->btnAddImage, {bad, good}, 1);
        QCOMPARE(job.materialOrder, QList<QString>{good});
        QCOMPARE(m_failTitles, QStringList{QStringLiteral("Partial import failed...")});
        QCOMPARE(m_failDetails.size(), 1);
        QVERIFY2(m_failDetails.first().contains(QStringLiteral("its name has a line break")),
                 qPrintable(m_failDetails.first()));
        QString szError;
        QVERIFY2(writeAlbumFile(path(QStringLiteral("saved.vmalbum")),
                                m_fixture.editor->storedAlbum(), &szError),
                 qPrintable(szError));

        const QString music = path(QStringLiteral("Evening\rSong.mp3"));
        QVERIFY(testmedia::writeMp3(music, 1));
        std::unique_ptr<QMimeData> pMime(files({music}));
        QVERIFY(dragEnter(form()->divMusic, pMime.get()));
        QVERIFY(drop(form()->divMusic, pMime.get()));
        QTRY_COMPARE(toastText(),
                     QStringLiteral("Failed to add background music, because its name has a "
                                    "line break"));
        QVERIFY(job.musicPath.isEmpty());
        QCOMPARE(job.musicType, int(MusicNone));
    }

    // Pictures with other files: the pictures import, and a notice says the rest were left out.
    void mixtureLeavesOthersOut()
    {
        const QString picture = jpeg(QStringLiteral("c.jpg"));
        const QString notes = path(QStringLiteral("notes.txt"));
        testmedia::writeBytes(notes, "text");
        dropAndImport(form()->divPlayer, {notes, picture}, 1);
        QCOMPARE(m_fixture.album().materialOrder, QList<QString>{picture});
        QCOMPARE(toastText(),
                 QStringLiteral(
                     "Files that are not JPEG, PNG, HEIC, AVIF or WebP pictures were left out"));

        // While the export settings are up the album is theirs: no drop, and no notice either.
        form()->btnExport->click();
        auto *pExport = ShareCode::QtInversionWidget::instance()->findChild<QDialog *>();
        QVERIFY(pExport && pExport->isVisible());
        std::unique_ptr<QMimeData> pMime(files({picture}));
        QVERIFY(!dragEnter(form()->divSource, pMime.get()));
        QCOMPARE(highlighted(), nullptr);
        pExport->close();
    }

    // An album file opens wherever it lands, replacing the album as one undoable step; files
    // dropped beside it are left out with a notice; a broken one is refused and changes nothing.
    void albumFileOpens()
    {
        Album &job = m_fixture.album();
        const QString kept = jpeg(QStringLiteral("kept.jpg"));
        dropAndImport(form()->btnAddImage, {kept}, 1);

        StoredAlbum doc;
        doc.pictures = {AlbumPicture{jpeg(QStringLiteral("one.jpg")), -1},
                        AlbumPicture{jpeg(QStringLiteral("two.jpg")), -1}};
        doc.durationSeconds = 6;
        const QString album = path(QStringLiteral("trip.vmalbum"));
        QString szError;
        QVERIFY2(writeAlbumFile(album, doc, &szError), qPrintable(szError));
        const QString notes = path(QStringLiteral("notes.txt"));
        testmedia::writeBytes(notes, "text");
        std::unique_ptr<QMimeData> pMime(files({notes, album}));
        QVERIFY(dragEnter(form()->divPlayer, pMime.get()));
        QVERIFY(highlighted() != nullptr);
        QVERIFY(drop(form()->divPlayer, pMime.get()));
        QTRY_VERIFY_WITH_TIMEOUT(
            job.materialOrder.size() == 2 && m_fixture.editor->workflow().idle(), 20000);
        QCOMPARE(job.materialOrder.first(), doc.pictures.first().file);
        QCOMPARE(form()->boxImageDuration->value(), 6);
        QCOMPARE(toastText(),
                 QStringLiteral("An album file opens alone; the other files were left out"));
        m_fixture.editor->undo();
        QCOMPARE(job.materialOrder, QList<QString>{kept});

        const QString broken = path(QStringLiteral("broken.vmalbum"));
        testmedia::writeBytes(broken, "{\"velmoraalbum\": 1, \"pictures\": [");
        pMime.reset(files({broken}));
        QVERIFY(dragEnter(form()->divSource, pMime.get()));
        QVERIFY(drop(form()->divSource, pMime.get()));
        FailDialog *pFail = nullptr;
        QTRY_VERIFY((pFail = ShareCode::QtInversionWidget::instance()->findChild<FailDialog *>()));
        QCOMPARE(pFail->findChild<QLabel *>(QStringLiteral("labelContent"))->text(),
                 QStringLiteral("The album could not be opened"));
        delete pFail;
        QCOMPARE(job.materialOrder, QList<QString>{kept});
        QVERIFY(m_fixture.editor->workflow().idle());
    }

    // Music is taken over the music area only; elsewhere the cursor refuses and the area stays
    // marked as the place for it. The drop does what the music chooser does.
    void musicOnMusicArea()
    {
        Album &job = m_fixture.album();
        dropAndImport(form()->btnAddImage, {jpeg(QStringLiteral("p.jpg"))}, 1);
        const QString music = path(QStringLiteral("Evening Song.MP3"));
        QVERIFY(testmedia::writeMp3(music, 1));
        std::unique_ptr<QMimeData> pMime(files({music}));

        QVERIFY(dragEnter(form()->divSource, pMime.get()));
        QVERIFY(!dragMove(form()->divSource, pMime.get()));
        QCOMPARE(highlighted(), form()->divMusic);
        QVERIFY(dragMove(form()->divMusic, pMime.get()));
        QCOMPARE(highlighted(), form()->divMusic);
        QVERIFY(drop(form()->divMusic, pMime.get()));
        QCOMPARE(highlighted(), nullptr);

        QTRY_COMPARE(job.musicType, int(MusicCustom));
        QCOMPARE(job.musicPath, music);
        QVERIFY(m_fixture.editor->document()->heldFiles().handle(job.musicPath));
        QVERIFY(form()->ratioCustomMusic->isChecked());
        QCOMPARE(form()->divBackgroundOperate->currentWidget(), form()->pageCustomMusic);
        QCOMPARE(form()->labelBackgroundMusicName->text(), QStringLiteral("Evening Song.MP3"));
        QCOMPARE(m_fixture.chooserCalls, 0);
        QCOMPARE(toastText(), QString());

        // A second file replaces the first; the extra files are named in a notice.
        const QString other = path(QStringLiteral("other.mp3"));
        QVERIFY(testmedia::writeMp3(other, 1));
        std::unique_ptr<QMimeData> pTwo(files({other, music}));
        QVERIFY(dragEnter(form()->divMusic, pTwo.get()));
        QVERIFY(drop(form()->divMusic, pTwo.get()));
        QTRY_COMPARE(job.musicPath, other);
        QCOMPARE(form()->labelBackgroundMusicName->text(), QStringLiteral("other.mp3"));
        QCOMPARE(toastText(), QStringLiteral("Only one MP3 file is used as background music; "
                                             "the other files were left out"));
        QCOMPARE(rows()->rowCount(), 1);
    }

    // Music of other formats drops as MP3 does; the notice about extra files names no format
    // that was not dropped.
    void otherMusicOnMusicArea()
    {
        Album &job = m_fixture.album();
        dropAndImport(form()->btnAddImage, {jpeg(QStringLiteral("p.jpg"))}, 1);
        const QString flac = path(QStringLiteral("Night Song.FLAC"));
        QVERIFY(testmedia::writeSound(flac, QStringLiteral("0.5*sin(2*PI*440*t)"), 44100, 1,
                                      {QStringLiteral("-c:a"), QStringLiteral("flac")}));
        const QString opus = path(QStringLiteral("morning.opus"));
        QVERIFY(testmedia::writeSound(opus, QStringLiteral("0.5*sin(2*PI*440*t)"), 48000, 1,
                                      {QStringLiteral("-c:a"), QStringLiteral("libopus")}));
        std::unique_ptr<QMimeData> pMime(files({flac}));
        QVERIFY(dragEnter(form()->divMusic, pMime.get()));
        QVERIFY(drop(form()->divMusic, pMime.get()));
        QTRY_COMPARE(job.musicPath, flac);
        QCOMPARE(job.musicType, int(MusicCustom));
        QCOMPARE(toastText(), QString());

        std::unique_ptr<QMimeData> pTwo(files({opus, flac}));
        QVERIFY(dragEnter(form()->divMusic, pTwo.get()));
        QVERIFY(drop(form()->divMusic, pTwo.get()));
        QTRY_COMPARE(job.musicPath, opus);
        QCOMPARE(toastText(), QStringLiteral("Only one music file is used as background music; "
                                             "the other files were left out"));
    }

    // Refused on entry, so the cursor shows it; files get a notice, other drags pass silently.
    void refusals_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QByteArray>("format"); // a drag without files, when set
        QTest::addColumn<int>("actions");
        QTest::addColumn<QString>("toast");
        const int copyMove = Qt::CopyAction | Qt::MoveAction;
        const QString other = QStringLiteral(
            "Only pictures (JPEG, PNG, HEIC, AVIF, WebP), or a music file on the background music "
            "area, can be dropped here");
        QTest::newRow("text files") << QStringList{"notes.txt", "photo.jpg.txt", "jpg"}
                                    << QByteArray() << copyMove << other;
        QTest::newRow("folder named like a picture")
            << QStringList{"album.jpg"} << QByteArray() << copyMove << other;
        QTest::newRow("remote picture")
            << QStringList{"https://example.org/a.jpg"} << QByteArray() << copyMove << other;
        QTest::newRow("music before pictures")
            << QStringList{"song.mp3"} << QByteArray() << copyMove
            << QStringLiteral("Add pictures first, then drop the music on the background music "
                              "area");
        // Accepting a move would let the file manager delete the original.
        QTest::newRow("move only")
            << QStringList{"a.jpg"} << QByteArray() << int(Qt::MoveAction) << QString();
        QTest::newRow("strip tile passing by")
            << QStringList() << QByteArray("application/x-qstandarditemmodeldatalist") << copyMove
            << QString();
        QTest::newRow("text") << QStringList() << QByteArray("text/plain") << copyMove << QString();
    }
    void refusals()
    {
        QFETCH(QStringList, names);
        QFETCH(QByteArray, format);
        QFETCH(int, actions);
        QFETCH(QString, toast);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("album.jpg")));
        std::unique_ptr<QMimeData> pMime;
        if (format.isEmpty()) {
            QStringList paths;
            for (const QString &szName : names) {
                paths << (szName.contains(QLatin1String("://")) ? szName : path(szName));
                if (!szName.contains(QLatin1String("://")) && !QFileInfo(paths.last()).isDir())
                    testmedia::writeBytes(paths.last(), "x");
            }
            pMime.reset(files(paths));
        } else {
            pMime = std::make_unique<QMimeData>();
            pMime->setData(QString::fromLatin1(format), "data");
        }
        QVERIFY(!dragEnter(form()->btnAddImage, pMime.get(), Qt::DropActions(QFlag(actions))));
        QCOMPARE(highlighted(), nullptr);
        QCOMPARE(toastText(), toast);
        QCOMPARE(rows()->rowCount(), 0);
        QVERIFY(!ShareCode::QtInversionWidget::instance()->findChild<ProgressDialog *>());
    }
};

QTEST_MAIN(TestZodoZadarDrop)
#include "tst_zodozadar_drop.moc"
