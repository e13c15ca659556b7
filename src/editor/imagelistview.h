// SPDX-License-Identifier: GPL-3.0-or-later
// The material strip: one tile per picture, deleted with its icon and reordered by dragging.
#pragma once

#include <QListView>
#include <QPersistentModelIndex>

class ImageListItemDelegate;
class QStandardItemModel;

// The strip knows nothing of the album: it removes and moves its own rows and reports them, and
// the editor applies the same change to the album. Each row holds the picture's path as display
// text and its thumbnail as the background brush; screen readers get the file name.
class ImageListView : public QListView
{
    Q_OBJECT
public:
    explicit ImageListView(QWidget *parent = nullptr);
    ~ImageListView() override;

    QStandardItemModel *imageModel() const { return m_pModel; }
    // Appends a selectable, draggable row for a picture and its thumbnail (at most 120 x 80).
    void appendImage(const QString &szFilePath, const QPixmap &stThumbnail);
    QString filePath(int iRow) const;
    // Paths from the first tile to the last: the album's order after a move.
    QStringList filePaths() const;

    // Ask "Do you want to delete this material?" before a tile goes (off by default).
    void setConfirmDelete(bool bConfirm) { confirmDelete = bConfirm; }
    bool confirmsDelete() const { return confirmDelete; }
    // Frame the selected tile (on by default).
    void setShowSelectionFrame(bool bShow);
    bool showsSelectionFrame() const { return showSelectionFrame; }

    // The state the tiles are painted from.
    bool isDeleteHover() const { return deleteHover; }
    bool isInternalDrag() const { return internalDrag; }
    int draggedRow() const { return dragRow; }
    int dropTargetRow() const { return dropRow; }
    QPoint lastPressPos() const { return pressPos; }

    // A tile whose picture has settings of its own shows a small mark.
    static constexpr int OwnSettingsRole = Qt::UserRole + 7;
    void setOwnSettings(int iRow, bool bOwn);
    // A video clip's tile shows a film mark and how long the clip lasts in the video
    // (microseconds, as a qint64; 0 for a still picture).
    static constexpr int ClipLengthRole = Qt::UserRole + 9;
    void setClipLength(int iRow, qint64 lengthUs);
    // A picture the album lists but cannot show (its file is gone, or unusable): a tile of its
    // own that says so in szState, with szWhy as its tooltip. It moves and deletes like any
    // other; activating it asks to locate the file.
    static constexpr int MissingRole = Qt::UserRole + 8;
    void insertMissing(int iRow, const QString &szFilePath, const QString &szState,
                       const QString &szWhy);
    bool isMissing(int iRow) const;
    // The missing tile at iRow shows its picture from now on.
    void setFound(int iRow, const QString &szFilePath, const QPixmap &stThumbnail);

    // Removes a row as its delete icon does, after the question when confirmDelete is set.
    // True when the row went.
    bool requestDelete(const QModelIndex &stIndex);

signals:
    void sig_itemPressed(QModelIndex stIndex);
    void sig_itemClicked(QModelIndex stIndex);
    void sig_itemDeleted(QString szFilePath, int iOldIndex);
    // iNewIndex is the row the picture has after the move.
    void sig_itemDraged(QString szFilePath, int iOldIndex, int iNewIndex);
    // The picture's own settings are asked for: a double click, Enter, or the context menu.
    void sig_itemActivated(int iRow);
    // "Locate…" of a missing tile (its context menu, or activating it).
    void sig_locateRequested(int iRow);

public slots:
    void onPressed(QModelIndex stIndex);
    void onClicked(QModelIndex stIndex);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    void hoverAt(const QPoint &stViewportPos);
    // The row a drop at stViewportPos would insert before (row count: after the last tile).
    int dropRowAt(const QPoint &stViewportPos) const;
    // Moves the dragged row in front of dropRow once, after our own drop.
    void finishInternalMove(const QPersistentModelIndex &stDragged, int iDropBefore);

    bool deleteHover = false;
    bool internalDrag = false;
    bool confirmDelete = false;
    bool showSelectionFrame = true;
    int dropRow = -1;
    int dragRow = -1;
    int rowCountBeforeDrag = 0;
    QPoint pressPos;

    QStandardItemModel *m_pModel = nullptr;
    ImageListItemDelegate *m_pDelegate = nullptr;
    // The tile being dragged, followed through any row change while the drag runs.
    QPersistentModelIndex m_dragIndex;
    // Set by a drop of our own drag: the row the tile goes in front of, -1 when none landed here.
    int m_iDroppedBefore = -1;
};
