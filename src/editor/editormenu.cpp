// SPDX-License-Identifier: GPL-3.0-or-later
// The album editor's ≡ menu, its keyboard shortcuts, and the About and shortcut lists.
#include "editormenu.h"

#include "albumdocument.h"
#include "cframelesswindow.h"
#include "cqinfodialog.h"
#include "cqvideoplay.h"
#include "filmmaker.h"
#include "places.h"
#include "qtinversionwidget.h"
#include "zodozadar.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {
// Shown in About; the one place that names them.
const char kWebAddress[] = "https://velmoraalbum.org";
// The message dialogs' text, and the accent colour for the keys.
const char kTextStyle[] = "font-family:\"Microsoft YaHei\";font-size:14px;color:#333333;";
const char kKeyStyle[] = "font-family:\"Microsoft YaHei\";font-size:14px;color:#5C46F4;";
// The licence's SPDX name, shown as it is; the notice below it is translated.
const char kLicenceName[] = "GPL-3.0-or-later";
const char kLicence[] = QT_TRANSLATE_NOOP(
    "ZodoZadar", "VelmoraAlbum is free software: you can redistribute it and/or modify it under "
                 "the terms of the GNU General Public License, version 3 or (at your option) any "
                 "later version. It comes with ABSOLUTELY NO WARRANTY.");
} // namespace

EditorMenu::EditorMenu(ZodoZadar &editor) : m_editor(editor) {}

QAction *EditorMenu::add(QMenu *pMenu, const QString &szText, const QList<QKeySequence> &keys,
                         const std::function<void()> &fnTriggered)
{
    auto *pAction = new QAction(szText, &m_editor);
    pAction->setShortcuts(keys);
    // Anywhere in the window, not only where the editor has the focus.
    pAction->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(pAction, &QAction::triggered, &m_editor, fnTriggered);
    m_editor.addAction(pAction);
    if (pMenu)
        pMenu->addAction(pAction);
    return pAction;
}

void EditorMenu::create()
{
    m_pMenu = new QMenu(&m_editor);
    m_pMenu->setObjectName(QStringLiteral("menuAlbum"));
    QMenu *pMenu = m_pMenu;
    m_pActNew = add(pMenu, tr("New album"), {QKeySequence(Qt::CTRL | Qt::Key_N)},
                    [this] { m_editor.newAlbum(); });
    m_pActOpen = add(pMenu, tr("Open album…"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
                     [this] { m_editor.openAlbum(); });
    m_pRecentMenu = pMenu->addMenu(tr("Open recent"));
    QObject::connect(m_pRecentMenu, &QMenu::aboutToShow, &m_editor, [this] { fillRecent(); });
    pMenu->addSeparator();
    m_pActSave = add(pMenu, tr("Save"), {QKeySequence(Qt::CTRL | Qt::Key_S)},
                     [this] { m_editor.saveAlbum(); });
    m_pActSaveAs = add(pMenu, tr("Save as…"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
                       [this] { m_editor.saveAlbumAs(); });
    pMenu->addSeparator();
    m_pActAddPictures = add(pMenu, tr("Add pictures…"), {QKeySequence(Qt::CTRL | Qt::Key_O)},
                            [this] { m_editor.addPictures(); });
    m_pActAddFolder = add(pMenu, tr("Add folder…"), {}, [this] { m_editor.addFolder(); });
    m_pSortMenu = pMenu->addMenu(tr("Sort pictures"));
    m_pSortMenu->setObjectName(QStringLiteral("menuSort"));
    add(m_pSortMenu, tr("By date taken"), {},
        [this] { m_editor.sortPictures(PictureOrder::DateTaken); });
    add(m_pSortMenu, tr("By name"), {}, [this] { m_editor.sortPictures(PictureOrder::Name); });
    add(m_pSortMenu, tr("Reverse"), {}, [this] { m_editor.sortPictures(PictureOrder::Reverse); });
    m_pActFilm =
        add(pMenu, tr("Make a film from these"), {}, [this] { FilmMaker::make(m_editor); });
    m_pActFilm->setObjectName(QStringLiteral("actionMakeFilm"));
    m_pActExport = add(pMenu, tr("Export…"), {QKeySequence(Qt::CTRL | Qt::Key_E)},
                       [this] { m_editor.prepareExport(); });
    m_pActMusic = add(pMenu, tr("Music settings…"), {}, [this] { m_editor.showMusicPanel(); });
    m_pLookMenu = pMenu->addMenu(tr("Look of the album"));
    m_pLookMenu->setObjectName(QStringLiteral("menuLook"));
    QObject::connect(m_pLookMenu, &QMenu::aboutToShow, &m_editor,
                     [this] { m_editor.fillLookMenu(m_pLookMenu); });
    pMenu->addSeparator();
    m_pActUndo =
        add(pMenu, tr("Undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)}, [this] { m_editor.undo(); });
    m_pActRedo =
        add(pMenu, tr("Redo"),
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
            [this] { m_editor.redo(); });
    pMenu->addSeparator();
    add(pMenu, tr("Keyboard shortcuts"), {}, [this] { showShortcuts(); });
    add(pMenu, tr("About"), {}, [this] { showAbout(); });
    // Not in the menu: the player's own key.
    m_pActPlay = add(nullptr, tr("Play or pause"), {QKeySequence(Qt::Key_Space)},
                     [this] { spacePressed(); });

    QObject::connect(m_editor.document()->undoStack(), &QUndoStack::indexChanged, &m_editor,
                     [this] { update(); });
    QObject::connect(pMenu, &QMenu::aboutToShow, &m_editor, [this] { update(); });

    if (auto *pFrame = ShareCode::CFramelessWindow::instance()) {
        QPushButton *pButton = pFrame->menuButton();
        QObject::connect(pButton, &QPushButton::clicked, &m_editor, [this, pButton] {
            m_pMenu->popup(pButton->mapToGlobal(QPoint(0, pButton->height())));
        });
    }
    update();
}

void EditorMenu::update()
{
    if (!m_pMenu)
        return;
    const bool bIdle = m_editor.workflow().idle();
    const bool bPictures = m_editor.hasPictures();
    m_pActNew->setEnabled(bIdle);
    m_pActOpen->setEnabled(bIdle);
    m_pRecentMenu->setEnabled(bIdle && Places::enabled());
    m_pActSave->setEnabled(bIdle && bPictures);
    m_pActSaveAs->setEnabled(bIdle && bPictures);
    m_pActAddPictures->setEnabled(bIdle);
    m_pActAddFolder->setEnabled(bIdle);
    m_pSortMenu->setEnabled(bIdle && m_editor.rowPaths().size() > 1);
    m_pActFilm->setEnabled(bIdle && m_editor.hasRenderedPictures());
    m_pActExport->setEnabled(bIdle && m_editor.hasRenderedPictures());
    m_pActMusic->setEnabled(bIdle && m_editor.document()->album().hasMusic());
    m_pLookMenu->setEnabled(bIdle);
    const QUndoStack *pStack = m_editor.document()->undoStack();
    m_pActUndo->setEnabled(bIdle && pStack->canUndo());
    m_pActRedo->setEnabled(bIdle && pStack->canRedo());
    m_pActUndo->setText(pStack->canUndo() ? tr("Undo %1").arg(pStack->undoText()) : tr("Undo"));
    m_pActRedo->setText(pStack->canRedo() ? tr("Redo %1").arg(pStack->redoText()) : tr("Redo"));
    m_pActPlay->setEnabled(bIdle && bPictures);
}

void EditorMenu::fillRecent()
{
    m_pRecentMenu->clear();
    const QStringList recent = Places::recentAlbums();
    for (const QString &szFile : recent) {
        QAction *pAction = m_pRecentMenu->addAction(QFileInfo(szFile).completeBaseName());
        pAction->setToolTip(szFile);
        pAction->setStatusTip(szFile);
        QObject::connect(pAction, &QAction::triggered, &m_editor,
                         [this, szFile] { m_editor.openAlbumFile(szFile); });
    }
    if (recent.isEmpty()) {
        m_pRecentMenu->addAction(tr("No recent albums"))->setEnabled(false);
        return;
    }
    m_pRecentMenu->addSeparator();
    QObject::connect(m_pRecentMenu->addAction(tr("Clear the list")), &QAction::triggered, &m_editor,
                     [] { Places::clearRecentAlbums(); });
}

void EditorMenu::spacePressed()
{
    // A focused button or list takes Space as its own key, as it does everywhere else.
    QWidget *pFocus = QApplication::focusWidget();
    if (auto *pButton = qobject_cast<QAbstractButton *>(pFocus)) {
        pButton->animateClick();
        return;
    }
    if (auto *pCombo = qobject_cast<QComboBox *>(pFocus)) {
        pCombo->showPopup();
        return;
    }
    if (!m_editor.workflow().idle() || !m_editor.hasRenderedPictures())
        return;
    m_editor.player()->vp_VideoPlayOrPauseSlots();
}

void EditorMenu::showShortcuts()
{
    ShareCode::CQInfoDialog dialog(ShareCode::QtInversionWidget::instance());
    dialog.setObjectName(QStringLiteral("KeyboardShortcutsDialog"));
    dialog.setTitle(tr("Keyboard shortcuts"));
    auto *pTable = new QWidget;
    auto *pGrid = new QGridLayout(pTable);
    pGrid->setContentsMargins(0, 0, 0, 0);
    pGrid->setHorizontalSpacing(32);
    pGrid->setVerticalSpacing(8);
    int iRow = 0;
    const QList<QAction *> actions{m_pActNew,    m_pActOpen,        m_pActSave,
                                   m_pActSaveAs, m_pActAddPictures, m_pActExport,
                                   m_pActUndo,   m_pActRedo,        m_pActPlay};
    for (QAction *pAction : actions) {
        QStringList keys;
        for (const QKeySequence &key : pAction->shortcuts())
            keys << key.toString(QKeySequence::NativeText);
        QString szName = pAction->text();
        if (pAction == m_pActUndo)
            szName = tr("Undo");
        else if (pAction == m_pActRedo)
            szName = tr("Redo");
        auto *pName = new QLabel(szName, pTable);
        pName->setStyleSheet(QLatin1String(kTextStyle));
        pGrid->addWidget(pName, iRow, 0);
        auto *pKeys = new QLabel(keys.join(QStringLiteral(", ")), pTable);
        pKeys->setTextFormat(Qt::PlainText);
        pKeys->setStyleSheet(QLatin1String(kKeyStyle));
        pGrid->addWidget(pKeys, iRow, 1);
        ++iRow;
    }
    dialog.setContent(pTable);
    dialog.exec();
}

void EditorMenu::showAbout()
{
    ShareCode::CQInfoDialog dialog(ShareCode::QtInversionWidget::instance());
    dialog.setObjectName(QStringLiteral("AboutDialog"));
    dialog.setTitle(tr("About VelmoraAlbum"));
    auto *pContent = new QWidget;
    auto *pLayout = new QVBoxLayout(pContent);
    pLayout->setContentsMargins(0, 0, 0, 0);
    auto *pText = new QLabel(pContent);
    pText->setTextFormat(Qt::RichText);
    pText->setAlignment(Qt::AlignHCenter);
    pText->setWordWrap(true);
    pText->setMinimumWidth(300);
    pText->setOpenExternalLinks(true);
    pText->setTextInteractionFlags(Qt::TextBrowserInteraction);
    pText->setStyleSheet(QLatin1String(kTextStyle));
    pText->setText(QStringLiteral("<p><img src=\":/theme_default/imgs/logo.png\" width=\"48\" "
                                  "height=\"48\"></p><p style=\"font-size:16px;font-weight:bold;"
                                  "color:#000000;\">VelmoraAlbum</p><p>%1</p><p><b>%2</b></p>"
                                  "<p>%3</p><p><a style=\"color:#5C46F4;\" href=\"%4\">%4</a></p>")
                       .arg(tr("Version %1").arg(ShareCode::CFramelessWindow::versionText()),
                            tr("Licence: %1").arg(QLatin1String(kLicenceName)),
                            tr(kLicence).toHtmlEscaped(), QString::fromLatin1(kWebAddress)));
    pLayout->addWidget(pText);
    // The licence's whole text, compiled in from the repository's LICENSE.
    QFile licence(QStringLiteral(":/licence/LICENSE"));
    auto *pLicence = new QPlainTextEdit(pContent);
    pLicence->setObjectName(QStringLiteral("editLicence"));
    pLicence->setAccessibleName(tr("Licence text"));
    pLicence->setReadOnly(true);
    pLicence->setLineWrapMode(QPlainTextEdit::NoWrap);
    pLicence->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    pLicence->setMinimumSize(460, 220);
    if (licence.open(QIODevice::ReadOnly))
        pLicence->setPlainText(QString::fromUtf8(licence.readAll()));
    pLayout->addWidget(pLicence);
    dialog.setContent(pContent);
    dialog.exec();
}
