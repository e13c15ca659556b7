// Styled combo box: pop-up offset, row painting (check mark, highlight, paddings) and row height.
#include "cqcombobox.h"
#include "cqcomboboxlistview.h"

#include <QPainter>
#include <QStandardItemModel>
#include <QtTest>

using namespace ShareCode;

namespace {
struct RowPixels
{
    int iCheckLeft = -1, iCheckTop = -1; // first pure-red (check mark) pixel
    int iTextLeft = -1;                  // leftmost text pixel
    QColor stTextColor;
    bool bHighlight = false; // selection background under the row's right end
};

bool isRed(const QColor &c)
{
    return c.alpha() > 200 && c.red() > 200 && c.green() < 60 && c.blue() < 60;
}
} // namespace

class TstCQComboBox : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pWindow = new QWidget;
        m_pWindow->resize(400, 300);
        m_pBox = new CQComboBox(m_pWindow);
        m_pBox->setGeometry(20, 20, 140, 34);
        m_pBox->setStyleSheet(QStringLiteral("QComboBox{combobox-popup:0;}"));
        m_pBox->addItems({"MP4", "AVI", "GIF", "WEBM"});
        m_pBox->setIconSize(QSize(16, 16));
        m_pView = qobject_cast<CQComboBoxListView *>(m_pBox->view());
        QPixmap check(16, 16);
        check.fill(QColor(255, 0, 0));
        m_pView->setCheckedIcon(QIcon(check));
        m_pView->setSelectionBackgroudColor(QColor(0, 255, 0));
        m_pView->setItemBorderRadius(4);
        m_pWindow->show();
    }
    void cleanup() { delete m_pWindow; }

    void popupOffset()
    {
        QVERIFY(m_pView);
        m_pBox->showPopup();
        QWidget *pPopup = m_pView->window();
        QVERIFY(pPopup->isVisible());
        const QPoint stBase = pPopup->pos();
        m_pBox->hidePopup();
        m_pBox->setSpacingBetweenBoxAndListView(4);
        m_pBox->showPopup();
        QCOMPARE(pPopup->pos(), stBase + QPoint(0, 4));
        QVERIFY(pPopup->testAttribute(Qt::WA_TranslucentBackground));
        m_pBox->hidePopup();
    }

    void animationSettingRestored()
    {
        QApplication::setEffectEnabled(Qt::UI_General, true);
        QApplication::setEffectEnabled(Qt::UI_AnimateCombo, true);
        const bool bBefore = QApplication::isEffectEnabled(Qt::UI_AnimateCombo);
        m_pBox->setEffectEnabled(!bBefore);
        m_pBox->showPopup();
        m_pBox->hidePopup();
        QCOMPARE(QApplication::isEffectEnabled(Qt::UI_AnimateCombo), bBefore);
    }

    void checkMarkAndText_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("expectedCheckLeft");
        QTest::newRow("left, as the export dialog sets it")
            << int(CQComboBoxItemDelegate::LeftPosition) << 8;
        QTest::newRow("right (default)")
            << int(CQComboBoxItemDelegate::RightPosition) << 160 - 16 - 8;
    }
    void checkMarkAndText()
    {
        QFETCH(int, position);
        QFETCH(int, expectedCheckLeft);
        m_pView->setCheckedIconPosition(CQComboBoxItemDelegate::Position(position));
        m_pView->setItemContentLeftPadding(37);
        m_pBox->setCurrentIndex(1);
        const RowPixels current = paintRow(1, QStyle::State_None);
        QCOMPARE(current.iCheckLeft, expectedCheckLeft);
        QCOMPARE(current.iCheckTop, (32 - 16) / 2);
        QVERIFY2(current.iTextLeft >= 37 && current.iTextLeft <= 40,
                 qPrintable(QString::number(current.iTextLeft)));
        QVERIFY(current.bHighlight);
    }

    void highlight_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("hover");
        QTest::addColumn<bool>("highlight");
        QTest::addColumn<bool>("check");
        QTest::newRow("neither current nor hovered") << 0 << false << false << false;
        QTest::newRow("hovered, not current") << 2 << true << true << false;
        QTest::newRow("current, not hovered") << 1 << false << true << true;
        QTest::newRow("disabled and hovered") << 3 << true << false << false;
    }
    void highlight()
    {
        QFETCH(int, row);
        QFETCH(bool, hover);
        QFETCH(bool, highlight);
        QFETCH(bool, check);
        auto *pModel = qobject_cast<QStandardItemModel *>(m_pBox->model());
        pModel->item(3)->setEnabled(false);
        m_pBox->setCurrentIndex(1);
        const RowPixels pixels =
            paintRow(row, hover ? QStyle::State_MouseOver : QStyle::State_None);
        QCOMPARE(pixels.bHighlight, highlight);
        QCOMPARE(pixels.iCheckLeft >= 0, check);
        if (row == 3) {
            // Disabled rows are grey.
            const QColor c = pixels.stTextColor;
            QVERIFY2(qAbs(c.red() - c.blue()) < 20 && qAbs(c.red() - c.green()) < 20,
                     qPrintable(c.name()));
        }
    }

    void rowHeight()
    {
        const QModelIndex index = m_pBox->model()->index(0, 0);
        QStyleOptionViewItem option;
        option.font = m_pBox->font();
        QAbstractItemDelegate *pDelegate = m_pView->itemDelegate();
        const int iNatural = pDelegate->sizeHint(option, index).height();
        QCOMPARE(m_pView->itemHeight(), -1);
        QVERIFY(iNatural > 0 && iNatural != 32);
        m_pView->setItemHeight(32);
        QCOMPARE(pDelegate->sizeHint(option, index).height(), 32);
        m_pBox->showPopup();
        QCOMPARE(m_pView->visualRect(index).height(), 32);
        m_pBox->hidePopup();
    }

    void propertiesFromStyleSheet()
    {
        m_pBox->setStyleSheet(QStringLiteral(
            "QComboBox{combobox-popup:0;}"
            "QListView{qproperty-itemHeight:32;qproperty-itemWidth:160;"
            "qproperty-itemBorderRadius:4;qproperty-checkedIconPosition:LeftPosition;"
            "qproperty-itemContentLeftPadding:37;qproperty-selectionBackgroudColor:#EEEEEF;"
            "qproperty-selectionColor:#333333;qproperty-itemTextElideMode:ElideRight;"
            "qproperty-checkedIcon:url(:/theme_local/imgs/comboboxCheck.png);}"));
        m_pBox->showPopup();
        QCOMPARE(m_pView->itemHeight(), 32);
        QCOMPARE(m_pView->itemWidth(), 160);
        QCOMPARE(m_pView->itemBorderRadius(), 4.0);
        QCOMPARE(m_pView->checkedIconPosition(), CQComboBoxItemDelegate::LeftPosition);
        QCOMPARE(m_pView->itemContentLeftPadding(), 37);
        QCOMPARE(m_pView->selectionBackgroudColor(), QColor("#EEEEEF"));
        QCOMPARE(m_pView->selectionColor(), QColor("#333333"));
        QCOMPARE(m_pView->itemTextElideMode(), Qt::ElideRight);
        QVERIFY(!m_pView->checkedIcon().isNull());
        m_pBox->hidePopup();
    }

    void foreignDelegateIgnoresProperties()
    {
        auto *pOwn = m_pView->itemDelegate();
        QItemDelegate other;
        m_pView->setItemDelegate(&other);
        m_pView->setItemHeight(50);
        QCOMPARE(m_pView->itemContentLeftPadding(), 0);
        QCOMPARE(m_pView->checkedIconPosition(), CQComboBoxItemDelegate::NonePosition);
        m_pView->setItemDelegate(pOwn);
        QCOMPARE(m_pView->itemHeight(), -1);
    }

private:
    RowPixels paintRow(int iRow, QStyle::State extraState)
    {
        QImage image(160, 32, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 160, 32);
        option.widget = m_pView;
        option.font = m_pBox->font();
        option.palette.setColor(QPalette::Text, QColor(0, 0, 255));
        const QModelIndex index = m_pBox->model()->index(iRow, 0);
        const bool bEnabled = index.flags().testFlag(Qt::ItemIsEnabled);
        option.state = extraState | (bEnabled ? QStyle::State_Enabled : QStyle::State_None);
        m_pView->itemDelegate()->paint(&painter, option, index);
        painter.end();

        RowPixels result;
        result.bHighlight = image.pixelColor(155, 16) == QColor(0, 255, 0);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 160; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (isRed(c) && (result.iCheckLeft < 0 || x < result.iCheckLeft))
                    result.iCheckLeft = x, result.iCheckTop = y;
                // The highlight is green, partly transparent along its rounded corners.
                const bool bBackground =
                    c.alpha() == 0 || (c.green() > c.red() + 50 && c.green() > c.blue() + 50);
                if (!bBackground && !isRed(c) && c.alpha() > 100 &&
                    (result.iTextLeft < 0 || x < result.iTextLeft)) {
                    result.iTextLeft = x;
                    result.stTextColor = c;
                }
            }
        }
        return result;
    }

    QWidget *m_pWindow = nullptr;
    CQComboBox *m_pBox = nullptr;
    CQComboBoxListView *m_pView = nullptr;
};

QTEST_MAIN(TstCQComboBox)
#include "tst_cqcombobox.moc"
