// Album editor: each picture's own settings, through the picture panel.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "albumops.h"
#include "imagelistview.h"
#include "picturepanel.h"
#include "qtinversionwidget.h"
#include "renderjob.h"

#include <QFileInfo>
#include <QImageReader>
#include <QStandardItemModel>
#include <algorithm>
#include <climits>

namespace {
// The changes made in one opening of the panel merge into one undo step; the next opening starts
// another (ids above the other merging edits').
constexpr int kFirstPanelMergeId = 1000;
} // namespace

void ZodoZadar::showPicturePanel(int iRow)
{
    const RenderJob &job = RenderJob::instance();
    if (iRow < 0 || iRow >= job.materialOrder.size() || refuseEdit())
        return;
    const QString szPath = job.materialOrder.at(iRow);
    // Upright (as the album shows it) and read at a reduced size: a 48-megapixel photo must not
    // hold the window up.
    QImageReader reader(szPath);
    reader.setAutoTransform(true);
    const QSize stSource = reader.size();
    constexpr int kLongSide = 720; // twice the panel's picture area
    if (stSource.isValid() && std::max(stSource.width(), stSource.height()) > kLongSide)
        reader.setScaledSize(stSource.scaled(kLongSide, kLongSide, Qt::KeepAspectRatio));
    QPixmap stPicture = QPixmap::fromImage(reader.read());
    if (stPicture.isNull())
        stPicture = m_thumbnails.value(szPath);
    PicturePanel panel(stPicture, QFileInfo(szPath).fileName(), job.optionsAt(iRow),
                       job.pictureDuration(-1), ShareCode::QtInversionWidget::instance());
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
    panel.exec();
}

void ZodoZadar::changePictureOptions(
    int iRow, const std::function<PictureOptions(const PictureOptions &, int)> &fnChange)
{
    if (refuseEdit())
        return;
    RenderJob &job = RenderJob::instance();
    beginEdit();
    AlbumChange change;
    {
        auto lock = haltAndLock();
        for (int i = 0; i < job.materialOrder.size(); ++i) {
            if (iRow >= 0 && i != iRow)
                continue;
            change.totalChanged |=
                setPictureOptions(job, i, fnChange(job.optionsAt(i), i)).totalChanged;
        }
    }
    notify(change);
    updatePictureMarks();
    commitEdit(tr("Change picture settings"), m_iPanelMergeId);
}

void ZodoZadar::updatePictureMarks()
{
    const RenderJob &job = RenderJob::instance();
    const int iRows = ui->imageSourceList->model()->rowCount();
    for (int i = 0; i < iRows; ++i)
        ui->imageSourceList->setOwnSettings(i, !job.optionsAt(i).isDefault());
}
