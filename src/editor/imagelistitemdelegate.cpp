// SPDX-License-Identifier: GPL-3.0-or-later
// Tile painting of the material strip.
#include "imagelistitemdelegate.h"

#include "imagelistview.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {
const QColor kTileColor(0xD9, 0xD9, 0xD9);
const QColor kHoverShade(0x33, 0x33, 0x33, 0x7F);
// Over the tiles of a disabled strip: a white veil, as disabled controls are lighter.
const QColor kDisabledVeil(0xFF, 0xFF, 0xFF, 0x73);
const QColor kSelectionColor(0x5C, 0x46, 0xF4);
const QColor kDraggedShade(51, 51, 51, 127);
const QColor kDropBarColor(254, 162, 244, 127);
const QColor kMissingTileColor(0xF4, 0xF4, 0xF6);
const QColor kMissingHatchColor(0xE2, 0xE2, 0xE8);
const QColor kMissingTextColor(0x66, 0x66, 0x70);
const QColor kMissingCrossColor(0xD9, 0x3F, 0x3F);
constexpr int kDeleteIconSide = 16;
constexpr int kDeleteIconInset = 6;
constexpr int kDropBarWidth = 10;
const QColor kClipMarkBack(0x00, 0x00, 0x00, 0xA0);
constexpr int kClipMarkHeight = 16;
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

void ImageListItemDelegate::paintMissing(QPainter *painter, const QRect &stTile,
                                         const QString &szState, const QString &szPath) const
{
    // A picture frame crossed out above the state and the file's name, on a hatched tile: it
    // reads as "not here" at a glance, and the name says which.
    painter->fillRect(stTile, kMissingTileColor);
    painter->fillRect(stTile, QBrush(kMissingHatchColor, Qt::BDiagPattern));
    const QRectF stIcon(stTile.center().x() - 11, stTile.top() + 9, 22, 17);
    painter->setPen(QPen(kMissingTextColor, 1.5));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(stIcon, 2, 2);
    painter->drawLine(stIcon.bottomLeft() + QPointF(3, -3), stIcon.center() + QPointF(-1, 1));
    painter->drawLine(stIcon.center() + QPointF(-1, 1), stIcon.bottomRight() + QPointF(-3, -3));
    painter->setPen(QPen(kMissingCrossColor, 2));
    painter->drawLine(stIcon.topRight() + QPointF(3, -3), stIcon.bottomLeft() + QPointF(-3, 3));

    QFont font = painter->font();
    font.setPixelSize(12);
    font.setBold(true);
    painter->setFont(font);
    painter->setPen(kMissingCrossColor);
    const QRect stState(stTile.left() + 4, stTile.top() + 30, stTile.width() - 8, 16);
    painter->drawText(stState, Qt::AlignCenter,
                      painter->fontMetrics().elidedText(szState, Qt::ElideRight, stState.width()));
    font.setBold(false);
    font.setPixelSize(11);
    painter->setFont(font);
    painter->setPen(kMissingTextColor);
    // Left of the delete icon, so that the two never overlap.
    const QRect stName(stTile.left() + 4, stTile.top() + 48, stTile.width() - 8 - 18, 16);
    const QString szName = szPath.mid(szPath.lastIndexOf(QLatin1Char('/')) + 1);
    painter->drawText(stName, Qt::AlignCenter,
                      painter->fontMetrics().elidedText(szName, Qt::ElideMiddle, stName.width()));
}

QString ImageListItemDelegate::clipLengthText(qint64 lengthUs)
{
    const qint64 s = std::max<qint64>(1, (lengthUs + 500000) / 1000000);
    if (s < 3600)
        return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

void ImageListItemDelegate::paintClipMark(QPainter *painter, const QRect &stTile,
                                          qint64 lengthUs) const
{
    painter->save();
    QFont font = painter->font();
    font.setPixelSize(11);
    font.setBold(true);
    painter->setFont(font);
    const QString szLength = clipLengthText(lengthUs);
    const int iTextWidth = painter->fontMetrics().horizontalAdvance(szLength);
    // Level with the delete icon, on the other side.
    const QRectF stMark(stTile.left() + kDeleteIconInset,
                        stTile.bottom() + 1 - kDeleteIconInset - kClipMarkHeight,
                        4 + 14 + 4 + iTextWidth + 5, kClipMarkHeight);
    painter->setPen(Qt::NoPen);
    painter->setBrush(kClipMarkBack);
    painter->drawRoundedRect(stMark, 3, 3);
    // The film: a white strip with its sprocket holes above and below the picture.
    const QRectF stFilm(stMark.left() + 4, stMark.top() + 3, 14, 10);
    painter->setBrush(Qt::white);
    painter->drawRect(stFilm);
    painter->setBrush(kClipMarkBack);
    for (int i = 0; i < 4; ++i) {
        const double x = stFilm.left() + 1.5 + i * 3;
        painter->drawRect(QRectF(x, stFilm.top() + 1, 1.5, 1.5));
        painter->drawRect(QRectF(x, stFilm.bottom() - 2.5, 1.5, 1.5));
    }
    painter->drawRect(QRectF(stFilm.left() + 1.5, stFilm.top() + 3.5, 11, 3));
    painter->setPen(Qt::white);
    painter->drawText(QRectF(stFilm.right() + 4, stMark.top(), iTextWidth + 2, stMark.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, szLength);
    painter->restore();
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

    const QString szMissing = index.data(ImageListView::MissingRole).toString();
    const QPixmap thumbnail = index.data(Qt::BackgroundRole).value<QBrush>().texture();
    if (!szMissing.isEmpty()) {
        paintMissing(painter, stTile, szMissing, index.data(Qt::DisplayRole).toString());
    } else if (!thumbnail.isNull()) {
        const QSize stSize = thumbnail.size() / thumbnail.devicePixelRatio();
        painter->drawPixmap(QRect(stTile.left() + (stTile.width() - stSize.width()) / 2,
                                  stTile.top() + (stTile.height() - stSize.height()) / 2,
                                  stSize.width(), stSize.height()),
                            thumbnail);
    }

    const bool bHover = opt.state.testFlag(QStyle::State_MouseOver);
    if (bHover)
        painter->fillRect(stTile, kHoverShade);
    const qint64 clipLength = index.data(ImageListView::ClipLengthRole).toLongLong();
    if (szMissing.isEmpty() && clipLength > 0)
        paintClipMark(painter, stTile, clipLength);
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
