// SPDX-License-Identifier: GPL-3.0-or-later
// Picture facts: the EXIF date and camera, the file's time in their place, caption fields.
#include "picturefacts.h"

#include "exifreader.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QString kDateField = QStringLiteral("{date}");
const QString kFileField = QStringLiteral("{file}");
} // namespace

QString PictureFacts::camera() const
{
    if (model.isEmpty())
        return make;
    if (make.isEmpty() || model.startsWith(make, Qt::CaseInsensitive))
        return model;
    return make + QLatin1Char(' ') + model;
}

PictureFacts readPictureFacts(const QString &szPath)
{
    PictureFacts facts;
    QFile file(szPath);
    if (file.open(QIODevice::ReadOnly)) {
        const ExifFacts exif = parseExif(findExifBlock(file));
        facts.make = exif.make;
        facts.model = exif.model;
        if (exif.taken.isValid()) {
            facts.taken = exif.taken;
            facts.takenByCamera = true;
        }
    }
    if (!facts.taken.isValid()) {
        const QFileInfo info(szPath);
        if (info.exists())
            facts.taken = info.lastModified();
    }
    return facts;
}

bool hasCaptionFields(const QString &szText)
{
    return szText.contains(kDateField) || szText.contains(kFileField);
}

QString expandCaptionFields(const QString &szText, const QString &szPath, const PictureFacts &facts,
                            const QLocale &locale)
{
    if (!hasCaptionFields(szText))
        return szText;
    // One pass, so that a file name holding "{date}" is not expanded again.
    const QString szDate = facts.taken.isValid()
                               ? locale.toString(facts.taken.date(), QLocale::LongFormat)
                               : QString();
    const QString szFile = QFileInfo(szPath).completeBaseName();
    QString out;
    out.reserve(szText.size());
    for (int i = 0; i < szText.size();) {
        if (szText.midRef(i, kDateField.size()) == kDateField) {
            out += szDate;
            i += kDateField.size();
        } else if (szText.midRef(i, kFileField.size()) == kFileField) {
            out += szFile;
            i += kFileField.size();
        } else {
            out += szText[i++];
        }
    }
    return out;
}
