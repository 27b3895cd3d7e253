#pragma once

#include "Platform/NamedColor.h"

#include <QString>
#include <string_view>

// The file-type categories of the load breakdown, in the order the
// classification tries them, with their colours.
namespace Classification {

inline constexpr int categoryCount = 8;
inline constexpr int foldersIndex = 0;
inline constexpr int otherIndex = categoryCount - 1;

QString name(int index);
NamedColor color(int index);
// The index of a category name, or otherIndex for a name outside the table.
int indexOfName(const QString& categoryName);

// The category of an entry given its extension already lower-cased to ASCII;
// a directory is a folder whatever its extension.
int indexForLowerExtension(std::string_view lowerExtension, bool isDir);

// The category of a Desktop entry from its raw name bytes: the extension is
// the text after the last dot, compared after lower-casing.
int indexForRawName(std::string_view rawName, bool isDir);

} // namespace Classification
