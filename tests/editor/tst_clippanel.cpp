// The picture panel for a video clip: frame-exact trim on the scrub bar (keys and dragging), the
// clip's sound and speed, one change per action, and in the editor one undo step per opening, the
// tile's length mark, and the options through saving and opening the album file; the music under
// clips with sound in the music panel.
#include "albumdocument.h"
#include "editorfixture.h"

#include "album.h"
#include "albumfile.h"
#include "albumops.h"
#include "clipsource.h"
#include "cliptrimbar.h"
#include "cqvideoplay.h"
#include "exportsettingdialog.h"
#include "imagelistitemdelegate.h"
#include "imagelistview.h"
#include "musicpanel.h"
#include "picturepanel.h"
#include "qtinversionwidget.h"
#include "testmedia.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

Q_DECLARE_METATYPE(PictureOptions)

namespace {
// A 4 s clip at 25 frames a second; with a tone unless bSilent.
bool writeClip(const QString &path, bool bSilent)
{
    QStringList args{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("testsrc2=size=320x240:rate=25:duration=4")};
    if (!bSilent)
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << QStringLiteral("sine=frequency=440:duration=4") << QStringLiteral("-c:a")
             << QStringLiteral("aac");
    args << QStringLiteral("-c:v") << QStringLiteral("libx264") << QStringLiteral("-pix_fmt")
         << QStringLiteral("yuv420p") << path;
    return testmedia::ffmpeg(args);
}

// A left-button drag on the bar from one time to another, as a user's hand does it.
void drag(ClipTrimBar *pBar, int64_t from, int64_t to)
{
    auto xOf = [pBar](int64_t at) {
        constexpr double kMargin = 8; // the bar's groove starts and ends this far in
        return kMargin + (pBar->width() - 2 * kMargin) * double(at) / double(pBar->duration());
    };
    auto send = [pBar](QEvent::Type type, double x, Qt::MouseButtons buttons) {
        const QPointF pos(x, pBar->height() / 2.0);
        QMouseEvent e(type, pos, pBar->mapToGlobal(pos.toPoint()), Qt::LeftButton, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(pBar, &e);
    };
    send(QEvent::MouseButtonPress, xOf(from), Qt::LeftButton);
    for (int i = 1; i <= 4; ++i)
        send(QEvent::MouseMove, xOf(from + (to - from) * i / 4), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, xOf(to), Qt::NoButton);
}
} // namespace

class TestClipPanel : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_clip;
    QString m_silent;
    EditorFixture m_fixture;

    ZodoZadar *editor() const { return m_fixture.editor; }

    // Brings szFiles into the editor's album through its chooser, and waits until they are in.
    void import(const QStringList &files)
    {
        FileChooser::setOpenFilesOverride(
            [files](const QString &, const QString &, const QString &, bool) { return files; });
        QVERIFY(QMetaObject::invokeMethod(editor(), "selectImageSources"));
        QTRY_COMPARE_WITH_TIMEOUT(m_fixture.album().materialOrder.size(), files.size(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(editor()->workflow().idle(), 20000);
    }

    // Saves the album under `name`, opens it in a new editor and waits for its `items`.
    bool saveAndReopen(const QString &name, int items)
    {
        const QString file = m_dir.filePath(name);
        FileChooser::setSaveFileOverride(
            [file](const QString &, const QString &, const QString &) { return file; });
        const bool saved = editor()->saveAlbumAs();
        FileChooser::setSaveFileOverride({});
        if (!saved)
            return false;
        m_fixture.destroyEditor();
        m_fixture.createEditor();
        return editor()->openAlbumFile(file) &&
               QTest::qWaitFor(
                   [&] {
                       return editor()->workflow().idle() &&
                              m_fixture.album().materialOrder.size() == items;
                   },
                   20000);
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<PictureOptions>();
        m_fixture.createManagers();
        m_clip = m_dir.filePath(QStringLiteral("clip.mp4"));
        m_silent = m_dir.filePath(QStringLiteral("silent.mp4"));
        QVERIFY(writeClip(m_clip, false));
        QVERIFY(writeClip(m_silent, true));
    }
    void cleanup()
    {
        // No main window yet before the first editor test: nothing to close.
        if (QWidget *pMain = ShareCode::QtInversionWidget::instance())
            for (QWidget *pWidget : pMain->findChildren<QDialog *>())
                delete pWidget;
        if (editor())
            m_fixture.destroyEditor();
    }

    // Times land on frame starts (the file's end counts as one), an unknown rate is 1/30 s, and
    // in and out stay within the file and kMinClipLength apart.
    void frameTimes()
    {
        ClipTrimBar bar;
        bar.setClip(4000000, AVRational{25, 1});
        QCOMPARE(bar.snapped(1010000), int64_t(1000000));
        QCOMPARE(bar.snapped(1021000), int64_t(1040000));
        QCOMPARE(bar.snapped(3990000), int64_t(4000000));
        QCOMPARE(bar.stepped(1000000, -1), int64_t(960000));
        bar.setClip(4000000, AVRational{30000, 1001});
        QCOMPARE(bar.snapped(1000000), int64_t(1001000)); // frame 30
        bar.setClip(4000000, AVRational{0, 1});
        QCOMPARE(bar.snapped(40000), int64_t(33333));
        bar.setClip(4000000, AVRational{25, 1});
        bar.setTrim(3950000, 0);
        QCOMPARE(bar.trimIn(), int64_t(3800000));
        QCOMPARE(bar.trimOut(), int64_t(4000000));
        bar.setTrim(1000000, 1100000); // too short: out moves on
        QCOMPARE(bar.trimOut(), int64_t(1200000));
        bar.setPosition(9000000); // the end shows no frame: the last one
        QCOMPARE(bar.position(), int64_t(3960000));

        QCOMPARE(ClipTrimBar::timeText(3250000), QStringLiteral("0:03.250"));
        QCOMPARE(ClipTrimBar::timeText(int64_t(3723456789)), QStringLiteral("1:02:03.457"));
        QCOMPARE(ImageListItemDelegate::clipLengthText(6000000), QStringLiteral("0:06"));
        QCOMPARE(ImageListItemDelegate::clipLengthText(200000), QStringLiteral("0:01"));
        QCOMPARE(ImageListItemDelegate::clipLengthText(int64_t(3723000000)),
                 QStringLiteral("1:02:03"));
    }

    // The panel for a clip: no motion or own duration; I and O and dragging trim frame-exactly,
    // one change each; a position dragged shows another frame and changes nothing; sound and
    // speed are options; a clip without sound offers no sound controls.
    void panelEditsTheClip()
    {
        PictureOptions given;
        given.caption.text = QStringLiteral("kept");
        PicturePanel panel(QPixmap(), QStringLiteral("clip.mp4"), given, 3000000);
        panel.setClip(m_clip, clipFactsOf(m_clip));
        panel.show();
        panel.activateWindow(); // the keys' shortcuts belong to the active window
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        QVERIFY(panel.findChild<QComboBox *>(QStringLiteral("comboPictureMotion"))->isHidden());
        QVERIFY(panel.findChild<QCheckBox *>(QStringLiteral("checkOwnDuration"))->isHidden());
        QVERIFY(!panel.findChild<QComboBox *>(QStringLiteral("comboPictureFill"))->isHidden());
        auto *pBar = panel.findChild<ClipTrimBar *>(QStringLiteral("barClipTrim"));
        auto *pLength = panel.findChild<QLabel *>(QStringLiteral("labelClipLength"));
        QVERIFY(pBar && pLength);
        QSignalSpy changes(&panel, &PicturePanel::sig_changed);
        auto last = [&changes] { return changes.last().first().value<PictureOptions>().clip; };

        pBar->setPosition(1010000);
        QTest::keyClick(pBar, Qt::Key_I);
        pBar->setPosition(3013000);
        QTest::keyClick(pBar, Qt::Key_O);
        QCOMPARE(changes.size(), 2);
        QCOMPARE(last().in, int64_t(1000000));
        QCOMPARE(last().out, int64_t(3000000));
        QVERIFY(pLength->text().contains(QStringLiteral("0:02.000")));
        // In no nearer than kMinClipLength to out; a key that moves nothing changes nothing.
        pBar->setPosition(2950000);
        QTest::keyClick(pBar, Qt::Key_I);
        QCOMPARE(last().in, int64_t(2800000));
        QTest::keyClick(pBar, Qt::Key_I);
        QCOMPARE(changes.size(), 3);
        // The keys work from the panel's other controls too, but a typed field keeps its letters.
        auto *pCaption = panel.findChild<QLineEdit *>(QStringLiteral("editCaption"));
        pBar->setPosition(2000000);
        QTest::keyClick(pCaption, Qt::Key_I);
        QCOMPARE(changes.size(), 3);
        QCOMPARE(pCaption->text(), QStringLiteral("kepti"));
        pCaption->setText(QStringLiteral("kept"));
        QTest::keyClick(panel.findChild<QComboBox *>(QStringLiteral("comboPictureFill")),
                        Qt::Key_I);
        QCOMPARE(changes.size(), 4);
        QCOMPARE(last().in, int64_t(2000000));
        pBar->setPosition(2800000);
        QTest::keyClick(pBar, Qt::Key_I);
        QCOMPARE(changes.size(), 5);
        QCOMPARE(panel.options().caption.text, QStringLiteral("kept"));

        // Dragging: a handle is one change on release; the position alone is none.
        drag(pBar, 2800000, 1600000);
        QCOMPARE(changes.size(), 6);
        QCOMPARE(last().in, int64_t(1600000));
        drag(pBar, 3000000, 4000000);
        QCOMPARE(changes.size(), 7);
        QCOMPARE(last().out, int64_t(0)); // the file's end
        QWidget *pPicture = panel.findChild<QWidget *>(QStringLiteral("labelPicture"));
        const QImage before = pPicture->grab().toImage();
        drag(pBar, 200000, 2000000);
        QCOMPARE(pBar->position(), int64_t(2000000));
        QCOMPARE(changes.size(), 7);
        QVERIFY(pPicture->grab().toImage() != before);

        auto *pMute = panel.findChild<QCheckBox *>(QStringLiteral("checkClipMute"));
        auto *pVolume = panel.findChild<QSpinBox *>(QStringLiteral("spinClipVolume"));
        auto *pSpeed = panel.findChild<QDoubleSpinBox *>(QStringLiteral("spinClipSpeed"));
        QVERIFY(pMute->isEnabled() && pVolume->isEnabled());
        // A typed value is one change, not one per digit.
        pVolume->setFocus();
        pVolume->selectAll();
        QTest::keyClicks(pVolume, QStringLiteral("150"));
        QTest::keyClick(pVolume, Qt::Key_Return);
        QCOMPARE(changes.size(), 8);
        QCOMPARE(last().volume, 150);
        pMute->click();
        QCOMPARE(changes.size(), 9);
        QVERIFY(last().mute);
        QVERIFY(!pVolume->isEnabled());
        pSpeed->setFocus();
        pSpeed->selectAll();
        QTest::keyClicks(pSpeed, QStringLiteral("2.5"));
        QTest::keyClick(pSpeed, Qt::Key_Return);
        QCOMPARE(changes.size(), 10);
        QCOMPARE(last().speed, 250);
        QCOMPARE(last().in, int64_t(1600000));
        // 2.4 s of the file at 2.5 times its speed.
        QVERIFY2(pLength->text().contains(QStringLiteral("0:00.960")), qPrintable(pLength->text()));

        PicturePanel silent(QPixmap(), QStringLiteral("silent.mp4"), PictureOptions(), 3000000);
        silent.setClip(m_silent, clipFactsOf(m_silent));
        QVERIFY(!silent.findChild<QCheckBox *>(QStringLiteral("checkClipMute"))->isEnabled());
        QVERIFY(!silent.findChild<QSpinBox *>(QStringLiteral("spinClipVolume"))->isEnabled());
    }

    // In the editor: a clip's tile shows its length in the video; the panel's changes are one
    // undo step, the tile follows them and undo; the options survive saving and opening.
    void editorUndoTileAndFile()
    {
        m_fixture.createEditor();
        const QString still = m_dir.filePath(QStringLiteral("still.jpg"));
        QVERIFY(testmedia::writeJpeg(still, 320, 240));
        import({m_clip, still});
        Album &job = m_fixture.album();
        QVERIFY(job.isClip(0) && !job.isClip(1));
        const QModelIndex tile = m_fixture.form()->imageSourceList->model()->index(0, 0);
        const QModelIndex stillTile = m_fixture.form()->imageSourceList->model()->index(1, 0);
        QCOMPARE(tile.data(ImageListView::ClipLengthRole).toLongLong(), qint64(4000000));
        QCOMPARE(stillTile.data(ImageListView::ClipLengthRole).toLongLong(), qint64(0));
        const int iSteps = editor()->undoStack()->count();

        QTimer::singleShot(50, this, [] {
            auto *pPanel = qobject_cast<PicturePanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            // The card grew to what it shows: the file's facts under the picture, not over it.
            auto *pFacts = pPanel->findChild<QLabel *>(QStringLiteral("labelPictureFacts"));
            QVERIFY(pFacts->isVisible());
            QVERIFY(
                pFacts->geometry().top() >
                pPanel->findChild<QWidget *>(QStringLiteral("labelPicture"))->geometry().bottom());
            auto *pForm = pPanel->findChild<QWidget *>(QStringLiteral("divPictureForm"));
            QVERIFY(pForm->height() >= pForm->sizeHint().height());
            auto *pBar = pPanel->findChild<ClipTrimBar *>(QStringLiteral("barClipTrim"));
            // The bar has the keys from the start: the arrows step the position a frame.
            QCOMPARE(pPanel->focusWidget(), pBar);
            QTest::keyClick(pPanel->focusWidget(), Qt::Key_Right);
            QCOMPARE(pBar->position(), int64_t(40000));
            pBar->setPosition(520000);
            QTest::keyClick(pBar, Qt::Key_I);
            pBar->setPosition(2520000);
            QTest::keyClick(pBar, Qt::Key_O);
            pPanel->findChild<QCheckBox *>(QStringLiteral("checkClipMute"))->click();
            pPanel->findChild<QDoubleSpinBox *>(QStringLiteral("spinClipSpeed"))->setValue(0.5);
            pPanel->accept();
        });
        editor()->showPicturePanel(0);
        ClipOptions expected;
        expected.in = 520000;
        expected.out = 2520000;
        expected.mute = true;
        expected.speed = 50;
        QCOMPARE(job.optionsAt(0).clip, expected);
        QCOMPARE(job.clipLength(0), int64_t(4000000));
        QCOMPARE(int64_t(editor()->player()->totalDurationMs()), totalDurationMs(job));
        QCOMPARE(editor()->undoStack()->count(), iSteps + 1);
        // 2 s of the file at half speed.
        QCOMPARE(tile.data(ImageListView::ClipLengthRole).toLongLong(), qint64(4000000));

        // A change of the fill alone keeps the clip's options.
        QTimer::singleShot(50, this, [] {
            auto *pPanel = qobject_cast<PicturePanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            pPanel->findChild<QDoubleSpinBox *>(QStringLiteral("spinClipSpeed"))->setValue(2);
            pPanel->findChild<QComboBox *>(QStringLiteral("comboPictureFill"))->setCurrentIndex(2);
            pPanel->accept();
        });
        editor()->showPicturePanel(0);
        QCOMPARE(job.optionsAt(0).clip.speed, 200);
        QCOMPARE(job.optionsAt(0).clip.in, expected.in);
        QCOMPARE(tile.data(ImageListView::ClipLengthRole).toLongLong(), qint64(1000000));
        QCOMPARE(int64_t(editor()->player()->totalDurationMs()), totalDurationMs(job));
        QCOMPARE(editor()->undoStack()->count(), iSteps + 2);
        editor()->undo();
        QCOMPARE(job.optionsAt(0).clip, expected);
        QCOMPARE(tile.data(ImageListView::ClipLengthRole).toLongLong(), qint64(4000000));
        editor()->undo();
        QVERIFY(job.optionsAt(0).clip.isDefault());
        editor()->redo();
        QCOMPARE(job.optionsAt(0).clip, expected);

        QVERIFY(saveAndReopen(QStringLiteral("clips.vmalbum"), 2));
        QCOMPARE(m_fixture.album().optionsAt(0).clip, expected);
        QCOMPARE(m_fixture.form()
                     ->imageSourceList->model()
                     ->index(0, 0)
                     .data(ImageListView::ClipLengthRole)
                     .toLongLong(),
                 qint64(4000000));
    }

    // The music panel's clip settings: one undo step per change (the decibel box's steps in a
    // row are one), undo puts them back, the autosave and the saved file keep them; the group
    // is inactive, and says why, while no clip brings sound.
    void musicUnderClips()
    {
        m_fixture.createEditor();
        const QString state = m_dir.filePath(QStringLiteral("state"));
        editor()->startSession(state);
        import({m_clip});
        Album &job = m_fixture.album();
        // Before any music the clip's sound alone makes the export's audio settings count, and
        // the silent formats stay a choice.
        m_fixture.form()->btnExport->click();
        auto *pExport =
            ShareCode::QtInversionWidget::instance()->findChild<ExportSettingDialog *>();
        QVERIFY(pExport);
        QVERIFY(pExport->findChild<QWidget *>(QStringLiteral("divAudioSetting"))->isEnabled());
        auto *pFormats = pExport->findChild<QComboBox *>(QStringLiteral("comboExportFormat"));
        QVERIFY(qobject_cast<QStandardItemModel *>(pFormats->model())
                    ->item(pFormats->findText(QStringLiteral("GIF")))
                    ->isEnabled());
        pExport->close();
        QTRY_VERIFY(editor()->workflow().idle());
        const QString music = m_dir.filePath(QStringLiteral("tune.mp3"));
        QVERIFY(testmedia::writeMp3(music, 6));
        m_fixture.answerChooser();
        m_fixture.chosen = QStringList{music};
        m_fixture.form()->ratioCustomMusic->click();
        QVERIFY(job.hasMusic() && job.clipsHaveSound());
        QUndoStack *pStack = editor()->undoStack();
        const int iSteps = pStack->count();

        QTimer::singleShot(50, this, [] {
            auto *pPanel = qobject_cast<MusicPanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            auto *pDuck = pPanel->findChild<QSpinBox *>(QStringLiteral("spinMusicDuck"));
            auto *pPause =
                pPanel->findChild<QCheckBox *>(QStringLiteral("checkPauseMusicForClips"));
            QVERIFY(pDuck && pPause);
            QVERIFY(!pDuck->accessibleName().isEmpty() && !pPause->accessibleName().isEmpty());
            QVERIFY(pPanel->findChild<QGroupBox *>(QStringLiteral("groupMusicClips"))->isEnabled());
            QCOMPARE(pDuck->value(), kDefaultDuckDb);
            QVERIFY(pDuck->isEnabled() && !pPause->isChecked());
            pDuck->setValue(20);
            pDuck->setValue(25);
            pPause->click();
            QVERIFY(!pDuck->isEnabled());
            pPanel->accept();
        });
        editor()->showMusicPanel();
        QCOMPARE(job.duckDb, 25);
        QVERIFY(job.pauseMusicForClips);
        QCOMPARE(pStack->count(), iSteps + 2);
        const QString autosave = QDir(state).filePath(QStringLiteral("autosave.vmalbum"));
        QTRY_VERIFY_WITH_TIMEOUT(readAlbumFile(autosave).album.pauseMusicForClips, 5000);

        editor()->undo();
        QVERIFY(!job.pauseMusicForClips);
        QCOMPARE(job.duckDb, 25);
        editor()->undo();
        QCOMPARE(job.duckDb, kDefaultDuckDb);
        QCOMPARE(pStack->count(), iSteps + 2);
        editor()->redo();
        QCOMPARE(job.duckDb, 25);

        QVERIFY(saveAndReopen(QStringLiteral("duck.vmalbum"), 1));
        QCOMPARE(m_fixture.album().duckDb, 25);
        QVERIFY(!m_fixture.album().pauseMusicForClips);

        // A muted clip brings no sound: nothing to lower the music under.
        PictureOptions muted = m_fixture.album().optionsAt(0);
        muted.clip.mute = true;
        setPictureOptions(m_fixture.album(), 0, muted);
        QTimer::singleShot(50, this, [] {
            auto *pPanel = qobject_cast<MusicPanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            auto *pGroup = pPanel->findChild<QGroupBox *>(QStringLiteral("groupMusicClips"));
            QVERIFY(pGroup->isVisible() && !pGroup->isEnabled());
            QVERIFY(!pGroup->toolTip().isEmpty());
            QCOMPARE(pPanel->findChild<QSpinBox *>(QStringLiteral("spinMusicDuck"))->value(), 25);
            pPanel->accept();
        });
        editor()->showMusicPanel();
    }
};

QTEST_MAIN(TestClipPanel)
#include "tst_clippanel.moc"
