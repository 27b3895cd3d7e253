#pragma once

#include "engine/LoadEngine.h"

// An engine whose published state the test sets directly; it scans only when asked.
struct FakeEngine : LoadEngine {
    using LoadEngine::LoadEngine;
    using LoadEngine::publish;
};
