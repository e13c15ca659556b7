// SPDX-License-Identifier: GPL-3.0-or-later
// A picture drawn small as the video shows it: its fill and caption by the video's renderer.
#pragma once

#include "avhandles.h"
#include "picturerenderer.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

struct PictureOptions;

class LookPreview
{
public:
    // Decodes szPath once (upright, reduced to what the box needs) for frames of the album's
    // shape (stAlbumSize) fitted into stBox.
    LookPreview(const QString &szPath, QSize stAlbumSize, QSize stBox);
    // The same for a picture already decoded (a clip's frame); takes it over. With none it is
    // null, but knows the frame's size.
    LookPreview(av::FramePtr decoded, QSize stAlbumSize, QSize stBox);

    bool isNull() const { return !m_decoded; }
    // The frame's size: the album's shape within the box, even sides.
    QSize frameSize() const { return m_frame; }
    // Where the whole picture lies in a frame: the fill is around it.
    QRect pictureRect() const { return m_picture; }
    // The frame at rest in `look` (motion is left to the rectangles drawn over it); null on
    // failure.
    QImage render(const ResolvedLook &look) const;

private:
    void take(av::FramePtr decoded);

    av::FramePtr m_decoded;
    QSize m_frame;
    QRect m_picture;
};

// The look a picture with these options has in an album whose fill is albumFill, at rest.
ResolvedLook stillLook(const PictureOptions &options, const Fill &albumFill);
