// Every image path the sources name exists in the compiled-in resources.
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QtTest>

class TstThemeResources : public QObject
{
    Q_OBJECT
private slots:
    void namedImagesExist()
    {
        const QRegularExpression pathPattern(
            QStringLiteral(":/theme_(?:local|default)/[A-Za-z0-9_./-]+\\.png"));
        QMap<QString, QString> named; // path -> first file naming it
        QDirIterator it(QStringLiteral(VM_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString szFile = it.next();
            QFile file(szFile);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString szText = QString::fromUtf8(file.readAll());
            auto matches = pathPattern.globalMatch(szText);
            while (matches.hasNext()) {
                const QString szPath = matches.next().captured(0);
                if (!named.contains(szPath))
                    named.insert(szPath, szFile);
            }
        }
        QVERIFY2(named.size() >= 20, "the scan found too few image paths");
        QStringList missing;
        for (auto entry = named.cbegin(); entry != named.cend(); ++entry) {
            if (QImage(entry.key()).isNull())
                missing << entry.key() + QStringLiteral(" (") + entry.value() + QLatin1Char(')');
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    }

    void captionSpritesHaveFourStates()
    {
        for (const char *name :
             {"btn_menu", "btn_min1", "btn_max1", "btn_restore1", "btn_close1"}) {
            const QImage sprite(
                QStringLiteral(":/theme_default/imgs/caption/%1.png").arg(QLatin1String(name)));
            QCOMPARE(sprite.size(), QSize(120, 480));
        }
    }

    // A picture with words in it comes in the default locale's language, which start-up makes
    // the interface's; the others fall back to the English one.
    void wordedPictureFollowsTheLocale()
    {
        const QString szPath = QStringLiteral(":/theme_local/imgs/video_text.png");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QImage english(szPath);
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
        const QImage chinese(szPath);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QImage german(szPath);
        QLocale::setDefault(QLocale::system());
        QCOMPARE(english.size(), QSize(108, 20));
        QCOMPARE(chinese.size(), english.size());
        QVERIFY(chinese != english);
        QVERIFY(german == english);
    }
};

QTEST_MAIN(TstThemeResources)
#include "tst_themeresources.moc"
