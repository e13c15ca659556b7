// SPDX-License-Identifier: GPL-3.0-or-later
// The picture panel's picture, drawn through the video's renderer.
#include "lookpreview.h"

#include "album.h"
#include "framegraph.h"

LookPreview::LookPreview(const QString &szPath, QSize stAlbumSize, QSize stBox)
{
    if (stAlbumSize.isEmpty() || stBox.isEmpty())
        return;
    m_frame = fitEvenSize(stAlbumSize.width(), stAlbumSize.height(), stBox.width(), stBox.height());
    if (m_frame.isEmpty())
        return;
    av::FramePtr frame = av::makeFrame();
    if (!frame ||
        decodePictureFile(szPath, frame.get(),
                          lowresFor(szPath, m_frame.width(), m_frame.height())) < 0 ||
        frame->width <= 0 || frame->height <= 0)
        return;
    take(std::move(frame));
}

LookPreview::LookPreview(av::FramePtr decoded, QSize stAlbumSize, QSize stBox)
{
    if (stAlbumSize.isEmpty() || stBox.isEmpty())
        return;
    // The frame's shape is known without a picture: a clip's panel sizes its frames by it.
    m_frame = fitEvenSize(stAlbumSize.width(), stAlbumSize.height(), stBox.width(), stBox.height());
    if (!m_frame.isEmpty() && decoded && decoded->width > 0 && decoded->height > 0)
        take(std::move(decoded));
}

void LookPreview::take(av::FramePtr decoded)
{
    const LetterboxGeometry box =
        letterboxGeometry(decoded->width, decoded->height, m_frame.width(), m_frame.height());
    m_picture = QRect(box.x, box.y, box.width, box.height);
    m_decoded = std::move(decoded);
}

QImage LookPreview::render(const ResolvedLook &look) const
{
    if (!m_decoded)
        return QImage();
    ResolvedLook still = look;
    still.moving = false;
    still.from = still.to = QRectF(0, 0, 1, 1);
    int error = 0;
    const std::shared_ptr<const PictureFrames> frames =
        PictureFrames::create(m_decoded.get(), m_frame.width(), m_frame.height(), still, &error);
    av::FramePtr drawn = av::makeFrame();
    if (!frames || !drawn || frames->render(0, 1, drawn.get()) < 0)
        return QImage();
    return frameToImage(drawn.get());
}

ResolvedLook stillLook(const PictureOptions &options, const Fill &albumFill)
{
    // As the album resolves a picture's look: its own fill, else the album's, else black bars.
    ResolvedLook look;
    look.fill = options.fill.kind == FillKind::Album ? albumFill : options.fill;
    if (look.fill.kind == FillKind::Album)
        look.fill.kind = FillKind::Black;
    look.caption = options.caption;
    return look;
}
