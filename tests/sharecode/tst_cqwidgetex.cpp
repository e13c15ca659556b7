// Centring arithmetic and style-property re-polish.
#include "cframelesswindow.h"
#include "cqwidgetex.h"

#include <QScreen>
#include <QtTest>

using namespace ShareCode;

class TstCQWidgetEx : public QObject
{
    Q_OBJECT
private slots:
    void centreOnParent_data()
    {
        QTest::addColumn<QRect>("parentGeometry");
        QTest::addColumn<QSize>("widgetSize");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("dialog on main window")
            << QRect(100, 100, 902, 580) << QSize(500, 300) << QPoint(301, 240);
        QTest::newRow("odd difference truncates")
            << QRect(0, 0, 903, 581) << QSize(500, 300) << QPoint(201, 140);
        QTest::newRow("wider than parent truncates towards zero")
            << QRect(100, 100, 902, 580) << QSize(1001, 681) << QPoint(51, 50);
        QTest::newRow("negative origin")
            << QRect(-1920, 0, 1920, 1080) << QSize(570, 402) << QPoint(-1245, 339);
    }
    void centreOnParent()
    {
        QFETCH(QRect, parentGeometry);
        QFETCH(QSize, widgetSize);
        QFETCH(QPoint, expected);
        QWidget parent;
        parent.setGeometry(parentGeometry);
        QWidget widget;
        widget.resize(widgetSize);
        QVERIFY(CQWidgetEx::centerWidget(&widget, &parent));
        QCOMPARE(widget.pos(), expected);
    }

    void centreWithoutParentUsesScreenUnderMainWindow()
    {
        CFramelessWindow frame;
        frame.move(10, 10);
        QWidget widget;
        widget.resize(200, 100);
        QVERIFY(CQWidgetEx::centerWidget(&widget));
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(widget.pos(), QPoint((avail.width() - 200) / 2 + avail.left(),
                                      (avail.height() - 100) / 2 + avail.top()));
        QVERIFY(!CQWidgetEx::centerWidget(nullptr));
    }

    void keepOnScreen_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("inside") << QPoint(100, 100) << QRect(0, 0, 1920, 1040) << QPoint(100, 100);
        QTest::newRow("below the bottom")
            << QPoint(100, 900) << QRect(0, 0, 1920, 1040) << QPoint(100, 836);
        QTest::newRow("left of the area")
            << QPoint(-30, 100) << QRect(0, 0, 1920, 1040) << QPoint(0, 100);
        QTest::newRow("second screen below the first")
            << QPoint(100, 1500) << QRect(0, 1080, 1920, 1040) << QPoint(100, 1500);
    }
    void keepOnScreen()
    {
        QFETCH(QPoint, pos);
        QFETCH(QRect, available);
        QFETCH(QPoint, expected);
        QCOMPARE(CQWidgetEx::keepOnScreen(pos, QSize(320, 204), available), expected);
    }

    void stylePropertyRepolishes()
    {
        QWidget window;
        window.setStyleSheet(
            QStringLiteral("#probe[qstyle=\"normal\"]{background-color:rgb(255,0,0);}"
                           "#probe[qstyle=\"max\"]{background-color:rgb(0,0,255);}"));
        auto *pProbe = new QWidget(&window);
        pProbe->setObjectName(QStringLiteral("probe"));
        pProbe->setGeometry(0, 0, 20, 20);
        QVERIFY(CQWidgetEx::setStyleProperty(pProbe, "qstyle", QStringLiteral("normal")));
        QCOMPARE(pProbe->grab().toImage().pixelColor(10, 10), QColor(255, 0, 0));
        QVERIFY(CQWidgetEx::setStyleProperty(pProbe, "qstyle", QStringLiteral("max")));
        QCOMPARE(pProbe->property("qstyle").toString(), QStringLiteral("max"));
        QCOMPARE(pProbe->grab().toImage().pixelColor(10, 10), QColor(0, 0, 255));
        QVERIFY(!CQWidgetEx::setStyleProperty(nullptr, "qstyle", QStringLiteral("max")));
    }
};

QTEST_MAIN(TstCQWidgetEx)
#include "tst_cqwidgetex.moc"
