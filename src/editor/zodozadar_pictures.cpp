// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: each picture's own settings, through the picture panel.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "previewcontroller.h"

#include "albumdocument.h"

#include "album.h"
#include "albumops.h"
#include "avhandles.h"
#include "framegraph.h"
#include "imagelistview.h"
#include "imageviewer.h"
#include "lookpreview.h"
#include "picturepanel.h"
#include "qtinversionwidget.h"

#include <QActionGroup>
#include <QColorDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QMenu>
#include <QStandardItemModel>
#include <algorithm>
#include <climits>

namespace {
// The changes made in one opening of the panel merge into one undo step; the next opening starts
// another (ids above the other merging edits').
constexpr int kFirstPanelMergeId = 1000;

// The picture for its panel: upright (as the album shows it) and read at a reduced size, so that
// a 48-megapixel photo does not hold the window up.
QPixmap panelPicture(const QString &szPath)
{
    QImageReader reader(szPath);
    reader.setAutoTransform(true);
    const QSize stSource = reader.size();
    constexpr int kLongSide = 720; // twice the panel's picture area
    if (stSource.isValid() && std::max(stSource.width(), stSource.height()) > kLongSide)
        reader.setScaledSize(stSource.scaled(kLongSide, kLongSide, Qt::KeepAspectRatio));
    QPixmap stPicture = QPixmap::fromImage(reader.read());
    if (stPicture.isNull()) {
        // Kinds Qt does not read (HEIC, AVIF, an animated WebP): the album's own decoder.
        av::FramePtr frame = av::makeFrame();
        if (frame && decodePictureFile(szPath, frame.get()) >= 0 && frame->width > 0 &&
            frame->height > 0) {
            const QSize stFull(frame->width, frame->height);
            const QSize stShown = std::max(stFull.width(), stFull.height()) > kLongSide
                                      ? stFull.scaled(kLongSide, kLongSide, Qt::KeepAspectRatio)
                                      : stFull;
            if (scaleFrame(frame.get(), frame.get(), std::max(1, stShown.width()),
                           std::max(1, stShown.height())) >= 0)
                stPicture = frameToPixmap(frame.get());
        }
    }
    return stPicture;
}
} // namespace

void ZodoZadar::showPicturePanel(int iRow)
{
    const Album &job = m_pDocument->album();
    if (iRow < 0 || iRow >= job.materialOrder.size() || refuseEdit())
        return;
    const QString szPath = job.materialOrder.at(iRow);
    const bool bClip = job.isClip(iRow);
    // A clip's picture is its frame, which its panel decodes; until then its thumbnail.
    QPixmap stPicture = bClip ? QPixmap() : panelPicture(szPath);
    if (stPicture.isNull())
        stPicture = m_thumbnails.value(szPath);
    PicturePanel panel(stPicture, QFileInfo(szPath).fileName(), job.optionsAt(iRow),
                       job.pictureDuration(-1), ShareCode::QtInversionWidget::instance());
    panel.setPictureFacts(szPath, job.materials.value(szPath).facts);
    // The picture as the video shows it, by the video's renderer.
    const QSize stAlbum(job.width, job.height);
    panel.setLookPreview(
        bClip ? std::make_shared<LookPreview>(av::FramePtr(), stAlbum, PicturePanel::pictureBox())
              : std::make_shared<LookPreview>(szPath, stAlbum, PicturePanel::pictureBox()),
        job.albumFill);
    if (bClip)
        panel.setClip(szPath, job.materials.value(szPath).clip);
    // Each change is one edit of this picture; the panel's edits are one undo step.
    m_iPanelMergeId = m_iPanelMergeId < kFirstPanelMergeId || m_iPanelMergeId == INT_MAX
                          ? kFirstPanelMergeId
                          : m_iPanelMergeId + 1;
    connect(&panel, &PicturePanel::sig_changed, this, [this, iRow](const PictureOptions &o) {
        changePictureOptions(iRow, [o](const PictureOptions &, int) { return o; });
    });
    connect(&panel, &PicturePanel::sig_durationToAll, this, [this](const PictureOptions &o) {
        changePictureOptions(-1, [o](PictureOptions each, int) {
            each.duration = o.duration;
            return each;
        });
    });
    connect(&panel, &PicturePanel::sig_transitionToAll, this, [this](const PictureOptions &o) {
        changePictureOptions(-1, [o](PictureOptions each, int) {
            each.transition = o.transition;
            each.chosenKind = o.chosenKind;
            each.transitionLength = o.transitionLength;
            return each;
        });
    });
    connect(&panel, &PicturePanel::sig_motionToAll, this, [this](const PictureOptions &o) {
        changePictureOptions(-1, [o](PictureOptions each, int) {
            each.motion = o.motion;
            return each;
        });
    });
    connect(&panel, &PicturePanel::sig_captionToAll, this, [this](const PictureOptions &o) {
        // The style goes to every picture; each keeps its own text, unless the text is made of
        // fields ({date}, {file}), which give each picture its own words.
        const bool bFields = hasCaptionFields(o.caption.text);
        changePictureOptions(-1, [o, bFields](PictureOptions each, int) {
            const QString szText = each.caption.text;
            each.caption = o.caption;
            if (!bFields)
                each.caption.text = szText;
            return each;
        });
    });
    connect(&panel, &PicturePanel::sig_fillToAll, this, [this](const PictureOptions &o) {
        changePictureOptions(-1, [o](PictureOptions each, int) {
            each.fill = o.fill;
            return each;
        });
    });
    panel.exec();
    // The player showed this picture while its panel was open: the album's cover again.
    if (m_pViewer->coverPicture.exchange(0) != 0)
        m_pPreview->refreshCover();
}

void ZodoZadar::changePictureOptions(
    int iRow, const std::function<PictureOptions(const PictureOptions &, int)> &fnChange)
{
    if (refuseEdit())
        return;
    Album &job = m_pDocument->edit();
    m_pDocument->beginEdit();
    AlbumChange change;
    {
        m_pPreview->halt();
        for (int i = 0; i < job.materialOrder.size(); ++i) {
            if (iRow >= 0 && i != iRow)
                continue;
            const PictureOptions before = job.optionsAt(i);
            const PictureOptions after = fnChange(before, i);
            change.totalChanged |= setPictureOptions(job, i, after).totalChanged;
            // The cover is the first picture's first frame: its look shows there.
            change.coverChanged |=
                i == 0 && (before.motion != after.motion || before.fill != after.fill ||
                           before.caption != after.caption);
        }
    }
    // A change to one picture shows that picture in the player, as the album will show it.
    if (iRow >= 0) {
        m_pViewer->coverPicture = iRow;
        change.coverChanged = true;
    }
    notify(change);
    updatePictureMarks();
    m_pDocument->commitEdit(tr("Change picture settings"), m_iPanelMergeId);
}

void ZodoZadar::fillLookMenu(QMenu *pMenu)
{
    const Album &job = m_pDocument->album();
    pMenu->clear();
    QAction *pGentle = pMenu->addAction(tr("Gentle motion on every picture"));
    pGentle->setCheckable(true);
    pGentle->setChecked(job.gentleMotion);
    connect(pGentle, &QAction::toggled, this,
            [this](bool bOn) { changeAlbumLook([bOn](Album &j) { j.gentleMotion = bOn; }); });
    QAction *pFaces = pMenu->addAction(tr("Keep faces in frame"));
    pFaces->setCheckable(true);
    pFaces->setChecked(job.keepFaces);
    connect(pFaces, &QAction::toggled, this,
            [this](bool bOn) { changeAlbumLook([bOn](Album &j) { j.keepFaces = bOn; }); });

    pMenu->addSection(tr("Around pictures of another shape"));
    auto *pFills = new QActionGroup(pMenu);
    auto addFill = [&](const QString &szText, FillKind kind) {
        QAction *pAction = pMenu->addAction(szText);
        pAction->setCheckable(true);
        pAction->setChecked(job.albumFill.kind == kind);
        pFills->addAction(pAction);
        connect(pAction, &QAction::triggered, this, [this, kind] {
            Fill fill{kind, m_pDocument->edit().albumFill.colour};
            if (kind == FillKind::Colour) {
                const QColor chosen = QColorDialog::getColor(QColor::fromRgb(fill.colour), this,
                                                             tr("Colour around pictures"));
                if (!chosen.isValid())
                    return;
                fill.colour = chosen.rgb();
            }
            changeAlbumLook([fill](Album &j) { j.albumFill = fill; });
        });
    };
    addFill(tr("Black bars"), FillKind::Black);
    addFill(tr("Blurred picture"), FillKind::Blur);
    addFill(tr("Colour…"), FillKind::Colour);
    addFill(tr("Crop"), FillKind::Crop);

    pMenu->addSection(tr("Edge of the text watermark"));
    auto *pEdges = new QActionGroup(pMenu);
    auto addEdge = [&](const QString &szText, TextEffect effect) {
        QAction *pAction = pMenu->addAction(szText);
        pAction->setCheckable(true);
        pAction->setChecked(job.watermarkEffect == effect);
        pEdges->addAction(pAction);
        connect(pAction, &QAction::triggered, this, [this, effect] {
            changeAlbumLook([effect](Album &j) { j.watermarkEffect = effect; });
        });
    };
    addEdge(tr("No edge"), TextEffect::Plain);
    addEdge(tr("Outline"), TextEffect::Outline);
    addEdge(tr("Shadow"), TextEffect::Shadow);
}

void ZodoZadar::changeAlbumLook(const std::function<void(Album &)> &fnChange)
{
    if (refuseEdit())
        return;
    Album &job = m_pDocument->edit();
    m_pDocument->beginEdit();
    {
        m_pPreview->halt();
        fnChange(job);
    }
    AlbumChange change;
    change.coverChanged = true;
    notify(change);
    m_pDocument->commitEdit(tr("Change the album's look"));
}

void ZodoZadar::updatePictureMarks()
{
    const Album &job = m_pDocument->album();
    const int iRows = ui->imageSourceList->model()->rowCount();
    for (int i = 0, iRendered = 0; i < iRows; ++i) {
        const bool bMissing = ui->imageSourceList->isMissing(i);
        ui->imageSourceList->setOwnSettings(i, !bMissing && !job.optionsAt(iRendered).isDefault());
        ui->imageSourceList->setClipLength(i, bMissing ? 0 : job.clipLength(iRendered));
        iRendered += bMissing ? 0 : 1;
    }
    showOwnDurations();
}
