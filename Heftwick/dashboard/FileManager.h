#pragma once

#include <QByteArray>

// The user's file manager, reached over the session bus
// (org.freedesktop.FileManager1), else through xdg-open.
namespace FileManager {

// Shows the entry selected in its folder; where no file manager answers on
// the bus, opens the fallback folder instead. Paths are exact bytes.
void showItem(const QByteArray& path, const QByteArray& fallbackFolder);

// A file: URI for exact path bytes, every byte outside the unreserved set
// percent-encoded, so names that are not UTF-8 survive.
QByteArray fileUri(const QByteArray& path);

} // namespace FileManager
