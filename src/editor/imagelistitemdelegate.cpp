// SPDX-License-Identifier: GPL-3.0-or-later
// Tile painting of the material strip.
#include "imagelistitemdelegate.h"

#include "imagelistview.h"

#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kTileColor(0xD9, 0xD9, 0xD9);
const QColor kHoverShade(0x33, 0x33, 0x33, 0x7F);
// Over the tiles of a disabled strip: a white veil, as disabled controls are lighter.
const QColor kDisabledVeil(0xFF, 0xFF, 0xFF, 0x73);
const QColor kSelectionColor(0x5C, 0x46, 0xF4);
const QColor kDraggedShade(51, 51, 51, 127);
const QColor kDropBarColor(254, 162, 244, 127);
constexpr int kDeleteIconSide = 16;
constexpr int kDeleteIconInset = 6;
constexpr int kDropBarWidth = 10;
} // namespace

ImageListItemDelegate::ImageListItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent),
      m_deleteIcon(QStringLiteral(":/theme_local/imgs/deleteImage.png")),
      m_deleteIconHover(QStringLiteral(":/theme_local/imgs/deleteImage-1.png"))
{
}

QRect ImageListItemDelegate::tileRect(const QRect &stItemRect) const
{
    return QRect(stItemRect.topLeft(), itemSize);
}

QRect ImageListItemDelegate::deleteIconRect(const QRect &stTile)
{
    return QRect(stTile.left() + stTile.width() - kDeleteIconInset - kDeleteIconSide,
                 stTile.top() + stTile.height() - kDeleteIconInset - kDeleteIconSide,
                 kDeleteIconSide, kDeleteIconSide);
}

QSize ImageListItemDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return itemSize;
}

void ImageListItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    if (!index.isValid())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QRect stTile = tileRect(opt.rect);

    QPainterPath tilePath;
    tilePath.addRoundedRect(QRectF(stTile), cornerRadius, cornerRadius);
    painter->setClipPath(tilePath);
    painter->setPen(Qt::NoPen);
    painter->fillRect(stTile, kTileColor);

    const QPixmap thumbnail = index.data(Qt::BackgroundRole).value<QBrush>().texture();
    if (!thumbnail.isNull()) {
        const QSize stSize = thumbnail.size() / thumbnail.devicePixelRatio();
        painter->drawPixmap(QRect(stTile.left() + (stTile.width() - stSize.width()) / 2,
                                  stTile.top() + (stTile.height() - stSize.height()) / 2,
                                  stSize.width(), stSize.height()),
                            thumbnail);
    }

    const bool bHover = opt.state.testFlag(QStyle::State_MouseOver);
    if (bHover)
        painter->fillRect(stTile, kHoverShade);
    // Settings of its own: a small accent dot with a white ring, top left.
    if (index.data(ImageListView::OwnSettingsRole).toBool()) {
        painter->setBrush(Qt::white);
        painter->drawEllipse(QRectF(stTile.left() + 4, stTile.top() + 4, 12, 12));
        painter->setBrush(kSelectionColor);
        painter->drawEllipse(QRectF(stTile.left() + 6, stTile.top() + 6, 8, 8));
        painter->setBrush(Qt::NoBrush);
    }

    const auto *pView = qobject_cast<const ImageListView *>(opt.widget);
    const bool bFrame = pView ? pView->showsSelectionFrame() : true;
    if (opt.state.testFlag(QStyle::State_Selected) && bFrame) {
        painter->strokePath(tilePath, QPen(kSelectionColor, frameWidth, Qt::SolidLine,
                                           Qt::SquareCap, Qt::BevelJoin));
    }
    // A disabled strip (the album is busy) offers no delete, and its tiles look at rest.
    if (opt.state.testFlag(QStyle::State_Enabled))
        painter->drawPixmap(deleteIconRect(stTile), bHover ? m_deleteIconHover : m_deleteIcon);
    else
        painter->fillRect(stTile, kDisabledVeil);

    if (pView) {
        const int iRow = index.row();
        const bool bInternal = pView->isInternalDrag();
        if ((bInternal || pView->draggedRow() != -1) && iRow == pView->draggedRow())
            painter->fillRect(stTile, kDraggedShade);
        if (bInternal) {
            const int iSpacing = pView->spacing();
            const int iDropRow = pView->dropTargetRow();
            QRect stBar;
            if (iRow == iDropRow) {
                stBar = QRect(stTile.left() - iSpacing / 2 - iSpacing, stTile.top(), kDropBarWidth,
                              stTile.height());
            } else if (iDropRow == index.model()->rowCount(index.parent()) &&
                       iRow == iDropRow - 1) {
                stBar = QRect(stTile.left() + stTile.width() + iSpacing / 2, stTile.top(),
                              kDropBarWidth, stTile.height());
            }
            if (!stBar.isNull()) {
                QPainterPath barPath;
                barPath.addRoundedRect(QRectF(stBar), cornerRadius, cornerRadius);
                painter->setClipPath(barPath);
                painter->fillRect(stBar, kDropBarColor);
            }
        }
    }
    painter->restore();
}
