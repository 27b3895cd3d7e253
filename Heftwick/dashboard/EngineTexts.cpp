#include "EngineTexts.h"

#include <QCoreApplication>

namespace {

// The names the engine gives, for the translation template.
[[maybe_unused]] constexpr const char* statusNames[] = {
    QT_TRANSLATE_NOOP("LoadStatus", "Light"),
    QT_TRANSLATE_NOOP("LoadStatus", "Moderate"),
    QT_TRANSLATE_NOOP("LoadStatus", "Heavy"),
    QT_TRANSLATE_NOOP("LoadStatus", "Critical"),
};
[[maybe_unused]] constexpr const char* categoryNames[] = {
    QT_TRANSLATE_NOOP("Category", "Folders"),  QT_TRANSLATE_NOOP("Category", "Images"),
    QT_TRANSLATE_NOOP("Category", "Videos"),   QT_TRANSLATE_NOOP("Category", "Documents"),
    QT_TRANSLATE_NOOP("Category", "Archives"), QT_TRANSLATE_NOOP("Category", "Audio"),
    QT_TRANSLATE_NOOP("Category", "Apps"),     QT_TRANSLATE_NOOP("Category", "Other"),
};

} // namespace

QString EngineTexts::statusName(LoadEngine::LoadStatus status) {
    return QCoreApplication::translate("LoadStatus", status.rawValue().toUtf8().constData());
}

QString EngineTexts::categoryName(const QString& name) {
    return QCoreApplication::translate("Category", name.toUtf8().constData());
}
