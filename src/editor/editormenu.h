// SPDX-License-Identifier: GPL-3.0-or-later
// The album editor's ≡ menu and keyboard shortcuts: each entry calls the editor, and its enabled
// state follows the editor's workflow and album.
#pragma once

#include <QCoreApplication>
#include <QKeySequence>
#include <QList>

#include <functional>

class QAction;
class QMenu;
class ZodoZadar;

class EditorMenu
{
    // Its texts are the editor's, in the catalogues as such.
    Q_DECLARE_TR_FUNCTIONS(ZodoZadar)
public:
    explicit EditorMenu(ZodoZadar &editor);

    // Builds the menu, its shortcuts (actions of the editor, so that they work anywhere in the
    // window) and the title bar's menu button.
    void create();
    // The entries' enabled flags and the undo and redo texts.
    void update();

private:
    QAction *add(QMenu *pMenu, const QString &szText, const QList<QKeySequence> &keys,
                 const std::function<void()> &fnTriggered);
    void fillRecent();
    void spacePressed();
    void showShortcuts();
    void showAbout();

    ZodoZadar &m_editor;
    QMenu *m_pMenu = nullptr;
    QMenu *m_pRecentMenu = nullptr;
    QMenu *m_pLookMenu = nullptr;
    QAction *m_pActNew = nullptr;
    QAction *m_pActOpen = nullptr;
    QAction *m_pActSave = nullptr;
    QAction *m_pActSaveAs = nullptr;
    QAction *m_pActAddPictures = nullptr;
    QAction *m_pActAddFolder = nullptr;
    QMenu *m_pSortMenu = nullptr;
    QAction *m_pActFilm = nullptr;
    QAction *m_pActExport = nullptr;
    QAction *m_pActMusic = nullptr;
    QAction *m_pActUndo = nullptr;
    QAction *m_pActRedo = nullptr;
    QAction *m_pActPlay = nullptr;
};
