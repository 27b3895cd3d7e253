#pragma once

#include "engine/LoadEngine.h"

#include <QString>

// The engine's names as the user reads them, in the user's language.
namespace EngineTexts {

// "Light", "Moderate", "Heavy" or "Critical".
QString statusName(LoadEngine::LoadStatus status);
// A breakdown category's name ("Images", "Folders", …).
QString categoryName(const QString& name);

} // namespace EngineTexts
