// Cost of painting the material strip with 200 pictures: the delegate's time per tile, and the
// time per frame while the strip scrolls from the first tile to the last.
//   build/bin/bench_strip [--rows N] [--width PX]
// Runs on Qt's offscreen platform (raster painting, as on an X11 desktop without OpenGL).
#include "benchstats.h"

#include "imagelistitemdelegate.h"
#include "imagelistview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTextStream>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace {

// Thumbnails as the decoder gives them: at most 120 x 80, landscape and portrait mixed.
QPixmap thumbnail(int iIndex)
{
    const QSize stSize = (iIndex % 3 == 1) ? QSize(53, 80) : QSize(120, 80 - (iIndex % 4) * 7);
    QImage image(stSize, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, stSize.width(), stSize.height());
    gradient.setColorAt(0, QColor::fromHsv((iIndex * 37) % 360, 160, 230));
    gradient.setColorAt(1, QColor::fromHsv((iIndex * 37 + 90) % 360, 200, 120));
    painter.fillRect(image.rect(), gradient);
    return QPixmap::fromImage(image);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int iRowsArg = args.indexOf(QStringLiteral("--rows"));
    const int iRows = iRowsArg > 0 ? args.value(iRowsArg + 1).toInt() : 200;
    const int iWidthArg = args.indexOf(QStringLiteral("--width"));
    const int iWidth = iWidthArg > 0 ? args.value(iWidthArg + 1).toInt() : 1000;
    QTextStream out(stdout);

    // The strip as the editor's form sets it up.
    ImageListView view;
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view.setDragEnabled(true);
    view.setDragDropMode(QAbstractItemView::DragDrop);
    view.setDefaultDropAction(Qt::MoveAction);
    view.setFlow(QListView::LeftToRight);
    view.setSpacing(8);
    view.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.setShowSelectionFrame(false);
    view.resize(iWidth, 112);
    view.show();
    // Painting starts once the window is exposed.
    QElapsedTimer wait;
    wait.start();
    while (!(view.windowHandle() && view.windowHandle()->isExposed()) && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < iRows; ++i)
        view.appendImage(QStringLiteral("/photos/picture %1.jpg").arg(i), thumbnail(i));
    view.viewport()->repaint(); // lays the rows out
    const double lfFillMs = timer.nsecsElapsed() / 1e6;

    // 1. The delegate alone, every row in turn, as the view hands it each tile.
    auto *pDelegate = static_cast<ImageListItemDelegate *>(view.itemDelegate());
    QImage canvas(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> passNsPerRow;
    for (int iPass = 0; iPass < 15; ++iPass) {
        QPainter painter(&canvas);
        timer.restart();
        for (int i = 0; i < iRows; ++i) {
            QStyleOptionViewItem option;
            option.initFrom(view.viewport());
            option.widget = &view;
            option.rect = QRect(8 + (i % 8) * 128, 8, 120, 92);
            option.state = QStyle::State_Enabled | QStyle::State_Active;
            if (i % 50 == 0)
                option.state |= QStyle::State_MouseOver | QStyle::State_Selected;
            pDelegate->paint(&painter, option, view.imageModel()->index(i, 0));
        }
        passNsPerRow.push_back(double(timer.nsecsElapsed()) / iRows);
    }

    // 2. Scrolling: each step repaints the whole viewport, as a wheel or drag scroll does.
    QScrollBar *pBar = view.horizontalScrollBar();
    std::vector<double> frameMs;
    int iTilesPainted = 0;
    for (int iRound = 0; iRound < 3; ++iRound) {
        for (int iValue = 0; iValue <= pBar->maximum(); iValue += 40) {
            pBar->setValue(iValue);
            timer.restart();
            view.viewport()->repaint();
            frameMs.push_back(timer.nsecsElapsed() / 1e6);
            for (int i = 0; i < iRows; ++i) {
                if (view.visualRect(view.imageModel()->index(i, 0))
                        .intersects(view.viewport()->rect()))
                    ++iTilesPainted;
            }
        }
    }
    double lfTotalMs = 0;
    for (double lfMs : frameMs)
        lfTotalMs += lfMs;

    out << "strip: " << iRows << " pictures, viewport " << view.viewport()->width() << " x "
        << view.viewport()->height() << ", " << QGuiApplication::platformName() << " platform\n";
    out << QStringLiteral("fill (append %1 rows and lay out)  %2 ms\n")
               .arg(QString::number(iRows), QString::number(lfFillMs, 'f', 2));
    out << QStringLiteral("delegate paint per tile            %1 us (median of 15 passes)\n")
               .arg(QString::number(median(passNsPerRow) / 1000, 'f', 2));
    out << QStringLiteral("scroll repaint per frame           %1 ms mean, %2 ms max (%3 frames)\n")
               .arg(QString::number(lfTotalMs / frameMs.size(), 'f', 3),
                    QString::number(*std::max_element(frameMs.begin(), frameMs.end()), 'f', 3),
                    QString::number(frameMs.size()));
    out << QStringLiteral("scroll repaint per visible tile    %1 us\n")
               .arg(QString::number(lfTotalMs * 1000 / qMax(1, iTilesPainted), 'f', 2));
    return 0;
}
