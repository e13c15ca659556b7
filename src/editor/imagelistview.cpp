// SPDX-License-Identifier: GPL-3.0-or-later
// The material strip: hover, delete with its question, and the drag that reorders the tiles.
#include "imagelistview.h"

#include "cqdlgtipsimple.h"
#include "imagelistitemdelegate.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDrag>
#include <QFileInfo>
#include <QHoverEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QStandardItemModel>

#include <algorithm>

namespace {
// Width of the fade at the strip's right edge, and how far its gradient would run to full colour.
constexpr int kFadeStripWidth = 10;
constexpr int kFadeGradientLength = 25;
const QColor kDragImageColor(0xD9, 0xD9, 0xD9);

// The rows name their picture by file name to screen readers; the display text stays the path,
// which is what the editor reads back.
class ImageListModel : public QStandardItemModel
{
public:
    using QStandardItemModel::QStandardItemModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::AccessibleTextRole || role == Qt::AccessibleDescriptionRole) {
            const QVariant stOwn = QStandardItemModel::data(index, role);
            if (stOwn.isValid())
                return stOwn;
            const QString szPath = QStandardItemModel::data(index, Qt::DisplayRole).toString();
            return role == Qt::AccessibleTextRole ? QFileInfo(szPath).fileName() : szPath;
        }
        return QStandardItemModel::data(index, role);
    }
};
} // namespace

ImageListView::ImageListView(QWidget *parent)
    : QListView(parent), m_pModel(new ImageListModel(this)),
      m_pDelegate(new ImageListItemDelegate(this))
{
    setAttribute(Qt::WA_Hover);
    // The tiles' hover shade follows the toolkit's hover index, which only the viewport's own
    // hover events keep; not every style turns them on for item views.
    viewport()->setAttribute(Qt::WA_Hover);
    installEventFilter(this);
    setModel(m_pModel);
    setItemDelegate(m_pDelegate);
    // Every tile has the delegate's one size, so the layout need not ask each row.
    setUniformItemSizes(true);
    setAccessibleName(tr("Picture list"));
    connect(this, &QAbstractItemView::pressed, this, &ImageListView::onPressed);
    connect(this, &QAbstractItemView::clicked, this, &ImageListView::onClicked);
}

ImageListView::~ImageListView() = default;

void ImageListView::appendImage(const QString &szFilePath, const QPixmap &stThumbnail)
{
    auto *pItem = new QStandardItem(szFilePath);
    pItem->setBackground(QBrush(stThumbnail));
    pItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
    m_pModel->appendRow(pItem);
}

void ImageListView::insertMissing(int iRow, const QString &szFilePath, const QString &szState,
                                  const QString &szWhy)
{
    auto *pItem = new QStandardItem(szFilePath);
    pItem->setData(szState, MissingRole);
    pItem->setToolTip(QStringLiteral("%1\n%2").arg(szFilePath, szWhy));
    pItem->setData(QStringLiteral("%1 — %2").arg(QFileInfo(szFilePath).fileName(), szState),
                   Qt::AccessibleTextRole);
    pItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
    m_pModel->insertRow(std::clamp(iRow, 0, m_pModel->rowCount()), pItem);
}

bool ImageListView::isMissing(int iRow) const
{
    return !m_pModel->index(iRow, 0).data(MissingRole).toString().isEmpty();
}

void ImageListView::setFound(int iRow, const QString &szFilePath, const QPixmap &stThumbnail)
{
    QStandardItem *pItem = m_pModel->item(iRow);
    if (!pItem)
        return;
    pItem->setText(szFilePath);
    pItem->setBackground(QBrush(stThumbnail));
    pItem->setData(QVariant(), MissingRole);
    pItem->setData(QVariant(), Qt::ToolTipRole);
    pItem->setData(QVariant(), Qt::AccessibleTextRole);
}

QString ImageListView::filePath(int iRow) const
{
    return m_pModel->index(iRow, 0).data(Qt::DisplayRole).toString();
}

QStringList ImageListView::filePaths() const
{
    QStringList paths;
    const int iRows = m_pModel->rowCount();
    paths.reserve(iRows);
    for (int i = 0; i < iRows; ++i)
        paths.append(filePath(i));
    return paths;
}

void ImageListView::setShowSelectionFrame(bool bShow)
{
    showSelectionFrame = bShow;
    viewport()->update();
}

void ImageListView::onPressed(QModelIndex stIndex)
{
    emit sig_itemPressed(stIndex);
}

void ImageListView::onClicked(QModelIndex stIndex)
{
    emit sig_itemClicked(stIndex);
}

bool ImageListView::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        hoverAt(viewport()->mapFrom(this, static_cast<QHoverEvent *>(event)->pos()));
        event->accept();
        return true;
    case QEvent::HoverLeave:
        deleteHover = false;
        event->accept();
        return true;
    default:
        return QListView::event(event);
    }
}

bool ImageListView::eventFilter(QObject *watched, QEvent *event)
{
    return QListView::eventFilter(watched, event);
}

void ImageListView::hoverAt(const QPoint &stViewportPos)
{
    const QModelIndex stIndex = indexAt(stViewportPos);
    deleteHover = stIndex.isValid() &&
                  ImageListItemDelegate::deleteIconRect(m_pDelegate->tileRect(visualRect(stIndex)))
                      .contains(stViewportPos);
    const Qt::CursorShape eShape = deleteHover ? Qt::PointingHandCursor : Qt::ArrowCursor;
    if (viewport()->cursor().shape() != eShape)
        viewport()->setCursor(eShape);
}

void ImageListView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pressPos = viewport()->mapToParent(event->pos());
    QListView::mousePressEvent(event);
}

void ImageListView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        // The release position decides, not the last hover: a release without a hover move
        // before it (a touch tap, a synthetic click) must not act on a stale state.
        hoverAt(event->pos());
        if (deleteHover)
            requestDelete(indexAt(event->pos()));
    }
    QListView::mouseReleaseEvent(event);
}

void ImageListView::setOwnSettings(int iRow, bool bOwn)
{
    if (QStandardItem *pItem = m_pModel->item(iRow))
        pItem->setData(bOwn, OwnSettingsRole);
}

void ImageListView::setClipLength(int iRow, qint64 lengthUs)
{
    QStandardItem *pItem = m_pModel->item(iRow);
    // Unchanged data is not set again: every edit updates every tile's marks.
    if (pItem && pItem->data(ClipLengthRole).toLongLong() != lengthUs)
        pItem->setData(lengthUs, ClipLengthRole);
}

void ImageListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex stIndex = indexAt(event->pos());
    if (event->button() == Qt::LeftButton && stIndex.isValid() && isEnabled()) {
        event->accept();
        emit sig_itemActivated(stIndex.row());
        return;
    }
    QListView::mouseDoubleClickEvent(event);
}

void ImageListView::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex stIndex = indexAt(event->pos());
    if (!stIndex.isValid() || !isEnabled())
        return;
    QMenu menu(this);
    const bool bMissing = isMissing(stIndex.row());
    const QAction *pSettings = menu.addAction(bMissing ? tr("Locate…") : tr("Picture settings…"));
    const QAction *pDelete = menu.addAction(tr("Delete"));
    const QAction *pChosen = menu.exec(event->globalPos());
    if (pChosen == pSettings)
        emit sig_itemActivated(stIndex.row());
    else if (pChosen == pDelete)
        requestDelete(stIndex);
}

void ImageListView::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
        event->accept();
        emit sig_itemActivated(currentIndex().row());
        return;
    }
    // The keyboard's way to the delete icon, with the same question.
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        requestDelete(currentIndex());
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

bool ImageListView::requestDelete(const QModelIndex &stIndex)
{
    // A disabled strip (the album is busy) refuses, whatever asked.
    if (!stIndex.isValid() || stIndex.model() != m_pModel || !isEnabled())
        return false;
    // The question runs an event loop; the row is followed through whatever happens meanwhile,
    // and the strip may have been disabled by then.
    const QPersistentModelIndex stRow(stIndex);
    if (confirmDelete) {
        ShareCode::CQDlgTipSimple dialog;
        dialog.setTitle(tr("Tips"));
        dialog.setMessage(tr("Do you want to delete this material?"));
        dialog.setOkText(tr("Yes"));
        dialog.setCancelText(tr("Cancel"));
        if (dialog.exec() != QDialog::Accepted || !stRow.isValid() || !isEnabled())
            return false;
    }
    const QString szPath = stRow.data(Qt::DisplayRole).toString();
    const int iRow = stRow.row();
    m_pModel->removeRow(iRow);
    deleteHover = false;
    viewport()->setCursor(Qt::ArrowCursor);
    emit sig_itemDeleted(szPath, iRow);
    return true;
}

void ImageListView::paintEvent(QPaintEvent *event)
{
    // The tiles draw their own drop bar; the toolkit's line would cross it.
    const bool bIndicator = showDropIndicator();
    setDropIndicatorShown(false);
    QListView::paintEvent(event);
    setDropIndicatorShown(bIndicator);

    QPainter painter(viewport());
    const QRect stStrip(viewport()->width() - kFadeStripWidth, 0, kFadeStripWidth,
                        viewport()->height());
    QLinearGradient gradient(stStrip.left(), 0, stStrip.left() + kFadeGradientLength, 0);
    gradient.setColorAt(0, QColor(189, 187, 203, 0));
    gradient.setColorAt(1, QColor(189, 187, 203, 255));
    painter.fillRect(stStrip, gradient);

    // Scrolling and removed rows move tiles under a still cursor: re-check what it points at.
    const QPoint stCursor = mapFromGlobal(QCursor::pos());
    QCoreApplication::postEvent(this, new QHoverEvent(QEvent::HoverMove, stCursor, stCursor));
}

void ImageListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->source() == this) {
        internalDrag = true;
        // Leaving over the dragged tile forgot it; coming back shows it as dragged again.
        if (dragRow == -1 && m_dragIndex.isValid())
            dragRow = m_dragIndex.row();
    }
    QListView::dragEnterEvent(event);
}

void ImageListView::dragLeaveEvent(QDragLeaveEvent *event)
{
    internalDrag = false;
    if (dragRow != -1 && indexAt(viewport()->mapFromGlobal(QCursor::pos())).row() == dragRow)
        dragRow = -1;
    QListView::dragLeaveEvent(event);
}

void ImageListView::dragMoveEvent(QDragMoveEvent *event)
{
    QListView::dragMoveEvent(event);
    // A tile dragged within the strip always moves, even with Ctrl held: a copy would give the
    // strip a row the album does not have.
    if (event->source() == this && event->isAccepted() &&
        event->possibleActions().testFlag(Qt::MoveAction)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    }
    const QPoint stPos = event->pos();
    dropRow = dropRowAt(stPos);
    if (indexAt(stPos).isValid())
        viewport()->repaint();
}

int ImageListView::dropRowAt(const QPoint &stPos) const
{
    const QModelIndex stTile = indexAt(stPos);
    if (stTile.isValid()) {
        if (stTile.row() == dragRow)
            return stTile.row();
        const QRect stRect = visualRect(stTile);
        if (stPos.x() <= stRect.left() + stRect.width() / 2 &&
            dropIndicatorPosition() == QAbstractItemView::AboveItem)
            return stTile.row();
        return stTile.row() + 1;
    }
    const int iSpacing = spacing();
    const QModelIndex stRight = indexAt(stPos + QPoint(iSpacing, 0));
    if (stRight.isValid())
        return stRight.row();
    const int iRows = m_pModel->rowCount();
    if (iRows > 0 && visualRect(m_pModel->index(iRows - 1, 0)).left() < stPos.x() + iSpacing)
        return iRows;
    const QModelIndex stLeft = indexAt(stPos - QPoint(iSpacing, 0));
    return (stLeft.isValid() ? stLeft.row() : -1) + 1;
}

void ImageListView::dropEvent(QDropEvent *event)
{
    if (event->source() == this && m_dragIndex.isValid()) {
        // Our own tile: it goes where the drop bar shows, moved once by startDrag after the drag
        // returns. The model must not insert a copy here: its own drop position differs from the
        // bar in the gaps between tiles, and a copy and a removal would be two changes.
        m_iDroppedBefore = dropRow != -1 ? dropRow : dropRowAt(event->pos());
        event->setDropAction(Qt::MoveAction);
        event->accept();
        stopAutoScroll();
        setState(NoState);
        viewport()->update();
        return;
    }
    QListView::dropEvent(event);
}

void ImageListView::startDrag(Qt::DropActions supportedActions)
{
    const QModelIndex stCurrent = currentIndex();
    dragRow = stCurrent.isValid() ? stCurrent.row() : -1;
    QMimeData *pMime = stCurrent.isValid() ? m_pModel->mimeData({stCurrent}) : nullptr;
    if (pMime) {
        const QSize stHalf = visualRect(stCurrent).size() * 0.5;
        QPixmap dragImage(stHalf);
        dragImage.fill(kDragImageColor);
        const QPixmap thumbnail = stCurrent.data(Qt::BackgroundRole).value<QBrush>().texture();
        if (!thumbnail.isNull()) {
            const QPixmap small = thumbnail.scaled(thumbnail.width() / 2, thumbnail.height() / 2,
                                                   Qt::IgnoreAspectRatio, Qt::FastTransformation);
            QPainter painter(&dragImage);
            painter.drawPixmap((stHalf.width() - small.width()) / 2,
                               (stHalf.height() - small.height()) / 2, small);
        }

        Qt::DropActions actions = supportedActions;
        if (dragDropMode() == QAbstractItemView::InternalMove)
            actions &= ~Qt::CopyAction;
        Qt::DropAction eDefault = Qt::IgnoreAction;
        if (defaultDropAction() != Qt::IgnoreAction && actions.testFlag(defaultDropAction()))
            eDefault = defaultDropAction();
        else if (actions.testFlag(Qt::CopyAction) &&
                 dragDropMode() != QAbstractItemView::InternalMove)
            eDefault = Qt::CopyAction;

        rowCountBeforeDrag = m_pModel->rowCount();
        m_dragIndex = QPersistentModelIndex(stCurrent);
        m_iDroppedBefore = -1;
        auto *pDrag = new QDrag(this); // Qt deletes it when the drag is over
        pDrag->setMimeData(pMime);
        pDrag->setPixmap(dragImage);
        pDrag->setHotSpot(QPoint(stHalf.width() / 2, stHalf.height() / 2));
        QPointer<ImageListView> self(this);
        const Qt::DropAction eResult = pDrag->exec(actions, eDefault);
        if (!self)
            return;
        // Only a drop on this strip moves the row; a move accepted elsewhere leaves it, since the
        // album still holds the picture.
        if (eResult == Qt::MoveAction && m_iDroppedBefore != -1)
            finishInternalMove(m_dragIndex, m_iDroppedBefore);
    }
    m_dragIndex = QPersistentModelIndex();
    m_iDroppedBefore = -1;
    internalDrag = false;
    dragRow = -1;
    dropRow = -1;
    viewport()->update();
}

void ImageListView::finishInternalMove(const QPersistentModelIndex &stDragged, int iDropBefore)
{
    if (!stDragged.isValid())
        return;
    const int iFrom = stDragged.row();
    const int iRows = m_pModel->rowCount();
    const int iTo = qBound(0, iDropBefore > iFrom ? iDropBefore - 1 : iDropBefore, iRows - 1);
    if (iTo == iFrom)
        return;
    const QString szPath = stDragged.data(Qt::DisplayRole).toString();
    m_pModel->insertRow(iTo, m_pModel->takeRow(iFrom));
    setCurrentIndex(m_pModel->index(iTo, 0));
    emit sig_itemDraged(szPath, iFrom, iTo);
}
