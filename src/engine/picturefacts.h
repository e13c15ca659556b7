// SPDX-License-Identifier: GPL-3.0-or-later
// What the album knows of a picture beyond its pixels: when it was taken and with what camera,
// read once as it is imported; and the caption fields that show them.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QMetaType>
#include <QRectF>
#include <QString>
#include <QVector>

struct PictureFacts
{
    // When it was taken (EXIF DateTimeOriginal), else when the file was last changed; invalid
    // when neither is known.
    QDateTime taken;
    bool takenByCamera = false; // from the picture's EXIF, not the file's time
    QString make;
    QString model;
    // Faces found in the picture (detectFaces), in fractions of the upright picture.
    QVector<QRectF> faces;

    // "Make Model", without the make twice when the model repeats it ("Canon Canon EOS R6").
    QString camera() const;
    bool operator==(const PictureFacts &o) const
    {
        return taken == o.taken && takenByCamera == o.takenByCamera && make == o.make &&
               model == o.model && faces == o.faces;
    }
    bool operator!=(const PictureFacts &o) const { return !(*this == o); }
};
Q_DECLARE_METATYPE(PictureFacts)

// Reads the EXIF date and camera of a picture file, with the file's modification time in place
// of a missing date. Safe on any thread; reads only the file's metadata, never its pixels.
PictureFacts readPictureFacts(const QString &szPath);

// Caption fields: "{date}" becomes the date taken in the locale's long date format (nothing when
// unknown), "{file}" the file's base name. Any other text stays as it is.
QString expandCaptionFields(const QString &szText, const QString &szPath, const PictureFacts &facts,
                            const QLocale &locale = QLocale());
bool hasCaptionFields(const QString &szText);
