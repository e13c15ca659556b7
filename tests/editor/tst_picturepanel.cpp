// The picture panel shows its picture as the video shows it (the renderer's own frame: fill and
// caption) with the motion's rectangles over it, follows each change, and offers the colour
// swatch only with the colour fill; transitions read as names in both languages, in a list that
// scrolls.
#include "album.h"
#include "lookpreview.h"
#include "picturepanel.h"
#include "picturerenderer.h"
#include "testmedia.h"

#include "framegraph.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {
bool near(QRgb pixel, QColor expected, int tolerance = 24)
{
    return qAbs(qRed(pixel) - expected.red()) <= tolerance &&
           qAbs(qGreen(pixel) - expected.green()) <= tolerance &&
           qAbs(qBlue(pixel) - expected.blue()) <= tolerance;
}
} // namespace

class TestPicturePanel : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_square; // a 600 x 600 red picture: the fill shows beside it in a 16:9 frame

    // What the panel's picture box shows.
    static QImage shown(PicturePanel &panel)
    {
        QWidget *pView = panel.findChild<QWidget *>(QStringLiteral("labelPicture"));
        return pView ? pView->grab().toImage() : QImage();
    }

private slots:
    void initTestCase()
    {
        m_square = m_dir.filePath(QStringLiteral("square.jpg"));
        QVERIFY(testmedia::writeJpeg(m_square, 600, 600, QColor(220, 30, 30)));
    }

    void drawnByTheVideosRenderer()
    {
        PictureOptions options;
        options.fill = Fill{FillKind::Colour, qRgb(20, 40, 230)};
        options.caption.text = QStringLiteral("Holiday");
        options.caption.sizeOfHeight = 0.12;
        options.caption.colour = qRgb(255, 255, 0);
        options.caption.effect = TextEffect::Plain;
        PicturePanel panel(QPixmap(), QStringLiteral("square.jpg"), options, 3000000);
        auto preview =
            std::make_shared<LookPreview>(m_square, QSize(1920, 1080), PicturePanel::pictureBox());
        QVERIFY(!preview->isNull());
        QCOMPARE(preview->frameSize(), QSize(384, 216));
        panel.setLookPreview(preview, Fill{FillKind::Black, 0xff000000});

        // The very frame the renderer draws for the video at this size.
        const int W = preview->frameSize().width(), H = preview->frameSize().height();
        ResolvedLook look;
        look.fill = options.fill;
        look.caption = options.caption;
        const PreparedLook prepared = prepareLook(m_square, W, H, look);
        QVERIFY(prepared.still);
        const QImage expected = frameToImage(prepared.still.get());
        const QImage image = shown(panel);
        const QRect frame((image.width() - W) / 2, (image.height() - H) / 2, W, H);
        QCOMPARE(image.copy(frame).convertToFormat(QImage::Format_RGB32),
                 expected.convertToFormat(QImage::Format_RGB32));
        // The fill beside the picture, the picture, and the caption over it.
        const QRect picture = preview->pictureRect().translated(frame.topLeft());
        QVERIFY(near(image.pixel(frame.left() + 8, frame.center().y()), QColor(20, 40, 230)));
        QVERIFY(near(image.pixel(picture.center().x(), picture.top() + 20), QColor(220, 30, 30)));
        int iYellow = 0;
        for (int y = frame.center().y(); y < frame.bottom(); ++y)
            for (int x = picture.left(); x < picture.right(); ++x)
                iYellow += near(image.pixel(x, y), QColor(255, 255, 0), 40) ? 1 : 0;
        QVERIFY2(iYellow > 50, qPrintable(QString::number(iYellow)));
    }

    void followsEachChange()
    {
        PicturePanel panel(QPixmap(), QStringLiteral("square.jpg"), PictureOptions(), 3000000);
        auto preview =
            std::make_shared<LookPreview>(m_square, QSize(1920, 1080), PicturePanel::pictureBox());
        // An album whose fill is a colour: "As the album" shows it.
        panel.setLookPreview(preview, Fill{FillKind::Colour, qRgb(0, 200, 0)});
        QImage image = shown(panel);
        const QPoint beside((image.width() - preview->frameSize().width()) / 2 + 8,
                            image.height() / 2);
        QVERIFY(near(image.pixel(beside), QColor(0, 200, 0)));
        auto *pFill = panel.findChild<QComboBox *>(QStringLiteral("comboPictureFill"));
        pFill->setCurrentIndex(pFill->findData(int(FillKind::Black)));
        QVERIFY(near(shown(panel).pixel(beside), QColor(16, 16, 16)));
        pFill->setCurrentIndex(pFill->findData(int(FillKind::Blur)));
        // A blurred, darkened copy of the red picture.
        image = shown(panel);
        QVERIFY(qRed(image.pixel(beside)) > qGreen(image.pixel(beside)) + 30);

        // The crop: the whole picture with the part that fills the frame marked in white, a
        // band across the square picture (a 16:9 frame's shape), around its face when known.
        // Rows white down the middle that were not before (the view's own background may be).
        const QImage uncut = shown(panel);
        auto whiteRows = [&uncut](const QImage &shot) {
            QVector<int> rows;
            auto white = [](QRgb c) { return near(c, QColor(255, 255, 255), 30); };
            for (int y = 0; y < shot.height(); ++y)
                if (white(shot.pixel(shot.width() / 2, y)) &&
                    !white(uncut.pixel(uncut.width() / 2, y)))
                    rows << y;
            return rows;
        };
        pFill->setCurrentIndex(pFill->findData(int(FillKind::Crop)));
        const QVector<int> middle = whiteRows(shown(panel));
        QVERIFY2(middle.size() >= 2, qPrintable(QString::number(middle.size())));
        PictureFacts facts;
        facts.faces = {QRectF(0.45, 0.02, 0.1, 0.1)};
        panel.setPictureFacts(QStringLiteral("square.jpg"), facts);
        const QVector<int> high = whiteRows(shown(panel));
        QVERIFY(!high.isEmpty());
        // Its lower edge (the upper one lies on the picture's own edge) is higher up.
        QVERIFY2(high.last() < middle.last() - 20,
                 qPrintable(QStringLiteral("%1 %2").arg(high.last()).arg(middle.last())));
        pFill->setCurrentIndex(pFill->findData(int(FillKind::Black)));
        panel.setPictureFacts(QStringLiteral("square.jpg"), PictureFacts());

        // A caption shows while it is typed.
        const QImage before = shown(panel);
        auto *pCaption = panel.findChild<QLineEdit *>(QStringLiteral("editCaption"));
        QTest::keyClicks(pCaption, QStringLiteral("Sea"));
        QVERIFY(shown(panel) != before);
    }

    void motionRectanglesOverThePicture()
    {
        PictureOptions options;
        options.motion.kind = MotionKind::ZoomIn;
        options.fill = Fill{FillKind::Colour, qRgb(20, 40, 230)};
        PicturePanel panel(QPixmap(), QStringLiteral("square.jpg"), options, 3000000);
        auto preview =
            std::make_shared<LookPreview>(m_square, QSize(1920, 1080), PicturePanel::pictureBox());
        panel.setLookPreview(preview, Fill());
        const QImage image = shown(panel);
        const QRect picture =
            preview->pictureRect().translated((image.width() - preview->frameSize().width()) / 2,
                                              (image.height() - preview->frameSize().height()) / 2);
        // The start rectangle (the whole picture) is outlined in green along its left edge,
        // within the picture, not the frame.
        const QRgb edge = image.pixel(picture.left() + 1, picture.center().y());
        QVERIFY2(qGreen(edge) > 150 && qRed(edge) < 120, qPrintable(QString::number(edge, 16)));
    }

    void swatchOnlyWithTheColourFill_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("swatch");
        QTest::newRow("as the album") << int(FillKind::Album) << false;
        QTest::newRow("black bars") << int(FillKind::Black) << false;
        QTest::newRow("blurred picture") << int(FillKind::Blur) << false;
        QTest::newRow("colour") << int(FillKind::Colour) << true;
    }

    void swatchOnlyWithTheColourFill()
    {
        QFETCH(int, kind);
        QFETCH(bool, swatch);
        PicturePanel panel(QPixmap(), QStringLiteral("a.jpg"), PictureOptions(), 3000000);
        auto *pFill = panel.findChild<QComboBox *>(QStringLiteral("comboPictureFill"));
        auto *pSwatch = panel.findChild<QPushButton *>(QStringLiteral("btnFillColour"));
        // Both ways: chosen in the list, and shown from the options.
        pFill->setCurrentIndex(pFill->findData(kind));
        QCOMPARE(pSwatch->isVisibleTo(&panel), swatch);
        PictureOptions options;
        options.fill.kind = FillKind(kind);
        PicturePanel shownPanel(QPixmap(), QStringLiteral("a.jpg"), options, 3000000);
        QCOMPARE(shownPanel.findChild<QPushButton *>(QStringLiteral("btnFillColour"))
                     ->isVisibleTo(&shownPanel),
                 swatch);
    }

    void transitionsByName()
    {
        QTranslator chinese;
        QVERIFY(chinese.load(QStringLiteral(VM_APP_QM)));
        for (QTranslator *pTranslator : {static_cast<QTranslator *>(nullptr), &chinese}) {
            if (pTranslator)
                QCoreApplication::installTranslator(pTranslator);
            PicturePanel panel(QPixmap(), QStringLiteral("a.jpg"), PictureOptions(), 3000000);
            auto *pList = panel.findChild<QComboBox *>(QStringLiteral("comboPictureTransition"));
            QCOMPARE(pList->count(), 2 + kTransitionKindCount);
            QSet<QString> names;
            for (int row = 0; row < kTransitionKindCount; ++row) {
                const int item = pList->findData(row);
                QVERIFY(item >= 2);
                const QString name = pList->itemText(item);
                QVERIFY2(name != QLatin1String(kTransitionKinds[row].transitionName),
                         qPrintable(name));
                if (pTranslator)
                    QVERIFY2(name != QLatin1String(kTransitionKinds[row].displayName),
                             qPrintable(name));
                names.insert(name);
            }
            QCOMPARE(names.size(), kTransitionKindCount);
            // Chosen by its name, kept as the filter's.
            pList->setCurrentIndex(pList->findData(0));
            QCOMPARE(QLatin1String(panel.options().chosenKind->transitionName),
                     QLatin1String("fadeblack"));
            QCOMPARE(pList->currentText(),
                     pTranslator ? QCoreApplication::translate("Transition", "Fade through black")
                                 : QStringLiteral("Fade through black"));
            if (pTranslator)
                QCoreApplication::removeTranslator(pTranslator);
        }
    }

    void transitionListScrolls()
    {
        PicturePanel panel(QPixmap(), QStringLiteral("a.jpg"), PictureOptions(), 3000000);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        auto *pList = panel.findChild<QComboBox *>(QStringLiteral("comboPictureTransition"));
        pList->showPopup();
        QWidget *pPopup = pList->view()->window();
        QTRY_VERIFY(pPopup->isVisible());
        const int iRow = pList->view()->sizeHintForRow(0);
        QVERIFY(iRow > 0);
        // A dozen rows, then a scroll bar; on the screen whatever its size.
        QVERIFY2(pList->view()->viewport()->height() <= 12 * iRow + 4,
                 qPrintable(QString::number(pList->view()->viewport()->height())));
        QVERIFY(pList->view()->verticalScrollBar()->maximum() > 0);
        QVERIFY(pPopup->screen()->availableGeometry().contains(pPopup->geometry()));
        pList->hidePopup();
    }
};

QTEST_MAIN(TestPicturePanel)
#include "tst_picturepanel.moc"
