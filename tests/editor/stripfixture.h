// A material strip set up as the editor's form sets up imageSourceList, with generated thumbnails.
#pragma once

#include "imagelistitemdelegate.h"
#include "imagelistview.h"

#include <QPixmap>
#include <QStandardItemModel>

namespace strip {

inline void configure(ImageListView &view)
{
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view.setAutoScrollMargin(50);
    view.setDragEnabled(true);
    view.setDragDropMode(QAbstractItemView::DragDrop);
    view.setDefaultDropAction(Qt::MoveAction);
    view.setFlow(QListView::LeftToRight);
    view.setSpacing(8);
    view.setDropIndicatorShown(true);
    view.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.setConfirmDelete(true);
    view.setShowSelectionFrame(false);
}

// Thumbnails of distinct colours and of the sizes the decoder gives (at most 120 x 80).
inline QPixmap thumbnail(const QColor &stColor, const QSize &stSize)
{
    QPixmap pixmap(stSize);
    pixmap.fill(stColor);
    return pixmap;
}

inline void fill(ImageListView &view, int iRows)
{
    static const QColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan};
    static const QSize sizes[] = {{120, 80}, {53, 80}, {120, 67}, {80, 80}, {120, 40}};
    for (int i = 0; i < iRows; ++i)
        view.appendImage(QStringLiteral("/photos/album %1/pic%1.jpg").arg(i),
                         thumbnail(colors[i % 5], sizes[i % 5]));
}

// The painted tile: the top of the row's rectangle, which runs the viewport's whole height.
inline QRect tile(const ImageListView &view, int iRow)
{
    return QRect(view.visualRect(view.imageModel()->index(iRow, 0)).topLeft(), QSize(120, 80));
}

inline QPoint deleteIconCentre(const ImageListView &view, int iRow)
{
    return ImageListItemDelegate::deleteIconRect(tile(view, iRow)).center();
}

} // namespace strip
