// CQSlider: a click reports where it landed as a ratio; moves and releases jump there.
#include "cqslider.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

namespace {
void sendMouse(QWidget *w, QEvent::Type type, int x, Qt::MouseButtons buttons)
{
    const QPoint pos(x, w->height() / 2);
    QMouseEvent event(type, pos, w->mapToGlobal(pos),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}
} // namespace

class TestCQSlider : public QObject
{
    Q_OBJECT
private slots:
    void rangeIsThousandths();
    void mouseGivesRatio_data();
    void mouseGivesRatio();
    void moveWithoutButtonIsIgnored();
    void setRatioClamps_data();
    void setRatioClamps();
};

void TestCQSlider::rangeIsThousandths()
{
    CQSlider slider;
    QCOMPARE(slider.minimum(), 0);
    QCOMPARE(slider.maximum(), 1000);
    QCOMPARE(slider.orientation(), Qt::Horizontal);
}

void TestCQSlider::mouseGivesRatio_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<double>("perc");
    QTest::newRow("far left") << 0 << 0.0;
    QTest::newRow("left of the slider") << -30 << 0.0;
    QTest::newRow("a quarter") << 100 << 0.25;
    QTest::newRow("right edge") << 400 << 1.0;
    QTest::newRow("beyond the right edge") << 470 << 1.0;
}

void TestCQSlider::mouseGivesRatio()
{
    QFETCH(int, x);
    QFETCH(double, perc);
    CQSlider slider;
    slider.resize(400, 12);
    slider.setValue(500);
    QSignalSpy pressed(&slider, &CQSlider::cSliderPressSignal);
    QSignalSpy moved(&slider, &CQSlider::cSliderMoveSignal);
    QSignalSpy released(&slider, &CQSlider::cSliderReleaseSignal);

    sendMouse(&slider, QEvent::MouseButtonPress, x, Qt::LeftButton);
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(pressed.at(0).at(0).toDouble(), perc);
    QCOMPARE(slider.value(), 500); // a press does not move the handle

    sendMouse(&slider, QEvent::MouseMove, x, Qt::LeftButton);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.at(0).at(0).toDouble(), perc);
    QCOMPARE(slider.value(), qRound(perc * 1000));

    slider.setValue(500);
    sendMouse(&slider, QEvent::MouseButtonRelease, x, Qt::NoButton);
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.at(0).at(0).toDouble(), perc);
    QCOMPARE(slider.value(), qRound(perc * 1000));
}

void TestCQSlider::moveWithoutButtonIsIgnored()
{
    CQSlider slider;
    slider.resize(400, 12);
    QSignalSpy moved(&slider, &CQSlider::cSliderMoveSignal);
    sendMouse(&slider, QEvent::MouseMove, 200, Qt::NoButton);
    QCOMPARE(moved.count(), 0);
    QCOMPARE(slider.value(), 0);
}

void TestCQSlider::setRatioClamps_data()
{
    QTest::addColumn<double>("perc");
    QTest::addColumn<int>("value");
    QTest::newRow("below") << -0.5 << 0;
    QTest::newRow("inside") << 0.377 << 377;
    QTest::newRow("above") << 1.7 << 1000;
}

void TestCQSlider::setRatioClamps()
{
    QFETCH(double, perc);
    QFETCH(int, value);
    CQSlider slider;
    slider.setRatio(perc);
    QCOMPARE(slider.value(), value);
}

QTEST_MAIN(TestCQSlider)
#include "tst_cqslider.moc"
