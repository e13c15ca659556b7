// The editor's settings panel with the real widgets and decoder: the watermark-type question, the
// help popup, a refused watermark picture, the music label, and the held files behind them; the
// plain note on transitions and the strip's scroll bar.
#include "albumdocument.h"
#include "editorfixture.h"

#include "album.h"
#include "cqdlgtipsimple.h"
#include "cqquitdialog.h"
#include "cqtoast.h"
#include "filechooser.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "imagewatermarkhelpdialog.h"
#include "testmedia.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>

#include <memory>

class TestZodoZadarSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFixture m_fixture;

    Ui::ZodoZadarClass *form() const { return m_fixture.form(); }

    // Answers the next modal question with OK (true) or Cancel.
    void answerQuestion(bool bOk)
    {
        QTimer::singleShot(50, this, [bOk] {
            auto *pDialog =
                qobject_cast<ShareCode::CQQuitDialog *>(QApplication::activeModalWidget());
            QVERIFY(pDialog);
            QMetaObject::invokeMethod(pDialog, bOk ? "sltOK" : "sltCancel");
        });
    }

private slots:
    void initTestCase() { m_fixture.createManagers(); }

    void init()
    {
        m_fixture.createEditor();
        // The settings act on an album: without pictures they are disabled.
        m_fixture.importPictures(m_dir.path(), 1, QSize(320, 240), 0);
        m_fixture.answerChooser();
    }

    void cleanup()
    {
        m_fixture.destroyEditor();
        QVERIFY(!EditorFixture::holdsFilesIn(m_dir.path()));
    }

    // With a text entered, choosing "image watermark" asks first: Cancel keeps the text type and
    // its radio; OK switches and, with no picture yet, opens the picture chooser.
    void watermarkTypeQuestion()
    {
        Album &job = m_fixture.album();
        form()->radioTextWatermark->click();
        QTRY_COMPARE(job.watermarkType, int(WatermarkText));
        QVERIFY(form()->divWatermarkOperate->isVisible());
        QCOMPARE(form()->divWatermarkOperate->currentWidget(), form()->pageTextWatermark);
        form()->editWatermarkText->setText(QStringLiteral("Summer 100%1"));
        emit form()->editWatermarkText->editingFinished();
        QCOMPARE(job.watermarkText, QStringLiteral("Summer 100%1"));

        answerQuestion(false);
        form()->radioImageWatermark->click();
        QTRY_VERIFY(form()->radioTextWatermark->isChecked());
        QTest::qWait(100);
        QCOMPARE(job.watermarkType, int(WatermarkText));
        QCOMPARE(m_fixture.chooserCalls, 0);

        answerQuestion(true);
        form()->radioImageWatermark->click();
        QTRY_COMPARE(job.watermarkType, int(WatermarkPicture));
        QCOMPARE(m_fixture.chooserCalls, 1); // cancelled: the type stays, with nothing in it
        QVERIFY(form()->radioImageWatermark->isChecked());
        QCOMPARE(form()->divWatermarkOperate->currentWidget(), form()->pageImageWatermark);

        // Back to "none" asks nothing without a picture, hides both areas; the text returns.
        form()->radioNoWatermark->click();
        QTRY_COMPARE(job.watermarkType, int(WatermarkNone));
        QVERIFY(!form()->divWatermarkOperate->isVisible() && !form()->divWatermarkPos->isVisible());
        form()->radioTextWatermark->click();
        QTRY_COMPARE(job.watermarkType, int(WatermarkText));
        QCOMPARE(job.watermarkText, QStringLiteral("Summer 100%1"));
    }

    // A picture the decoder refuses leaves label and album as they were and shows the toast; a
    // good one is held open and named in the label.
    void watermarkPicture()
    {
        Album &job = m_fixture.album();
        const QString bad = m_dir.filePath(QStringLiteral("broken.png"));
        testmedia::writeBytes(bad, "not a png");
        m_fixture.chosen = QStringList{bad};
        form()->radioImageWatermark->click();
        QTRY_VERIFY(m_fixture.editor->findChild<ShareCode::CQToast *>());
        QCOMPARE(m_fixture.editor->findChild<ShareCode::CQToast *>()->text(),
                 QStringLiteral("Failed to add watermark, because of the abnormal picture"));
        QVERIFY(job.watermarkImagePath.isEmpty());
        QCOMPARE(form()->labelImageWatermarkName->text(),
                 QStringLiteral("Please select image watermark"));
        // A film decodes, but it is an item of the album, never a watermark.
        delete m_fixture.editor->findChild<ShareCode::CQToast *>();
        const QString film = m_dir.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(testmedia::ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=160x90:rate=25:duration=0.4",
                                   "-c:v", "libx264", "-pix_fmt", "yuv420p", film}));
        m_fixture.chosen = QStringList{film};
        form()->btnAddImageWatermark->click();
        QTRY_VERIFY(m_fixture.editor->findChild<ShareCode::CQToast *>());
        QVERIFY(job.watermarkImagePath.isEmpty());

        const QString good = m_dir.filePath(QStringLiteral("logo.png"));
        testmedia::writeImage(good, testmedia::pattern(300, 100));
        m_fixture.chosen = QStringList{good};
        form()->btnAddImageWatermark->click();
        QTRY_COMPARE(job.watermarkImagePath, good);
        QVERIFY(m_fixture.editor->document()->heldFiles().handle(job.watermarkImagePath));
        QCOMPARE(form()->labelImageWatermarkName->text(), QStringLiteral("logo.png"));
        QVERIFY(!m_fixture.editor->decoder()->running);
        // Leaving the picture type (after the question) lets the file go; coming back holds it.
        answerQuestion(true);
        form()->radioNoWatermark->click();
        QTRY_VERIFY(!m_fixture.editor->document()->heldFiles().handle(job.watermarkImagePath));
        form()->radioImageWatermark->click(); // from none: no question
        QTRY_VERIFY(m_fixture.editor->document()->heldFiles().handle(job.watermarkImagePath));
        answerQuestion(true); // a picture is set: switching to text asks
        form()->radioTextWatermark->click();
        QTRY_COMPARE(job.watermarkType, int(WatermarkText));
        QVERIFY(!m_fixture.editor->document()->heldFiles().handle(job.watermarkImagePath));
    }

    // "Transitions: random" is information, not a control: the plain colour of the labels
    // beside it, no hand cursor, no focus, and a tooltip that says where transitions are chosen.
    void transitionNoteIsPlainText()
    {
        QLabel *pNote = form()->labelRandom;
        QLabel *pLabel = form()->labelTransition;
        pNote->ensurePolished();
        pLabel->ensurePolished();
        const QColor colour = pNote->palette().color(QPalette::WindowText);
        QVERIFY(colour != QColor(0x5C, 0x46, 0xF4));
        QCOMPARE(colour, pLabel->palette().color(QPalette::WindowText));
        QCOMPARE(colour, form()->labelSecond->palette().color(QPalette::WindowText));
        QVERIFY(pNote->cursor().shape() != Qt::PointingHandCursor);
        QCOMPARE(pNote->focusPolicy(), Qt::NoFocus);
        QVERIFY(!pNote->toolTip().isEmpty());
        QCOMPARE(pLabel->toolTip(), pNote->toolTip());
    }

    // The strip's scroll bar shows where the handle is: darker than a light track.
    void stripScrollBarHandleStandsOut()
    {
        // A bar inside the strip takes the strip's look, as the strip's own does.
        QScrollBar bar(Qt::Horizontal, static_cast<QWidget *>(form()->imageSourceList));
        bar.setRange(0, 1000);
        bar.setPageStep(250);
        bar.setValue(0);
        bar.resize(600, bar.sizeHint().height());
        bar.ensurePolished();
        const QImage image = bar.grab().toImage();
        QStyleOptionSlider option;
        option.initFrom(&bar);
        option.orientation = Qt::Horizontal;
        option.minimum = bar.minimum();
        option.maximum = bar.maximum();
        option.sliderPosition = bar.value();
        option.sliderValue = bar.value();
        option.pageStep = bar.pageStep();
        option.singleStep = bar.singleStep();
        const QRect handle = bar.style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                         QStyle::SC_ScrollBarSlider, &bar);
        QVERIFY(handle.isValid() && handle.right() < image.width() - 60);
        const int y = image.height() / 2;
        const int iHandle = qGray(image.pixel(handle.center().x(), y));
        const int iTrack = qGray(image.pixel((handle.right() + image.width()) / 2, y));
        QVERIFY2(iTrack > 200 && iTrack - iHandle >= 50,
                 qPrintable(QStringLiteral("handle %1, track %2")
                                .arg(QString::number(iHandle), QString::number(iTrack))));
    }

    void helpPopupOncePerHover()
    {
        QPushButton *pHelp = form()->btnImageWartermarkHelp;
        QHoverEvent enter(QEvent::HoverEnter, QPointF(4, 4), QPointF(-1, -1));
        QApplication::sendEvent(pHelp, &enter);
        QApplication::sendEvent(pHelp, &enter);
        QCOMPARE(m_fixture.editor->findChildren<ImageWatermarkHelpDialog *>().size(), 1);
        QVERIFY(m_fixture.editor->findChild<ImageWatermarkHelpDialog *>()->text().contains(
            QStringLiteral("1274 x 418")));
        QHoverEvent leave(QEvent::HoverLeave, QPointF(-1, -1), QPointF(4, 4));
        QApplication::sendEvent(pHelp, &leave);
        QTRY_COMPARE(m_fixture.editor->findChildren<ImageWatermarkHelpDialog *>().size(), 0);
        pHelp->setEnabled(false);
        QApplication::sendEvent(pHelp, &enter);
        QCOMPARE(m_fixture.editor->findChildren<ImageWatermarkHelpDialog *>().size(), 0);
    }

    // Custom music without a file opens the chooser; a long name is elided, and "none" lets the
    // file go.
    void musicChoice()
    {
        Album &job = m_fixture.album();
        const QString music =
            m_dir.filePath(QStringLiteral("a very long name of a summer holiday song that goes on "
                                          "and on and on.mp3"));
        QVERIFY(testmedia::writeMp3(music, 1));
        m_fixture.chosen = QStringList{music};
        form()->ratioCustomMusic->click();
        QCOMPARE(job.musicType, int(MusicCustom));
        QCOMPARE(job.musicPath, music);
        QVERIFY(m_fixture.editor->document()->heldFiles().handle(job.musicPath));
        QCOMPARE(form()->divBackgroundOperate->currentWidget(), form()->pageCustomMusic);
        const QString shown = form()->labelBackgroundMusicName->text();
        QVERIFY2(shown.endsWith(QChar(0x2026)), qPrintable(shown));
        form()->radioNoMusic->click();
        QCOMPARE(job.musicType, int(MusicNone));
        QVERIFY(!m_fixture.editor->document()->heldFiles().handle(job.musicPath));
        QCOMPARE(job.musicPath, music); // kept for when custom is chosen again
    }

    // "Replace pictures…" (the old "add again") asks before it replaces the album; Cancel keeps
    // the album and opens no chooser.
    void replacePicturesAsksFirst()
    {
        const QStringList before = m_fixture.album().materialOrder;
        const QString other = m_dir.filePath(QStringLiteral("other.jpg"));
        QVERIFY(testmedia::writeJpeg(other, 320, 240));
        m_fixture.chosen = QStringList{other};
        QString asked;
        EditorFixture::answerQuestion(false, &asked);
        form()->btnAddImageAgain->click();
        QCOMPARE(asked, QStringLiteral("Replace the 1 pictures of this album? Their settings go "
                                       "with them."));
        QCOMPARE(m_fixture.chooserCalls, 0);
        QCOMPARE(m_fixture.album().materialOrder, before);
        EditorFixture::answerQuestion(true);
        form()->btnAddImageAgain->click();
        QCOMPARE(m_fixture.chooserCalls, 1);
        QTRY_COMPARE(m_fixture.album().materialOrder, QStringList{other});
        QTRY_VERIFY(m_fixture.editor->workflow().idle());
    }

    // After a fit every picture has its own duration: the box says so, a change of it offers
    // "Set all to N s", which gives every picture that duration in one undo step; the fit says
    // what it did.
    void durationBoxAfterAFit()
    {
        Album &job = m_fixture.album();
        m_fixture.importPictures(m_dir.path(), 3, QSize(320, 240), 40);
        m_fixture.answerChooser();
        const QString music = m_dir.filePath(QStringLiteral("fit.mp3"));
        QVERIFY(testmedia::writeMp3(music, 13));
        m_fixture.chosen = QStringList{music};
        form()->ratioCustomMusic->click();
        QVERIFY(m_fixture.editor->fitPicturesToMusicNow().isEmpty());
        QVERIFY(form()->boxImageDuration->property("ownDurations").toBool());
        QVERIFY(!form()->boxImageDuration->toolTip().isEmpty());
        auto *pToast = m_fixture.editor->findChild<ShareCode::CQToast *>();
        QVERIFY(pToast);
        QCOMPARE(pToast->text(), QStringLiteral("3 pictures fitted to 0:13 of music"));
        QVERIFY(!form()->btnDurationToAll->isVisible());

        const int iSteps = m_fixture.editor->undoStack()->count();
        form()->boxImageDuration->setValue(5);
        QVERIFY(form()->btnDurationToAll->isVisible());
        QCOMPARE(form()->btnDurationToAll->text(), QStringLiteral("Set all to 5 s"));
        form()->btnDurationToAll->click();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(job.optionsAt(i).duration, int64_t(0));
        QCOMPARE(job.totalDuration, int64_t(3 * 5000000 + 2 * 2000000));
        QVERIFY(!form()->boxImageDuration->property("ownDurations").toBool());
        QVERIFY(!form()->btnDurationToAll->isVisible());
        QCOMPARE(m_fixture.editor->undoStack()->count(), iSteps + 2); // the box, then "set all"
        m_fixture.editor->undo();
        QVERIFY(job.optionsAt(0).duration > 0);
        QVERIFY(form()->boxImageDuration->property("ownDurations").toBool());
    }
};

QTEST_MAIN(TestZodoZadarSettings)
#include "tst_zodozadar_settings.moc"
