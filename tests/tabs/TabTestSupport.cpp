#include "TabTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QPixmap>
#include <gtest/gtest.h>
#include <sys/stat.h>

FakeDesktop::FakeDesktop()
    : m_engine(std::make_unique<FakeEngine>(QFile::encodeName(m_dir.path()))) {}

RealDesktop::RealDesktop() : m_path(m_home.homeBytes() + "/Desktop") {
    ::mkdir(m_path.constData(), 0755);
    m_engine = std::make_unique<LoadEngine>(m_path);
}

void RealDesktop::addFile(const QByteArray& name, qint64 size, int daysOld) {
    makeSparseFile(*this / name, size);
    setModified(*this / name, QDateTime::currentSecsSinceEpoch() - qint64(daysOld) * 86'400);
}

void RealDesktop::scanAndWait() {
    bool published = false;
    const auto connection =
        QObject::connect(m_engine.get(), &LoadEngine::stateChanged, [&] { published = true; });
    m_engine->scan();
    ASSERT_TRUE(waitUntil([&] { return published; }));
    QObject::disconnect(connection);
}

bool RealDesktop::onDesktop(const QByteArray& name) const {
    struct stat st {};
    return ::lstat((*this / name).constData(), &st) == 0;
}

bool RealDesktop::inTrash(const QByteArray& name) const {
    struct stat st {};
    const QByteArray path = m_home.homeBytes() + "/.local/share/Trash/files/" + name;
    return ::lstat(path.constData(), &st) == 0;
}

qint64 totalFor(LoadEngine::LoadStatus status) {
    constexpr qint64 gib = 1024LL * 1024 * 1024;
    switch (status) {
    case LoadEngine::LoadStatus::light:
        return gib / 2;
    case LoadEngine::LoadStatus::moderate:
        return 2 * gib;
    case LoadEngine::LoadStatus::heavy:
        return 5 * gib;
    case LoadEngine::LoadStatus::critical:
        return 9 * gib;
    }
    return 0;
}

QList<LoadEngine::LoadStatus> allStatuses() {
    return {LoadEngine::LoadStatus::light, LoadEngine::LoadStatus::moderate,
            LoadEngine::LoadStatus::heavy, LoadEngine::LoadStatus::critical};
}

QString statusSlug(LoadEngine::LoadStatus status) {
    return status.rawValue().toLower();
}

LoadEngine::Snapshot fullSnapshot(qint64 totalBytes) {
    LoadEngine::Snapshot s;
    s.totalBytes = totalBytes;
    s.fileCount = 42;
    s.loadPercent = LoadEngine::loadFraction(totalBytes);
    s.status = LoadEngine::statusFor(s.loadPercent);
    const QDateTime now = QDateTime::currentDateTime();
    // Eight items, heaviest first, summing to roughly the total.
    const QList<std::pair<QString, bool>> entries{
        {"Projects", true},
        {"Holiday video from the summer trip to the coast with the whole family, final cut.mov",
         false},
        {"installer.dmg", false},
        {"Screenshots", true},
        {"photos.zip", false},
        {"report.pdf", false},
        {"notes.txt", false},
        {"empty.txt", false}};
    qint64 share = totalBytes / 3;
    for (const auto& [name, isDir] : entries) {
        const QByteArray url = "/tmp/Desktop/" + name.toUtf8();
        const qint64 size = name == "report.pdf" ? 1'500'000 : name == "empty.txt" ? 0 : share;
        s.topItems.append(LoadEngine::FileItem(url, name, size, isDir, now));
        share /= 2;
    }
    const QList<std::pair<QString, double>> categories{{"Folders", 0.45},
                                                       {"Videos", 0.3},
                                                       {"Archives", 0.15},
                                                       {"Documents", 0.07},
                                                       {"Other", 0.03}};
    for (const auto& [name, part] : categories)
        s.categoryBreakdown.append(LoadEngine::Category(name, qint64(double(totalBytes) * part),
                                                        LoadEngine::catColor(name)));
    return s;
}

MinimumWindow::MinimumWindow(QWidget* page) : m_page(page) {
    auto* row = new QHBoxLayout(&m_window);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* sidebar = new QWidget;
    sidebar->setFixedWidth(220);
    row->addWidget(sidebar);
    row->addWidget(page, 1);
    m_window.resize(700, 500);
    m_window.show();
    settleLayouts();
}

MinimumWindow::~MinimumWindow() {
    if (m_page)
        m_page->setParent(nullptr);
}

ScopedPalette::ScopedPalette(const QPalette& palette) : m_saved(QApplication::palette()) {
    QApplication::setPalette(palette);
}

ScopedPalette::~ScopedPalette() {
    QApplication::setPalette(m_saved);
}

void settleLayouts() {
    for (int round = 0; round < 8; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
}

namespace {

QList<QLabel*> visibleLabels(const QWidget* root) {
    QList<QLabel*> result;
    for (QLabel* label : root->findChildren<QLabel*>())
        if (label->isVisibleTo(root) && !label->text().isEmpty())
            result.append(label);
    return result;
}

} // namespace

QStringList visibleTexts(const QWidget* root) {
    QStringList texts;
    for (const QLabel* label : visibleLabels(root))
        texts.append(label->text());
    return texts;
}

QLabel* visibleLabel(const QWidget* root, const QString& text) {
    for (QLabel* label : visibleLabels(root))
        if (label->text() == text)
            return label;
    return nullptr;
}

void expectLabelsShowWholeText(const QWidget* root) {
    for (const QLabel* label : visibleLabels(root)) {
        const QString text = label->text().left(40);
        const QRect inRoot(label->mapTo(root, QPoint(0, 0)), label->size());
        EXPECT_GE(inRoot.left(), 0) << text.toStdString();
        EXPECT_LE(inRoot.right(), root->width()) << text.toStdString();
        if (label->wordWrap()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << text.toStdString();
        } else {
            EXPECT_GE(label->width(), label->sizeHint().width()) << text.toStdString();
        }
    }
}

void saveScreenshots(QWidget* widget, const QString& name) {
    settleLayouts();
    EXPECT_TRUE(widget->grab().save(screenshotPath(name + ".png")));
    QPixmap hiDpi(widget->size() * 2);
    hiDpi.setDevicePixelRatio(2);
    hiDpi.fill(Qt::transparent);
    widget->render(&hiDpi);
    EXPECT_TRUE(hiDpi.save(screenshotPath(name + "@2x.png")));
}
