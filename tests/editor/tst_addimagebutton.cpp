// The add-pictures area: a click only when press and release are both inside, its three looks,
// and its keyboard and screen-reader access.
#include "addimagebutton.h"
#include "imagelistview.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

class TstAddImageButton : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pButton = new AddImageButton;
        m_pButton->resize(400, 60);
        m_pButton->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pButton));
    }
    void cleanup() { delete m_pButton; }

    void click_data();
    void click();
    void looksFollowTheMouse();
    void keyboardAndScreenReader();
    void chineseTexts();

private:
    QString iconSheet() const
    {
        return m_pButton->findChild<QLabel *>(QStringLiteral("iconLabel"))->styleSheet();
    }
    AddImageButton *m_pButton = nullptr;
};

void TstAddImageButton::click_data()
{
    QTest::addColumn<QString>("pressOn"); // child that receives the press, or empty for the button
    QTest::addColumn<QPoint>("release");  // in the button's coordinates
    QTest::addColumn<int>("clicks");
    QTest::newRow("press and release inside") << QString() << QPoint(30, 30) << 1;
    QTest::newRow("on the hint text") << "textLabel" << QPoint(200, 30) << 1;
    QTest::newRow("on the icon") << "iconLabel" << QPoint(20, 20) << 1;
    QTest::newRow("released to the right") << QString() << QPoint(401, 30) << 0;
    QTest::newRow("released above") << "textLabel" << QPoint(200, -1) << 0;
}

void TstAddImageButton::click()
{
    QFETCH(QString, pressOn);
    QFETCH(QPoint, release);
    QFETCH(int, clicks);
    QSignalSpy spy(m_pButton, &AddImageButton::sig_clickedContent);
    QWidget *pTarget = pressOn.isEmpty() ? static_cast<QWidget *>(m_pButton)
                                         : m_pButton->findChild<QWidget *>(pressOn);
    const QPoint stPress = pTarget->rect().center();
    QTest::mouseMove(pTarget, stPress);
    QTest::mousePress(pTarget, Qt::LeftButton, Qt::NoModifier, stPress);
    // The release goes to the widget that took the press, wherever the cursor is.
    QTest::mouseRelease(pTarget, Qt::LeftButton, Qt::NoModifier,
                        pTarget->mapFrom(m_pButton, release));
    QCOMPARE(spy.count(), clicks);
}

void TstAddImageButton::looksFollowTheMouse()
{
    QTest::mouseMove(m_pButton, QPoint(-40, -40));
    QTRY_VERIFY(iconSheet().contains(QLatin1String("addImage.png")));
    QCOMPARE(m_pButton->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(m_pButton, QPoint(20, 20));
    QTRY_VERIFY(iconSheet().contains(QLatin1String("addImage-1.png")));
    QCOMPARE(m_pButton->cursor().shape(), Qt::PointingHandCursor);
    QTest::mousePress(m_pButton, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QVERIFY(iconSheet().contains(QLatin1String("addImage-2.png")));
    QTest::mouseRelease(m_pButton, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QVERIFY(iconSheet().contains(QLatin1String("addImage-1.png")));

    // Another window taking over resets every state.
    QTest::mousePress(m_pButton, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(m_pButton, &deactivate);
    QVERIFY(iconSheet().contains(QLatin1String("addImage.png")));
    QSignalSpy spy(m_pButton, &AddImageButton::sig_clickedContent);
    QTest::mouseRelease(m_pButton, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QCOMPARE(spy.count(), 0);
}

void TstAddImageButton::keyboardAndScreenReader()
{
    QSignalSpy spy(m_pButton, &AddImageButton::sig_clickedContent);
    QVERIFY(m_pButton->focusPolicy() & Qt::TabFocus);
    m_pButton->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m_pButton, Qt::Key_Space);
    QTest::keyClick(m_pButton, Qt::Key_Return);
    QCOMPARE(spy.count(), 2);

    QAccessibleInterface *pIface = QAccessible::queryAccessibleInterface(m_pButton);
    QVERIFY(pIface);
    QCOMPARE(pIface->role(), QAccessible::Button);
    QCOMPARE(pIface->text(QAccessible::Name), QStringLiteral("Add pictures"));
    QAccessibleActionInterface *pActions = pIface->actionInterface();
    QVERIFY(pActions);
    QVERIFY(pActions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    pActions->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(spy.count(), 3);
}

// The strip's texts live in the same catalogue; both widgets are checked here.
void TstAddImageButton::chineseTexts()
{
    QTranslator translator;
    if (!translator.load(QStringLiteral(VM_APP_QM)))
        QSKIP("the Chinese catalogue was not built (no lrelease)");
    QCoreApplication::installTranslator(&translator);
    AddImageButton button;
    ImageListView list;
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(button.accessibleName(), QStringLiteral("添加图片"));
    QCOMPARE(button.findChild<QLabel *>(QStringLiteral("textLabel"))->text(),
             QStringLiteral("点击添加 .jpeg .png 图片素材"));
    QCOMPARE(list.accessibleName(), QStringLiteral("图片列表"));
}

QTEST_MAIN(TstAddImageButton)
#include "tst_addimagebutton.moc"
