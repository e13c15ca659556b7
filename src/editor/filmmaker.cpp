// SPDX-License-Identifier: GPL-3.0-or-later
#include "filmmaker.h"

#include "albumdocument.h"
#include "autofilm.h"
#include "previewcontroller.h"
#include "zodozadar.h"

void FilmMaker::make(ZodoZadar &editor)
{
    if (editor.refuseEdit())
        return;
    if (!editor.hasRenderedPictures()) {
        editor.toast(tr("Add pictures first"));
        return;
    }
    AlbumDocument *pDocument = editor.document();
    pDocument->beginEdit();
    editor.preview()->halt();
    // The cut on the beat and its fit are worked out as the step ends, from the music's beat
    // (or when the beat arrives).
    const AlbumChange change = makeFilm(pDocument->edit(), editor.selfAdaptingRatio());
    editor.notify(change);
    pDocument->commitEdit(tr("Make a film"));
    // The strip follows the new order, the settings the new look.
    editor.showAlbum();
    editor.toast(pDocument->album().hasMusic()
                     ? tr("Film made: sorted by date, moving, faces kept, cut on the beat")
                     : tr("Film made: sorted by date, moving, faces kept"),
                 nullptr, 3000);
}
