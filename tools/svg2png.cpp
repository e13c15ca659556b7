// Build tool: rasterises an SVG source into the PNG that the compiled-in resources carry.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool bSizeOk = true;
    const int iSide = args.size() == 4 ? args.at(3).toInt(&bSizeOk) : 0;
    if (args.size() < 3 || args.size() > 4 || !bSizeOk || iSide < 0) {
        QTextStream(stderr) << "usage: svg2png INPUT.svg OUTPUT.png [SIDE]\n";
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        QTextStream(stderr) << "svg2png: cannot read " << args.at(1) << "\n";
        return 1;
    }
    // The picture's own size is its view box: sprites and icons are drawn at their pixel size.
    // A square SIDE draws an icon theme size from one scalable source.
    const QSize size = iSide > 0                             ? QSize(iSide, iSide)
                       : renderer.viewBox().size().isEmpty() ? renderer.defaultSize()
                                                             : renderer.viewBox().size();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image.save(args.at(2), "PNG") ? 0 : 1;
}
