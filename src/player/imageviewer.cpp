// ImageViewer placeholder.
#include "imageviewer.h"

#include <QThread>

ImageViewer::ImageViewer(QObject *parent) : QObject(parent)
{
    connect(this, &ImageViewer::sig_changePreviewCover, this, &ImageViewer::changePreviewCoverImpl);
    connect(this, &ImageViewer::sig_previewVideo, this, &ImageViewer::previewVideoImpl);
    connect(this, &ImageViewer::sig_close, this, &ImageViewer::closeImpl);
}

void ImageViewer::changePreviewCoverImpl() {}

void ImageViewer::previewVideoImpl()
{
    emit sig_previewFinished();
}

void ImageViewer::closeImpl(int iExitCode)
{
    thread()->exit(iExitCode);
}
