#pragma once

#include "DesktopNotifier.h"
#include "RemedyReport.h"

#include <functional>

class LoadEngine;

// Tells the user what a remedy did, as a desktop notification that offers
// "Undo" (and, after archiving, a way to open the archive folder) for as long
// as the server shows it. Undo puts the entries back once, and its outcome
// replaces the remedy's notification.
namespace RemedyNotice {

// Shows the words and actions where no notification server shows them (the
// line in the view the user acted from).
using Fallback =
    std::function<void(const RemedyReport& report, const QList<DesktopNotifier::Action>& actions)>;

void announce(LoadEngine& engine, const RemedyOutcome& outcome, Fallback fallback);

} // namespace RemedyNotice
