#include "DashboardTestSupport.h"

#include "TestEnvironment.h"

#include <QCoreApplication>
#include <cstdlib>

LoadEngine::Category category(const QString& name, qint64 bytes, NamedColor color) {
    return LoadEngine::Category(name, bytes, color);
}

LoadEngine::FileItem fileItem(const QString& name, qint64 size, bool isDirectory) {
    return LoadEngine::FileItem("/tmp/" + name.toUtf8(), name, size, isDirectory,
                                QDateTime::currentDateTime());
}

LoadEngine::Snapshot snapshotWithTotal(qint64 total, qint64 count, bool withLists) {
    LoadEngine::Snapshot s;
    s.totalBytes = total;
    s.fileCount = count;
    s.loadPercent = LoadEngine::loadFraction(total);
    s.status = LoadEngine::statusFor(s.loadPercent);
    if (withLists) {
        s.categoryBreakdown = {category("Videos", total * 6 / 10, NamedColor::purple),
                               category("Images", total * 3 / 10, NamedColor::pink),
                               category("Documents", total / 10, NamedColor::blue)};
        s.topItems = {fileItem("Holiday footage 2024", total / 2),
                      fileItem("Screenshots", total * 3 / 10, true),
                      fileItem("Quarterly report – final – really final (v7).pdf", total / 10)};
    }
    return s;
}

QImage renderOn(QWidget& widget, const QColor& background, qreal dpr) {
    if (widget.isWindow() && !widget.isVisible())
        widget.show();
    // Let pending layout requests settle, as they would before the next frame.
    QCoreApplication::processEvents();
    QImage image(widget.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(background);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

QImage renderOnPanel(QWidget& widget, qreal dpr) {
    return renderOn(widget, panelBackground(), dpr);
}

void saveScreenshot(const QImage& image, const QString& name) {
    image.save(screenshotPath(name));
}

QColor blend(const QColor& under, const QColor& over) {
    const qreal a = over.alphaF();
    return QColor::fromRgbF(float(over.redF() * a + under.redF() * (1 - a)),
                            float(over.greenF() * a + under.greenF() * (1 - a)),
                            float(over.blueF() * a + under.blueF() * (1 - a)));
}

int colorDistance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

QColor panelBackground() {
    return Palette::darkPanelPalette().color(QPalette::Window);
}

QColor darkNamed(NamedColor color) {
    return Palette::named(color, Palette::Appearance::dark);
}
