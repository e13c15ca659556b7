// SPDX-License-Identifier: GPL-3.0-or-later
// Files dropped on the editor from the file manager: pictures anywhere import, an album file
// opens, a music file on the music area becomes the background music. The area a drop would go to
// is marked while the files pass over it.
#pragma once

#include <QObject>
#include <QPointer>

class QDropEvent;
class QWidget;
class SettingsPanel;
class ZodoZadar;
struct DroppedFiles;

namespace Ui {
class ZodoZadarClass;
}

// Thread contract: the user-interface thread. Watches the editor's drag and drop events.
class DropArea : public QObject
{
    Q_OBJECT
public:
    DropArea(ZodoZadar &editor, SettingsPanel *pSettings);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Target
    {
        None,
        Pictures,
        Music,
        Album
    };
    Target targetAt(const DroppedFiles &files, const QPoint &stPos) const;
    bool musicAreaAt(const QPoint &stPos) const;
    QWidget *highlightFor(Target target) const;
    void showTarget(QWidget *pTarget);
    void toast(const QString &szText);
    void enter(QDropEvent *event);
    void move(QDropEvent *event);
    void drop(QDropEvent *event);

    ZodoZadar &m_editor;
    Ui::ZodoZadarClass *ui;
    SettingsPanel *m_pSettings;
    QPointer<QWidget> m_pHighlight; // the area that shows where a drop goes
    QPointer<QWidget> m_pToast;
};
