// The editor in its main window with the toolkit's managers, as the program builds it.
#pragma once

#include "albumdocument.h"
#include "zodozadar.h"
#include "zodozadar_form.h"

#include "album.h"
#include "cblluishadowmgr.h"
#include "cframelesswindow.h"
#include "cqdialogex.h"
#include "cqdlgtipsimple.h"
#include "cqthememgr.h"
#include "filechooser.h"
#include "imagedecoder.h"
#include "powerevents.h"
#include "testmedia.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSemaphore>
#include <QtTest>

#include <memory>

class EditorFixture
{
public:
    // Answers the next modal question (a CQDlgTipSimple) with its OK (true) or cancel button;
    // pAsked, when given, receives what it asked.
    static void answerQuestion(bool bOk, QString *pAsked = nullptr)
    {
        QTimer::singleShot(50, qApp, [bOk, pAsked] {
            auto *pQuestion =
                qobject_cast<ShareCode::CQDlgTipSimple *>(QApplication::activeModalWidget());
            QVERIFY(pQuestion);
            if (pAsked)
                *pAsked = pQuestion->findChild<QLabel *>(QStringLiteral("uiTip"))->text();
            bOk ? pQuestion->accept() : pQuestion->reject();
        });
    }
    // The editor's action whose text is szText, or starts with it ("Undo" for "Undo Delete").
    QAction *action(const QString &szText) const
    {
        for (QAction *pAction : editor->actions()) {
            if (pAction->text() == szText || pAction->text().startsWith(szText + QLatin1Char(' ')))
                return pAction;
        }
        return nullptr;
    }

    // Once per test program: the managers live as long as the program's windows.
    void createManagers()
    {
        m_dialogMgr = std::make_unique<ShareCode::CQDialogExMgr>();
        m_themeMgr = std::make_unique<ShareCode::CQThemeMgr>();
        m_shadowMgr = std::make_unique<ShareCode::CBLLUIShadowMgr>();
    }
    // Once per test function: a new main window with a new editor.
    void createEditor()
    {
        // A power source of the test's own: the system's listens on the system bus from a
        // thread of Qt's, which the editor's tests have no use for.
        m_power = std::make_unique<platform::PowerEventSource>();
        m_frame = std::make_unique<ShareCode::CFramelessWindow>(nullptr, m_power.get());
        editor = new ZodoZadar(m_frame.get());
        m_frame->addContentWidget(editor);
        m_frame->resize(1000, 640);
        m_frame->show();
    }
    void destroyEditor()
    {
        delete editor;
        editor = nullptr;
        m_frame.reset();
        m_power.reset();
        FileChooser::setOpenFilesOverride({});
        chosen.clear();
        chooserCalls = 0;
    }
    Ui::ZodoZadarClass *form() const { return editor->form(); }
    Album &album() const { return editor->document()->edit(); }
    // Whether this process has a file beneath szFolder open (the album's held files).
    static bool holdsFilesIn(const QString &szFolder)
    {
        const QString szPrefix = QFileInfo(szFolder).canonicalFilePath() + QLatin1Char('/');
        const QDir fds(QStringLiteral("/proc/self/fd"));
        for (const QString &szFd : fds.entryList(QDir::Files | QDir::System)) {
            if (QFileInfo(fds.filePath(szFd)).symLinkTarget().startsWith(szPrefix))
                return true;
        }
        return false;
    }

    // Imports iCount generated iWidth x iHeight JPEGs (szDir/pic<i>.jpg, hues iHueStep apart)
    // through the editor's own chooser path, and waits until they are in the album.
    void importPictures(const QString &szDir, int iCount, QSize stSize, int iHueStep)
    {
        QStringList files;
        for (int i = 0; i < iCount; ++i) {
            const QString path = QDir(szDir).filePath(QStringLiteral("pic%1.jpg").arg(i));
            testmedia::writeJpeg(path, stSize.width(), stSize.height(),
                                 QColor::fromHsv(i * iHueStep % 360, 200, 220));
            files << path;
        }
        FileChooser::setOpenFilesOverride(
            [files](const QString &, const QString &, const QString &, bool) { return files; });
        QVERIFY(QMetaObject::invokeMethod(editor, "selectImageSources"));
        // Each new picture is searched for faces; under ThreadSanitizer the instrumented
        // detector takes seconds per picture, so the wait is generous.
        QTRY_COMPARE_WITH_TIMEOUT(editor->document()->edit().materialOrder.size(), iCount, 60000);
        QTRY_VERIFY(!editor->decoder()->running);
    }

    // From answerChooser() on, the file chooser answers with `chosen` and counts its calls.
    void answerChooser()
    {
        FileChooser::setOpenFilesOverride(
            [this](const QString &, const QString &, const QString &, bool) {
                ++chooserCalls;
                return chosen;
            });
    }

    ZodoZadar *editor = nullptr;
    QStringList chosen;
    int chooserCalls = 0;

private:
    std::unique_ptr<ShareCode::CQDialogExMgr> m_dialogMgr;
    std::unique_ptr<ShareCode::CQThemeMgr> m_themeMgr;
    std::unique_ptr<ShareCode::CBLLUIShadowMgr> m_shadowMgr;
    std::unique_ptr<platform::PowerEventSource> m_power;
    std::unique_ptr<ShareCode::CFramelessWindow> m_frame;
};

// Holds a worker's thread inside a queued call until opened, so that requests sent to the worker
// meanwhile wait in its queue (as they do while it is busy with something long).
class ThreadGate
{
public:
    explicit ThreadGate(QObject *pWorker)
    {
        QMetaObject::invokeMethod(
            pWorker,
            [this] {
                m_entered.release();
                m_open.acquire();
            },
            Qt::QueuedConnection);
        m_entered.acquire();
    }
    ~ThreadGate() { open(); }
    void open()
    {
        if (!m_opened)
            m_open.release();
        m_opened = true;
    }

private:
    QSemaphore m_entered;
    QSemaphore m_open;
    bool m_opened = false;
};
