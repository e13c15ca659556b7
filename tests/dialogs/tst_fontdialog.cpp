// Font dialog: signal order, unchanged confirmation of a watermark font, style matching, size
// typing, colour, filters and the Chinese texts.
#include "fontdialog.h"
#include "fontlistview.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

namespace {
// An installed family that names its slanted faces one way and not the other.
QString familyWith(const QString &szStyle, const QString &szNotStyle)
{
    QFontDatabase db;
    for (const QString &szFamily : db.families()) {
        const QStringList styles = db.styles(szFamily);
        if (!db.isPrivateFamily(szFamily) && styles.contains(szStyle) &&
            !styles.join(QLatin1Char(' ')).contains(szNotStyle))
            return szFamily;
    }
    return QString();
}

template <typename T> T *named(QWidget *pParent, const char *szAccessibleName)
{
    for (T *pWidget : pParent->findChildren<T *>()) {
        if (pWidget->accessibleName() == QString::fromUtf8(szAccessibleName))
            return pWidget;
    }
    return nullptr;
}
} // namespace

class TstFontDialog : public QObject
{
    Q_OBJECT
private slots:
    void signalOrder()
    {
        FontDialog dialog;
        dialog.setCurrentFont(QFont(QStringLiteral("DejaVu Sans"), 20));
        dialog.setCurrentColor(QColor(Qt::red));
        QStringList order;
        QFont stSelected;
        QColor stColor;
        connect(&dialog, &FontDialog::currentFontChanged, this,
                [&] { order << QStringLiteral("currentFontChanged"); });
        connect(&dialog, &FontDialog::fontSelected, this, [&](const QFont &f) {
            order << QStringLiteral("fontSelected");
            stSelected = f;
        });
        connect(&dialog, &FontDialog::currentColorChanged, this,
                [&] { order << QStringLiteral("currentColorChanged"); });
        connect(&dialog, &FontDialog::colorSelected, this, [&](const QColor &c) {
            order << QStringLiteral("colorSelected");
            stColor = c;
        });
        auto *pBox = dialog.findChild<QDialogButtonBox *>();

        dialog.show();
        pBox->button(QDialogButtonBox::Cancel)->click();
        QVERIFY(order.isEmpty());
        QCOMPARE(dialog.selectedFont(), QFont());

        dialog.show();
        pBox->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(order, (QStringList{"currentFontChanged", "fontSelected", "colorSelected"}));
        QCOMPARE(stSelected, dialog.currentFont());
        QCOMPARE(stColor, QColor(Qt::red));

        // Confirmed again without a change: still both, font first.
        order.clear();
        dialog.show();
        pBox->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(order, (QStringList{"fontSelected", "colorSelected"}));
    }

    // The editor hands over its pixel-sized watermark font; OK without a change must give back
    // the same family, face and pixel size, including the half-point sizes of 30 and 126 pixels.
    void unchangedWatermarkFont_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("boldItalic");
        for (int iPixels : {24, 30, 48, 60, 126})
            QTest::addRow("substituted family, %d px", iPixels)
                << "Microsoft YaHei UI" << iPixels << false;
        QTest::newRow("bold italic, 30 px") << "DejaVu Serif" << 30 << true;
    }
    void unchangedWatermarkFont()
    {
        QFETCH(QString, family);
        QFETCH(int, pixels);
        QFETCH(bool, boldItalic);
        QFont stWatermark(family);
        stWatermark.setPixelSize(pixels);
        stWatermark.setBold(boldItalic);
        stWatermark.setItalic(boldItalic);
        const QFontInfo before(stWatermark);

        FontDialog dialog;
        dialog.setCurrentFont(FontDialog::dialogFontFor(stWatermark));
        QFont stChosen;
        connect(&dialog, &FontDialog::fontSelected, this, [&](const QFont &f) { stChosen = f; });
        dialog.accept();
        QCOMPARE(stChosen.family(), before.family());
        QCOMPARE(FontDialog::pixelSizeFor(stChosen), pixels);
        const QFontInfo after(stChosen);
        QCOMPARE(after.family(), before.family());
        QCOMPARE(after.styleName(), before.styleName());
        QCOMPARE(after.weight(), before.weight());
        QCOMPARE(after.italic(), before.italic());
    }

    void obliqueItalic_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("asked"); // empty: the italic flag; "-": a plain font
        QTest::addColumn<QString>("expected");
        const QString szOblique = familyWith(QStringLiteral("Oblique"), QStringLiteral("Italic"));
        const QString szItalic = familyWith(QStringLiteral("Italic"), QStringLiteral("Oblique"));
        if (szOblique.isEmpty() || szItalic.isEmpty())
            QSKIP("needs one family with Oblique faces and one with Italic faces");
        QTest::newRow("Italic asked, Oblique found") << szOblique << "Italic"
                                                     << "Oblique";
        QTest::newRow("italic flag, Oblique found") << szOblique << ""
                                                    << "Oblique";
        QTest::newRow("Oblique asked, Italic found") << szItalic << "Oblique"
                                                     << "Italic";
        if (QFontDatabase().styles(szOblique).contains(QStringLiteral("Bold Oblique")))
            QTest::newRow("Bold Italic asked") << szOblique << "Bold Italic"
                                               << "Bold Oblique";
        QTest::newRow("exact") << szItalic << "Italic"
                               << "Italic";
        // "Normal" is no face name; the upright face is meant, whatever the first row is.
        QTest::newRow("plain font stays upright")
            << szOblique << "-" << QFontInfo(QFont(szOblique)).styleName();
        QTest::newRow("unknown style name: the face drawn")
            << szItalic << "Shadowed" << QFontInfo(QFont(szItalic)).styleName();
    }
    void obliqueItalic()
    {
        QFETCH(QString, family);
        QFETCH(QString, asked);
        QFETCH(QString, expected);
        QFont stFont(family, 24);
        if (asked.isEmpty())
            stFont.setItalic(true);
        else if (asked != QLatin1String("-"))
            stFont.setStyleName(asked);
        FontDialog dialog;
        dialog.setCurrentFont(stFont);
        auto *pStyles = named<FontListView>(&dialog, "Font style");
        QCOMPARE(pStyles->currentText(), expected);
        QCOMPARE(named<QLineEdit>(&dialog, "Chosen font style")->text(), expected);
        QCOMPARE(named<FontListView>(&dialog, "Font family")->currentText(), family);
        const bool bSlanted = expected.contains(QLatin1String("Oblique")) ||
                              expected.contains(QLatin1String("Italic"));
        QCOMPARE(dialog.currentFont().style() != QFont::StyleNormal, bSlanted);
    }

    void sizeTyping_data()
    {
        QTest::addColumn<QString>("typed"); // replaces the field's text
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("listed"); // the size list's selection, empty for none
        QTest::newRow("listed size") << "24"
                                     << "24" << 24 << "24";
        QTest::newRow("unlisted size") << "25"
                                       << "25" << 25 << "";
        QTest::newRow("600 refused after 60") << "600"
                                              << "60" << 60 << "";
        QTest::newRow("512") << "512"
                             << "512" << 512 << "";
        QTest::newRow("0 is not a size") << "0"
                                         << "0" << 20 << "20";
        QTest::newRow("emptied") << ""
                                 << "" << 20 << "20";
        QTest::newRow("letters refused") << "ab"
                                         << "" << 20 << "20";
    }
    void sizeTyping()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, points);
        QFETCH(QString, listed);
        FontDialog dialog;
        dialog.setCurrentFont(QFont(QStringLiteral("DejaVu Sans"), 20));
        auto *pEdit = named<QLineEdit>(&dialog, "Font size");
        auto *pList = named<FontListView>(&dialog, "Font sizes");
        pEdit->selectAll();
        QTest::keyClick(pEdit, Qt::Key_Backspace);
        QTest::keyClicks(pEdit, typed);
        QCOMPARE(pEdit->text(), shown);
        QCOMPARE(dialog.currentFont().pointSize(), points);
        const QModelIndexList selected = pList->selectionModel()->selectedIndexes();
        QCOMPARE(selected.isEmpty() ? QString() : selected.first().data().toString(), listed);
    }

    void halfPointSize()
    {
        QFont stFont(QStringLiteral("DejaVu Sans"));
        stFont.setPointSizeF(22.5);
        FontDialog dialog;
        dialog.setCurrentFont(stFont);
        auto *pEdit = named<QLineEdit>(&dialog, "Font size");
        QCOMPARE(pEdit->text(), QStringLiteral("22.5"));
        QCOMPARE(dialog.currentFont().pointSizeF(), 22.5);
        pEdit->end(false);
        QTest::keyClick(pEdit, Qt::Key_Backspace);
        QCOMPARE(pEdit->text(), QStringLiteral("22."));
        QCOMPARE(dialog.currentFont().pointSizeF(), 22.5); // unfinished: unchanged
        QTest::keyClick(pEdit, Qt::Key_Backspace);
        QCOMPARE(dialog.currentFont().pointSizeF(), 22.0);
        QTest::keyClicks(pEdit, QStringLiteral(".5"));
        QCOMPARE(dialog.currentFont().pointSizeF(), 22.5);
        QTest::keyClicks(pEdit, QStringLiteral("5"));
        QCOMPARE(pEdit->text(), QStringLiteral("22.5")); // no other fraction is typed
    }

    void sizeKeysAndReturn()
    {
        FontDialog dialog;
        dialog.setCurrentFont(QFont(QStringLiteral("DejaVu Sans"), 20));
        auto *pEdit = named<QLineEdit>(&dialog, "Font size");
        auto *pList = named<FontListView>(&dialog, "Font sizes");
        const int iRow = pList->currentItem();
        QTest::keyClick(pEdit, Qt::Key_Down);
        QCOMPARE(pList->currentItem(), iRow + 1);
        QCOMPARE(pEdit->text(), pList->currentText());
        QCOMPARE(dialog.currentFont().pointSize(), pList->currentText().toInt());

        QSignalSpy selected(&dialog, &FontDialog::fontSelected);
        dialog.show();
        QTest::keyClick(named<FontListView>(&dialog, "Font family"), Qt::Key_Return);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void colourChange()
    {
        FontDialog dialog;
        dialog.setCurrentFont(QFont(QStringLiteral("DejaVu Sans"), 20));
        QSignalSpy colourSpy(&dialog, &FontDialog::currentColorChanged);
        QSignalSpy fontSpy(&dialog, &FontDialog::currentFontChanged);
        dialog.setCurrentColor(QColor(255, 0, 0));
        QCOMPARE(colourSpy.count(), 1);
        QCOMPARE(fontSpy.count(), 0);
        auto *pSwatch = named<QPushButton>(&dialog, "Text color");
        QCOMPARE(pSwatch->styleSheet(), QStringLiteral("border: none;background-color: #ffff0000"));
        auto *pSample = dialog.findChild<QLineEdit *>(QStringLiteral("qt_fontDialog_sampleEdit"));
        QCOMPARE(pSample->palette().color(QPalette::Disabled, QPalette::Text), QColor(255, 0, 0));
    }

    void colourPicker_data()
    {
        QTest::addColumn<QColor>("current");
        QTest::addColumn<QColor>("start");
        QTest::addColumn<bool>("accept");
        QTest::newRow("black starts white") << QColor(Qt::black) << QColor(Qt::white) << true;
        QTest::newRow("unset starts white") << QColor() << QColor(Qt::white) << true;
        QTest::newRow("red starts red") << QColor(Qt::red) << QColor(Qt::red) << true;
        QTest::newRow("cancelled") << QColor(Qt::red) << QColor(Qt::red) << false;
    }
    void colourPicker()
    {
        QFETCH(QColor, current);
        QFETCH(QColor, start);
        QFETCH(bool, accept);
        FontDialog dialog;
        dialog.setCurrentColor(current);
        dialog.show();
        const QColor stPicked(10, 200, 30);
        QColor stStart;
        QTimer::singleShot(0, &dialog, [&] {
            auto *pPicker = dialog.findChild<QColorDialog *>();
            QVERIFY(pPicker && pPicker->isVisible());
            stStart = pPicker->currentColor();
            pPicker->setCurrentColor(stPicked);
            if (accept)
                pPicker->accept();
            else
                pPicker->reject();
        });
        QSignalSpy colourSpy(&dialog, &FontDialog::currentColorChanged);
        named<QPushButton>(&dialog, "Text color")->click();
        QCOMPARE(stStart, start);
        QCOMPARE(colourSpy.count(), accept ? 1 : 0);
        QCOMPARE(dialog.currentColor(), accept ? stPicked : current);
    }

    void familyFilters()
    {
        FontDialog dialog;
        auto *pFamilies = named<FontListView>(&dialog, "Font family");
        const int iAll = pFamilies->count();
        QVERIFY(iAll > 0);
        QFontDatabase db;
        dialog.setOptions(FontDialog::MonospacedFonts);
        QVERIFY(pFamilies->count() > 0 && pFamilies->count() < iAll);
        for (int i = 0; i < pFamilies->count(); ++i)
            QVERIFY2(db.isFixedPitch(pFamilies->text(i)), qPrintable(pFamilies->text(i)));
        dialog.setOptions(FontDialog::ProportionalFonts);
        for (int i = 0; i < pFamilies->count(); ++i)
            QVERIFY(!db.isFixedPitch(pFamilies->text(i)));
        // Both of a pair filter nothing.
        dialog.setOptions(FontDialog::MonospacedFonts | FontDialog::ProportionalFonts |
                          FontDialog::ScalableFonts | FontDialog::NonScalableFonts);
        QCOMPARE(pFamilies->count(), iAll);
        dialog.setOption(FontDialog::NoButtons);
        QVERIFY(dialog.findChild<QDialogButtonBox *>()->isHidden());
    }

    void chineseTexts()
    {
        QTranslator translator;
        if (!translator.load(QStringLiteral(VM_TRANSLATIONS_DIR "/app_zh_CN.qm")))
            QSKIP("the translations were not built (lrelease missing)");
        FontDialog dialog;
        // Installed while the dialog is open: the language change re-applies every text.
        QCoreApplication::installTranslator(&translator);
        QTRY_COMPARE(dialog.windowTitle(), QStringLiteral("\u9009\u62E9\u5B57\u4F53"));
        const auto widgets = dialog.findChildren<QWidget *>();
        int iNamed = 0;
        for (QWidget *pWidget : widgets) {
            if (!qobject_cast<QAbstractButton *>(pWidget) &&
                !qobject_cast<QAbstractItemView *>(pWidget) && !qobject_cast<QLineEdit *>(pWidget))
                continue;
            if (qobject_cast<QAbstractItemView *>(pWidget) && pWidget->parent() != &dialog)
                continue; // the hidden writing-system combo box's own list
            QVERIFY2(!pWidget->accessibleName().isEmpty() &&
                         pWidget->accessibleName().at(0).unicode() > 0x2E80,
                     qPrintable(pWidget->accessibleName()));
            ++iNamed;
        }
        QCOMPARE(iNamed, 3 + 4 + 5); // lists; edits and sample; check boxes, swatch and buttons
        QString szPick;
        QTimer::singleShot(0, &dialog, [&] {
            auto *pPicker = dialog.findChild<QColorDialog *>();
            for (QPushButton *pButton : pPicker->findChildren<QPushButton *>()) {
                if (pButton->text().contains(QLatin1String("(&P)")))
                    szPick = pButton->text();
            }
            pPicker->reject();
        });
        dialog.show();
        named<QPushButton>(&dialog, "\u6587\u5B57\u989C\u8272")->click();
        QCOMPARE(szPick, QStringLiteral("\u62FE\u53D6\u5C4F\u5E55\u989C\u8272(&P)"));
        QCoreApplication::removeTranslator(&translator);
    }
};

QTEST_MAIN(TstFontDialog)
#include "tst_fontdialog.moc"
