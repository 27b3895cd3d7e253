#pragma once

#include "RemedyOutcome.h"

namespace RemedyUndo {

// Puts back every entry a remedy moved, to its exact original path, where
// that path is still free and the entry where the remedy put it is still the
// one it moved; never replaces anything. A trashed entry's .trashinfo goes
// only once the entry is back. An archive folder the remedy created goes when
// it is empty afterwards.
UndoOutcome putBack(const RemedyOutcome& outcome);

} // namespace RemedyUndo
