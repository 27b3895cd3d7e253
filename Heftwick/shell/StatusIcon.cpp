#include "shell/StatusIcon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIconEngine>
#include <QPainter>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>

namespace {

QSize squareWithin(const QSize& size) {
    const int side = std::min(size.width(), size.height());
    return {side, side};
}

// Draws the wrapped icon square in any rectangle, rendered at the size it is
// shown at.
class SquareIconEngine : public QIconEngine {
public:
    explicit SquareIconEngine(QIcon icon) : m_icon(std::move(icon)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        QRect square(QPoint(), squareWithin(rect.size()));
        square.moveCenter(rect.center());
        const qreal ratio = painter->device()->devicePixelRatioF();
        painter->drawPixmap(square, m_icon.pixmap(square.size(), ratio, mode, state));
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        return squareWithin(size);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return m_icon.pixmap(squareWithin(size), mode, state);
    }
    QIconEngine* clone() const override { return new SquareIconEngine(m_icon); }
    QString key() const override { return QStringLiteral("SquareIconEngine"); }
    QString iconName() override { return m_icon.name(); }

private:
    QIcon m_icon;
};

QString canonical(const QString& path) {
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QDir::cleanPath(path) : resolved;
}

} // namespace

namespace StatusIcon {

QIcon icon() {
    QIcon themed = QIcon::fromTheme(name);
    if (!themed.pixmap(QSize(22, 22)).isNull())
        return themed;
    return QIcon(":/icons/" + name + ".svg");
}

QString themePathFor(const QString& applicationDir, const QStringList& standardIconDirs) {
    const QString icons = canonical(applicationDir + "/../share/icons");
    if (!QFileInfo::exists(icons + "/hicolor/symbolic/apps/" + name + ".svg"))
        return {};
    const bool searched = std::any_of(standardIconDirs.begin(), standardIconDirs.end(),
                                      [&](const QString& dir) { return canonical(dir) == icons; });
    return searched ? QString() : icons;
}

QString themePath() {
    QStringList iconDirs;
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        iconDirs << data + "/icons";
    return themePathFor(QCoreApplication::applicationDirPath(), iconDirs);
}

QIcon squareInSlot(const QIcon& icon) {
    return QIcon(new SquareIconEngine(icon));
}

} // namespace StatusIcon
