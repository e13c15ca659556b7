// Theme style sheets and themed resource paths.
#include "cqthememgr.h"

#include <QDir>
#include <QFile>
#include <QWidget>
#include <QtTest>

using namespace ShareCode;

class TstCQThemeMgr : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // A theme folder beside the test executable, as a theme would be installed.
        m_szTheme = QStringLiteral("tst_theme_%1").arg(QCoreApplication::applicationPid());
        m_szThemeDir = QCoreApplication::applicationDirPath() + QLatin1Char('/') + m_szTheme;
        QVERIFY(QDir().mkpath(m_szThemeDir + QStringLiteral("/qss")));
        writeFile(QStringLiteral("qss/themed.qss"), "#themed{background-color:#123456;}");
        writeFile(QStringLiteral("qss/empty.qss"), "");
        writeFile(QStringLiteral("imgs/local.png"), "not really a picture");
    }
    void cleanupTestCase() { QDir(m_szThemeDir).removeRecursively(); }

    void emptyThemeLeavesStyleSheetsAlone()
    {
        CQThemeMgr mgr;
        QCOMPARE(mgr.themeName(), QString());
        QWidget widget;
        widget.setObjectName(QStringLiteral("themed"));
        widget.setStyleSheet(QStringLiteral("color:red;"));
        auto *pChild = new QWidget(&widget);
        pChild->setStyleSheet(QStringLiteral("color:blue;"));
        QVERIFY(!mgr.apply(&widget));
        QCOMPARE(widget.styleSheet(), QStringLiteral("color:red;"));
        QCOMPARE(pChild->styleSheet(), QStringLiteral("color:blue;"));
    }

    void applyReplacesSheetsOfWidgetAndDescendants()
    {
        CQThemeMgr mgr;
        mgr.setThemeName(m_szTheme);
        QWidget widget;
        widget.setObjectName(QStringLiteral("themed"));
        widget.setStyleSheet(QStringLiteral("color:red;"));
        auto *pChild = new QWidget(&widget);
        auto *pGrandChild = new QWidget(pChild);
        pChild->setStyleSheet(QStringLiteral("color:blue;"));
        pGrandChild->setStyleSheet(QStringLiteral("color:green;"));
        QVERIFY(mgr.apply(&widget));
        QCOMPARE(widget.styleSheet(), QStringLiteral("#themed{background-color:#123456;}"));
        QCOMPARE(pChild->styleSheet(), QString());
        QCOMPARE(pGrandChild->styleSheet(), QString());
    }

    void applyRefuses_data()
    {
        QTest::addColumn<QString>("objectName");
        QTest::newRow("no object name") << QString();
        QTest::newRow("no qss file") << QStringLiteral("missing");
        QTest::newRow("empty qss file") << QStringLiteral("empty");
    }
    void applyRefuses()
    {
        QFETCH(QString, objectName);
        CQThemeMgr mgr;
        mgr.setThemeName(m_szTheme);
        QWidget widget;
        widget.setObjectName(objectName);
        widget.setStyleSheet(QStringLiteral("color:red;"));
        QVERIFY(!mgr.apply(&widget));
        QCOMPARE(widget.styleSheet(), QStringLiteral("color:red;"));
    }

    void resolve_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const QString appDir = QCoreApplication::applicationDirPath();
        QTest::newRow("application folder first")
            << m_szTheme << "imgs/local.png" << appDir + "/" + m_szTheme + "/imgs/local.png";
        QTest::newRow("theme resource") << "theme_local"
                                        << "imgs/toastIcon.png"
                                        << ":/theme_local/imgs/toastIcon.png";
        QTest::newRow("falls back to the default theme") << m_szTheme << "imgs/logo.png"
                                                         << ":/theme_default/imgs/logo.png";
        QTest::newRow("no theme") << QString() << "imgs/x.png"
                                  << ":/theme_default/imgs/x.png";
    }
    void resolve()
    {
        QFETCH(QString, theme);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        CQThemeMgr mgr;
        mgr.setThemeName(theme);
        QString szPath;
        mgr.resolve(name, szPath);
        QCOMPARE(szPath, expected);
    }

private:
    void writeFile(const QString &szRelative, const QByteArray &data)
    {
        const QString szPath = m_szThemeDir + QLatin1Char('/') + szRelative;
        QDir().mkpath(QFileInfo(szPath).path());
        QFile file(szPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

    QString m_szTheme;
    QString m_szThemeDir;
};

QTEST_MAIN(TstCQThemeMgr)
#include "tst_cqthememgr.moc"
