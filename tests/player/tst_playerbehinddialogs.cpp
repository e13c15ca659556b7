// The player's picture behind a dialog on an X server without a compositor: the shadow, a native
// window inside the main window, leaves the player's surface uncovered and the player dims its
// own pictures as the shadow dims the rest; pictures shown meanwhile show dimmed too, and
// undimmed again when the dialog goes.
#include "cblluishadowmgr.h"
#include "cframelesswindow.h"
#include "cqdialogex.h"
#include "cqvideoplay.h"
#include "cqvideoshow.h"
#include "cqwidgetshadow.h"
#include "powerevents.h"
#include "testframes.h"
#include "videoctl.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

namespace {
QString describe(QRgb pixel)
{
    return QStringLiteral("(%1, %2, %3)")
        .arg(QString::number(qRed(pixel)), QString::number(qGreen(pixel)),
             QString::number(qBlue(pixel)));
}
} // namespace

class TestPlayerBehindDialogs : public QObject
{
    Q_OBJECT

    // What the screen shows at the middle of the player's surface.
    QRgb surfaceMiddle() const
    {
        CQVideoShow *pShow = m_pPlayer->videoShow();
        const QPoint centre = pShow->mapToGlobal(pShow->rect().center());
        const QImage image =
            QGuiApplication::primaryScreen()->grabWindow(0, centre.x(), centre.y(), 1, 1).toImage();
        return image.isNull() ? 0 : image.pixel(0, 0);
    }

    std::unique_ptr<ShareCode::CQDialogExMgr> m_stack;
    std::unique_ptr<ShareCode::CBLLUIShadowMgr> m_shadows;
    std::unique_ptr<platform::PowerEventSource> m_power;
    std::unique_ptr<ShareCode::CFramelessWindow> m_frame;
    CQVideoPlay *m_pPlayer = nullptr;

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server (run under xvfb-run with QT_QPA_PLATFORM=xcb)");
        qunsetenv("SDL_VIDEODRIVER");
        QVERIFY(VideoCtl::instance());
        m_stack = std::make_unique<ShareCode::CQDialogExMgr>();
        m_shadows = std::make_unique<ShareCode::CBLLUIShadowMgr>();
        m_power = std::make_unique<platform::PowerEventSource>();
        m_frame = std::make_unique<ShareCode::CFramelessWindow>(nullptr, m_power.get());
        m_pPlayer = new CQVideoPlay;
        m_frame->addContentWidget(m_pPlayer);
        m_frame->resize(900, 620);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        QVERIFY(m_pPlayer->connectControls());
        m_pPlayer->attachEngine();
        QVERIFY(m_pPlayer->engineAttached());
    }

    void cleanupTestCase()
    {
        if (m_pPlayer)
            m_pPlayer->detachEngine();
        if (VideoCtl *pEngine = VideoCtl::instance())
            pEngine->waitDisplayLoop();
        m_frame.reset();
        m_shadows.reset();
        m_stack.reset();
    }

    void lastPictureStaysDimmed()
    {
        // A red picture, larger than the surface each way: it fills the middle.
        AVFrame *pFrame = testframes::solidPicture(1920, 1080, AV_PIX_FMT_YUV420P, 81, 90, 240);
        QCOMPARE(m_pPlayer->pushVideoFrame(pFrame), 0);
        av_frame_free(&pFrame);
        QTRY_VERIFY2_WITH_TIMEOUT(qRed(surfaceMiddle()) > 230 && qGreen(surfaceMiddle()) < 30,
                                  qPrintable(describe(surfaceMiddle())), 5000);

        m_shadows->sltDlgPush();
        QVERIFY(m_shadows->shadow());
        // Red under rgba(51, 51, 51, 136) is about (146, 27, 27); the surface's bare grey under
        // it would be about (49, 49, 49).
        QTRY_VERIFY2_WITH_TIMEOUT(qAbs(qRed(surfaceMiddle()) - 146) <= 16 &&
                                      qAbs(qGreen(surfaceMiddle()) - 27) <= 16,
                                  qPrintable(describe(surfaceMiddle())), 5000);
        // Live, not a copy: a picture shown behind the dialog is seen, dimmed (blue under the
        // shadow is about (27, 27, 146)).
        pFrame = testframes::solidPicture(1920, 1080, AV_PIX_FMT_YUV420P, 41, 240, 110);
        QCOMPARE(m_pPlayer->pushVideoFrame(pFrame), 0);
        av_frame_free(&pFrame);
        QTRY_VERIFY2_WITH_TIMEOUT(qAbs(qBlue(surfaceMiddle()) - 146) <= 16 &&
                                      qAbs(qRed(surfaceMiddle()) - 27) <= 16,
                                  qPrintable(describe(surfaceMiddle())), 5000);

        m_shadows->sltDlgPop();
        QVERIFY(!m_shadows->shadow());
        QTRY_VERIFY2_WITH_TIMEOUT(qBlue(surfaceMiddle()) > 230 && qRed(surfaceMiddle()) < 30,
                                  qPrintable(describe(surfaceMiddle())), 5000);
    }
};

QTEST_MAIN(TestPlayerBehindDialogs)
#include "tst_playerbehinddialogs.moc"
