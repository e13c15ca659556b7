// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: pictures by the folder, and the strip put in order (by date taken, by name).
#include "zodozadar.h"

#include "pictureimport.h"

#include "albumdocument.h"
#include "albumsort.h"

void ZodoZadar::addFolder()
{
    const QString szFolder = m_pImport->chooseFolder();
    if (szFolder.isEmpty())
        return;
    // Nothing to add to yet: the folder starts a new album, as the add button's pictures do.
    m_pImport->runPaths({szFolder},
                        hasPictures() ? PictureImport::Mode::Append : PictureImport::Mode::Replace);
}

void ZodoZadar::sortPictures(PictureOrder order)
{
    if (refuseEdit())
        return;
    m_pDocument->beginEdit();
    ::sortPictures(m_pDocument->edit(), order, selfAdaptingRatio());
    QString szText;
    switch (order) {
    case PictureOrder::DateTaken:
        szText = tr("Sort by date taken");
        break;
    case PictureOrder::Name:
        szText = tr("Sort by name");
        break;
    case PictureOrder::Reverse:
        szText = tr("Reverse order");
        break;
    }
    m_pDocument->commitEdit(szText);
    // The strip, the cover and the ratio follow the new order.
    if (rowPaths() != m_pDocument->album().materialOrder)
        showAlbum();
}
