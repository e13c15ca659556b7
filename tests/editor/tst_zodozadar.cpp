// The album editor with its real decoder thread: import, failures, removal, reorder, durations.
#include "albumdocument.h"
#include "editorfixture.h"
#include "previewcontroller.h"

#include "addimagebutton.h"
#include "album.h"
#include "cqcombobox.h"
#include "cqquitdialog.h"
#include "cqvideoplay.h"
#include "faildialog.h"
#include "filechooser.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "imageviewer.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"
#include "testmedia.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

class TestZodoZadar : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFixture m_fixture;
    QStringList m_failTitles;
    QStringList m_failDetails;
    QStringList m_failLists;

    Ui::ZodoZadarClass *form() const { return m_fixture.form(); }
    static ProgressDialog *progressDialog()
    {
        return ShareCode::QtInversionWidget::instance()->findChild<ProgressDialog *>();
    }
    QAbstractItemModel *rows() const { return form()->imageSourceList->model(); }

    QString picture(const QString &szName, int w, int h, QColor c = QColor(40, 120, 200))
    {
        const QString path = m_dir.filePath(szName);
        if (!QFile::exists(path))
            testmedia::writeJpeg(path, w, h, c);
        return path;
    }

    // Chooses szFiles in the file dialog and waits until the import and its report are over.
    void import(const QStringList &szFiles)
    {
        FileChooser::setOpenFilesOverride(
            [szFiles](const QString &, const QString &, const QString &, bool) { return szFiles; });
        QVERIFY(QMetaObject::invokeMethod(m_fixture.editor, "selectImageSources"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_fixture.editor->decoder()->running && !progressDialog() &&
                                     !QApplication::activeModalWidget(),
                                 30000);
    }

    // Removes a row as the strip does after its question, then tells the editor.
    void deleteRow(int iRow)
    {
        const QString path = rows()->index(iRow, 0).data().toString();
        rows()->removeRow(iRow);
        emit form()->imageSourceList->sig_itemDeleted(path, iRow);
    }

    // Moves a row as a drag does, then tells the editor.
    void moveRow(int iFrom, int iTo)
    {
        auto *pModel = qobject_cast<QStandardItemModel *>(rows());
        const QString path = pModel->index(iFrom, 0).data().toString();
        QList<QStandardItem *> taken = pModel->takeRow(iFrom);
        pModel->insertRow(iTo, taken);
        emit form()->imageSourceList->sig_itemDraged(path, iFrom, iTo);
    }

    static qint64 seconds(qint64 s) { return s * 1000000; }

private slots:
    void initTestCase()
    {
        m_fixture.createManagers();
        // Failure reports are modal: read and close each one as it appears.
        auto *pTimer = new QTimer(this);
        connect(pTimer, &QTimer::timeout, this, [this] {
            if (auto *pFail = qobject_cast<FailDialog *>(QApplication::activeModalWidget())) {
                m_failTitles << pFail->findChild<QLabel *>(QStringLiteral("labelContent"))->text();
                m_failDetails
                    << pFail->findChild<QLabel *>(QStringLiteral("labelErrorMessage"))->text();
                m_failLists << (pFail->errorList() ? pFail->errorList()->toPlainText() : QString());
                pFail->reject();
            }
        });
        pTimer->start(20);
    }

    void init()
    {
        m_failTitles.clear();
        m_failDetails.clear();
        m_failLists.clear();
        m_fixture.createEditor();
    }

    void cleanup()
    {
        m_fixture.destroyEditor();
        // Every held picture, watermark and music file goes with the editor.
        QVERIFY(!EditorFixture::holdsFilesIn(m_dir.path()));
    }

    void startState()
    {
        Album &job = m_fixture.album();
        QCOMPARE(form()->divImageSourceOperate->currentWidget(), form()->pageAddImage);
        QCOMPARE(form()->boxImageDuration->value(), 1);
        QVERIFY(!form()->btnExport->isEnabled());
        QVERIFY(!form()->divSetting->isEnabled());
        QVERIFY(!form()->comboVideoRatio->isEnabled());
        QCOMPARE(form()->comboVideoRatio->currentText(), QStringLiteral("16:9"));
        QCOMPARE(form()->comboVideoHeight->currentText(), QStringLiteral("1080P"));
        QCOMPARE(QSize(job.width, job.height), QSize(1920, 1080));
        QCOMPARE(job.watermarkFont.pixelSize(), 48);
        QCOMPARE(m_fixture.editor->viewer()->player.load(),
                 static_cast<PlayerInterface *>(m_fixture.editor->player()));
        QCOMPARE(m_fixture.editor->preview()->state(), 4);
        QVERIFY(form()->boxImageDuration->property("isMinimum").toBool());
    }

    // An empty album closes without a question.
    void exitWithoutPicturesAsksNothing()
    {
        QWidget *pWindow = m_fixture.editor->window();
        QVERIFY(pWindow->isVisible());
        m_fixture.editor->closeRequest();
        QTRY_VERIFY(!pWindow->isVisible());
        QVERIFY(!ShareCode::QtInversionWidget::instance()->findChild<ShareCode::CQQuitDialog *>());
    }

    // Three files of which one is not a picture: two rows, then the partial-failure report.
    void importWithOneFailure()
    {
        Album &job = m_fixture.album();
        const QString notPicture = m_dir.filePath(QStringLiteral("notes.jpg"));
        testmedia::writeBytes(notPicture, "these are not pixels");
        import({picture("a.jpg", 640, 480), notPicture, picture("b.jpg", 320, 240)});
        QCOMPARE(rows()->rowCount(), 2);
        QCOMPARE(job.materialOrder.size(), 2);
        QCOMPARE(job.transitions.size(), 1);
        QCOMPARE(job.totalDuration, seconds(3 + 3 + 2));
        QCOMPARE(m_fixture.editor->player()->totalDurationMs(), 8000);
        QCOMPARE(m_failTitles, QStringList{QStringLiteral("Partial import failed...")});
        QVERIFY2(m_failDetails.value(0).startsWith(QStringLiteral("Image decode failed(")),
                 qPrintable(m_failDetails.value(0)));
        QVERIFY(form()->btnExport->isEnabled() && form()->divSetting->isEnabled());
        QCOMPARE(form()->divImageSourceOperate->currentWidget(), form()->pageImageSourcList);
        QCOMPARE(form()->boxImageDuration->value(), 3);
        QCOMPARE(m_fixture.editor->currentPath, job.materialOrder.first());

        // A new import empties the album first; watermark and music settings stay.
        job.watermarkText = QStringLiteral("kept");
        job.musicPath = QStringLiteral("/music/kept.mp3");
        form()->boxImageDuration->setValue(7);
        import({picture("c.jpg", 200, 200)});
        QCOMPARE(rows()->rowCount(), 1);
        QCOMPARE(job.materialOrder, QList<QString>{picture("c.jpg", 200, 200)});
        QCOMPARE(job.uniformDurationValue, seconds(3));
        QCOMPARE(job.totalDuration, seconds(3));
        QCOMPARE(job.watermarkText, QStringLiteral("kept"));
        QCOMPARE(job.musicPath, QStringLiteral("/music/kept.mp3"));
        job.watermarkText.clear();
        job.musicPath.clear();
    }

    // Every kind of picture a phone holds is offered first; animated WebPs come in with one
    // notice for all of them in the import's report.
    void phonePicturesImport()
    {
        auto animated = [this](const QString &szName) {
            const QString path = m_dir.filePath(szName);
            testmedia::ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("testsrc=s=160x120:r=5:d=0.6"),
                               QStringLiteral("-c:v"), QStringLiteral("libwebp_anim"), path});
            return path;
        };
        const QStringList files{animated(QStringLiteral("a.webp")), picture("still.jpg", 160, 120),
                                animated(QStringLiteral("b.webp"))};
        QString szFilter;
        FileChooser::setOpenFilesOverride(
            [files, &szFilter](const QString &, const QString &, const QString &szShown, bool) {
                szFilter = szShown;
                return files;
            });
        QVERIFY(QMetaObject::invokeMethod(m_fixture.editor, "selectImageSources"));
        QTRY_VERIFY_WITH_TIMEOUT(m_failTitles.size() == 1 && !progressDialog() &&
                                     !QApplication::activeModalWidget(),
                                 30000);
        QCOMPARE(
            szFilter.section(QStringLiteral(";;"), 0, 0),
            QStringLiteral("Pictures and clips (*.jpg *.jpeg *.png *.heic *.heif *.avif *.webp "
                           "*.mp4 *.mov *.m4v *.mkv *.webm *.3gp *.avi)"));
        QCOMPARE(szFilter.section(QStringLiteral(";;"), 1, 1),
                 QStringLiteral("Pictures (*.jpg *.jpeg *.png *.heic *.heif *.avif *.webp)"));
        QCOMPARE(szFilter.section(QStringLiteral(";;"), 2),
                 QStringLiteral("JPEG And PNG Files(*.jpg *.jpeg *.png);;JPEG Files(*.jpg "
                                "*.jpeg);;PNG Files(*.png)"));
        QCOMPARE(rows()->rowCount(), 3);
        QCOMPARE(m_failTitles, QStringList{QStringLiteral("Imported, with a notice...")});
        QCOMPARE(m_failLists, QStringList{QStringLiteral(
                                  "a.webp, b.webp: an animated picture: only its first frame is "
                                  "shown")});
    }

    void everyFileFailingKeepsTheControlsOff()
    {
        const QString bad = m_dir.filePath(QStringLiteral("bad.png"));
        testmedia::writeBytes(bad, "no");
        import({bad});
        QCOMPARE(m_failTitles, QStringList{QStringLiteral("Import failed...")});
        QCOMPARE(rows()->rowCount(), 0);
        QVERIFY(!form()->btnExport->isEnabled());
        QCOMPARE(form()->divImageSourceOperate->currentWidget(), form()->pageAddImage);
    }

    void cancelledFileDialogChangesNothing()
    {
        import({picture("a.jpg", 640, 480)});
        import({});
        QCOMPARE(rows()->rowCount(), 1);
        QCOMPARE(m_fixture.album().materialOrder.size(), 1);
        QVERIFY(form()->btnExport->isEnabled());
    }

    // Closing the progress dialog ends the import at once: what arrived stays, the rest is dropped.
    void closingTheProgressDialogEndsTheImport()
    {
        QStringList files;
        for (int i = 0; i < 6; ++i)
            files << picture(QStringLiteral("big%1.jpg").arg(i), 1600, 1200);
        FileChooser::setOpenFilesOverride(
            [files](const QString &, const QString &, const QString &, bool) { return files; });
        // Closed as soon as the first picture has been added.
        connect(rows(), &QAbstractItemModel::rowsInserted, this, [] {
            if (ProgressDialog *pDialog = progressDialog())
                pDialog->close();
        });
        QVERIFY(QMetaObject::invokeMethod(m_fixture.editor, "selectImageSources"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_fixture.editor->decoder()->running && !progressDialog(), 30000);
        QTest::qWait(300); // answers still queued must not add rows
        QCOMPARE(rows()->rowCount(), 1);
        QCOMPARE(m_fixture.album().materialOrder.size(), 1);
        QVERIFY(form()->btnExport->isEnabled());
        QVERIFY(m_failTitles.isEmpty());
    }

    // The same file twice: two rows, one item; removing one row keeps the other's picture.
    void sameFileTwice()
    {
        Album &job = m_fixture.album();
        const QString a = picture("twice.jpg", 400, 300);
        import({a, a});
        QCOMPARE(rows()->rowCount(), 2);
        QCOMPARE(job.materials.size(), 1);
        QCOMPARE(job.totalDuration, seconds(8));
        deleteRow(1);
        QCOMPARE(job.materials.size(), 1);
        QVERIFY(m_fixture.editor->document()->heldFiles().handle(a));
        QCOMPARE(job.totalDuration, seconds(3));
    }

    // Durations and totals: 13 s for three pictures, +6 s for 3 -> 5, 61 -> 60, 0 -> 1.
    void durationRules()
    {
        Album &job = m_fixture.album();
        import(
            {picture("a.jpg", 640, 480), picture("b.jpg", 640, 480), picture("c.jpg", 640, 480)});
        QCOMPARE(job.totalDuration, seconds(13));
        QSpinBox *pBox = form()->boxImageDuration;
        pBox->setValue(5);
        QCOMPARE(job.totalDuration, seconds(19));
        QCOMPARE(m_fixture.editor->player()->totalDurationMs(), 19000);
        pBox->setValue(61);
        QCOMPARE(pBox->value(), 60);
        QCOMPARE(job.uniformDurationValue, seconds(60));
        QVERIFY(pBox->property("isMaximum").toBool());
        pBox->setValue(0);
        QCOMPARE(pBox->value(), 1);
        QCOMPARE(job.totalDuration, seconds(3 + 2 * 2));
        QVERIFY(pBox->property("isMinimum").toBool() && !pBox->property("isMaximum").toBool());
    }

    // Removing the middle of three takes the last slot; the last row going resets the strip.
    void removal()
    {
        Album &job = m_fixture.album();
        const QString a = picture("a.jpg", 640, 480), b = picture("b.jpg", 640, 480),
                      c = picture("c.jpg", 640, 480);
        import({a, b, c});
        const auto *firstKind = job.transitions.first().kind;
        form()->boxImageDuration->setValue(4);
        deleteRow(1);
        QCOMPARE(job.materialOrder, (QList<QString>{a, c}));
        QCOMPARE(job.transitions.size(), 1);
        QCOMPARE(job.transitions.first().kind, firstKind);
        QCOMPARE(job.totalDuration, seconds(4 + 4 + 2));
        deleteRow(0);
        deleteRow(0);
        QVERIFY(job.materialOrder.isEmpty());
        QCOMPARE(job.totalDuration, qint64(0));
        QCOMPARE(job.uniformDurationValue, seconds(3));
        QCOMPARE(form()->boxImageDuration->value(), 1);
        QVERIFY(m_fixture.editor->currentPath.isEmpty());
        QVERIFY(!form()->btnExport->isEnabled());
        QVERIFY(!m_fixture.editor->player()->engineAttached());
        QCOMPARE(form()->divImageSourceOperate->currentWidget(), form()->pageAddImage);
    }

    // The self-adapting ratio: an 800x1200 first picture gives 2/3 and width 720 at 1080; removal
    // keeps it; dragging another picture to the top takes its ratio.
    void selfAdaptingRatioAndReorder()
    {
        Album &job = m_fixture.album();
        const QString tall = picture("tall.jpg", 800, 1200), wide = picture("wide.jpg", 1600, 900),
                      square = picture("square.jpg", 500, 500);
        form()->comboVideoRatio->setCurrentIndex(0);
        import({tall, wide, square});
        QCOMPARE(QSize(job.width, job.height), QSize(720, 1080));
        QCOMPARE(job.aspectNum * 3, job.aspectDen * 2);
        moveRow(0, 2);
        QCOMPARE(job.materialOrder, (QList<QString>{wide, square, tall}));
        QCOMPARE(job.width, 1920);
        deleteRow(0);
        QCOMPARE(job.width, 1920);
        moveRow(1, 0);
        QCOMPARE(job.materialOrder, (QList<QString>{tall, square}));
        QCOMPARE(job.width, 720);
        // A fixed ratio and height from the lists.
        form()->comboVideoRatio->setCurrentText(QStringLiteral("9:16"));
        form()->comboVideoHeight->setCurrentText(QStringLiteral("720P"));
        QCOMPARE(QSize(job.width, job.height), QSize(404, 720));
        QCOMPARE(job.watermarkFont.pixelSize(), 30);
    }
};

QTEST_MAIN(TestZodoZadar)
#include "tst_zodozadar.moc"
