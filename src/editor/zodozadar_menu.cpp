// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: the ≡ menu, the keyboard shortcuts, and the About and shortcut lists.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "cframelesswindow.h"
#include "cqinfodialog.h"
#include "cqvideoplay.h"
#include "places.h"
#include "qtinversionwidget.h"

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

QAction *ZodoZadar::addMenuAction(QMenu *pMenu, const QString &szText,
                                  const QList<QKeySequence> &keys,
                                  const std::function<void()> &fnTriggered)
{
    auto *pAction = new QAction(szText, this);
    pAction->setShortcuts(keys);
    // Anywhere in the window, not only where the editor has the focus.
    pAction->setShortcutContext(Qt::WindowShortcut);
    connect(pAction, &QAction::triggered, this, fnTriggered);
    addAction(pAction);
    if (pMenu)
        pMenu->addAction(pAction);
    return pAction;
}

void ZodoZadar::createMenu()
{
    m_pMenu = new QMenu(this);
    m_pMenu->setObjectName(QStringLiteral("menuAlbum"));
    QMenu *pMenu = m_pMenu;
    m_pActNew = addMenuAction(pMenu, tr("New album"), {QKeySequence(Qt::CTRL | Qt::Key_N)},
                              [this] { newAlbum(); });
    m_pActOpen =
        addMenuAction(pMenu, tr("Open album…"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
                      [this] { openAlbum(); });
    m_pRecentMenu = pMenu->addMenu(tr("Open recent"));
    connect(m_pRecentMenu, &QMenu::aboutToShow, this, &ZodoZadar::fillRecentMenu);
    pMenu->addSeparator();
    m_pActSave = addMenuAction(pMenu, tr("Save"), {QKeySequence(Qt::CTRL | Qt::Key_S)},
                               [this] { saveAlbum(); });
    m_pActSaveAs =
        addMenuAction(pMenu, tr("Save as…"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
                      [this] { saveAlbumAs(); });
    pMenu->addSeparator();
    m_pActAddPictures =
        addMenuAction(pMenu, tr("Add pictures…"), {QKeySequence(Qt::CTRL | Qt::Key_O)},
                      [this] { addPictures(); });
    m_pActExport = addMenuAction(pMenu, tr("Export…"), {QKeySequence(Qt::CTRL | Qt::Key_E)},
                                 [this] { prepareExport(); });
    m_pActMusic = addMenuAction(pMenu, tr("Music settings…"), {}, [this] { showMusicPanel(); });
    m_pLookMenu = pMenu->addMenu(tr("Look of the album"));
    m_pLookMenu->setObjectName(QStringLiteral("menuLook"));
    connect(m_pLookMenu, &QMenu::aboutToShow, this, [this] { fillLookMenu(); });
    pMenu->addSeparator();
    m_pActUndo =
        addMenuAction(pMenu, tr("Undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)}, [this] { undo(); });
    m_pActRedo = addMenuAction(
        pMenu, tr("Redo"),
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
        [this] { redo(); });
    pMenu->addSeparator();
    addMenuAction(pMenu, tr("Keyboard shortcuts"), {}, [this] { showShortcuts(); });
    addMenuAction(pMenu, tr("About"), {}, [this] { showAbout(); });
    // Not in the menu: the player's own key.
    m_pActPlay = addMenuAction(nullptr, tr("Play or pause"), {QKeySequence(Qt::Key_Space)},
                               [this] { spacePressed(); });

    connect(m_pDocument->undoStack(), &QUndoStack::indexChanged, this, &ZodoZadar::updateMenu);
    connect(pMenu, &QMenu::aboutToShow, this, &ZodoZadar::updateMenu);

    if (auto *pFrame = ShareCode::CFramelessWindow::instance()) {
        QPushButton *pButton = pFrame->menuButton();
        connect(pButton, &QPushButton::clicked, this, [this, pButton] {
            m_pMenu->popup(pButton->mapToGlobal(QPoint(0, pButton->height())));
        });
    }
    updateMenu();
}

void ZodoZadar::updateMenu()
{
    if (!m_pMenu)
        return;
    const bool bIdle = m_workflow.idle();
    const bool bPictures = hasPictures();
    m_pActNew->setEnabled(bIdle);
    m_pActOpen->setEnabled(bIdle);
    m_pRecentMenu->setEnabled(bIdle && Places::enabled());
    m_pActSave->setEnabled(bIdle && bPictures);
    m_pActSaveAs->setEnabled(bIdle && bPictures);
    m_pActAddPictures->setEnabled(bIdle);
    m_pActExport->setEnabled(bIdle && hasRenderedPictures());
    m_pActMusic->setEnabled(bIdle && hasMusic());
    m_pLookMenu->setEnabled(bIdle);
    m_pActUndo->setEnabled(bIdle && m_pDocument->undoStack()->canUndo());
    m_pActRedo->setEnabled(bIdle && m_pDocument->undoStack()->canRedo());
    m_pActUndo->setText(m_pDocument->undoStack()->canUndo()
                            ? tr("Undo %1").arg(m_pDocument->undoStack()->undoText())
                            : tr("Undo"));
    m_pActRedo->setText(m_pDocument->undoStack()->canRedo()
                            ? tr("Redo %1").arg(m_pDocument->undoStack()->redoText())
                            : tr("Redo"));
    m_pActPlay->setEnabled(bIdle && bPictures);
}

void ZodoZadar::fillRecentMenu()
{
    m_pRecentMenu->clear();
    const QStringList recent = Places::recentAlbums();
    for (const QString &szFile : recent) {
        QAction *pAction = m_pRecentMenu->addAction(QFileInfo(szFile).completeBaseName());
        pAction->setToolTip(szFile);
        pAction->setStatusTip(szFile);
        connect(pAction, &QAction::triggered, this, [this, szFile] { openAlbumFile(szFile); });
    }
    if (recent.isEmpty()) {
        m_pRecentMenu->addAction(tr("No recent albums"))->setEnabled(false);
        return;
    }
    m_pRecentMenu->addSeparator();
    connect(m_pRecentMenu->addAction(tr("Clear the list")), &QAction::triggered, this,
            [] { Places::clearRecentAlbums(); });
}

void ZodoZadar::spacePressed()
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
    if (!m_workflow.idle() || !hasRenderedPictures())
        return;
    ui->divPlayer->vp_VideoPlayOrPauseSlots();
}

void ZodoZadar::showShortcuts()
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

void ZodoZadar::showAbout()
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
