// Interim stand-in for the picture strip (replaced by the real widget).
#pragma once
#include <QListView>
#include <QStandardItemModel>
class ImageListView : public QListView
{
    Q_OBJECT
public:
    explicit ImageListView(QWidget *parent = nullptr) : QListView(parent)
    {
        setModel(new QStandardItemModel(this));
        connect(this, &QListView::clicked, this, &ImageListView::sig_itemClicked);
    }
    void setConfirmDelete(bool) {}
    void setShowSelectionFrame(bool) {}
signals:
    void sig_itemPressed(QModelIndex stIndex);
    void sig_itemClicked(QModelIndex stIndex);
    void sig_itemDeleted(QString szFilePath, int iOldIndex);
    void sig_itemDraged(QString szFilePath, int iOldIndex, int iNewIndex);
};
