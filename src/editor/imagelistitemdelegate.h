// SPDX-License-Identifier: GPL-3.0-or-later
// Paints one picture tile of the material strip: thumbnail, delete icon, selection and drag marks.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QStyledItemDelegate>

class ImageListItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit ImageListItemDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    QSize tileSize() const { return itemSize; }
    // The tile drawn for an item whose visual rectangle is stItemRect.
    QRect tileRect(const QRect &stItemRect) const;
    // The 16 x 16 delete icon of a tile, 6 pixels in from its right and bottom edges. The view's
    // hit test and the painting share it, so the pointing hand shows exactly over the icon.
    static QRect deleteIconRect(const QRect &stTile);
    // A clip's length on its tile: "0:06", "1:02:03" past an hour; whole seconds, at least one.
    static QString clipLengthText(qint64 lengthUs);

private:
    // A tile whose picture the album cannot show: what is wrong, and the file's name.
    void paintMissing(QPainter *painter, const QRect &stTile, const QString &szState,
                      const QString &szPath) const;
    // A clip's mark, bottom left: a strip of film and its length in the video.
    void paintClipMark(QPainter *painter, const QRect &stTile, qint64 lengthUs) const;

    double cornerRadius = 2.0;
    int frameWidth = 6;
    QSize itemSize{120, 80};
    // Loaded once: the strip repaints every tile on each scroll step.
    QPixmap m_deleteIcon;
    QPixmap m_deleteIconHover;
};
