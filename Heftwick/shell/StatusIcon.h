#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

// The tray icon: the symbolic gauge that panels recolour to their own
// foreground, drawn as a light gauge in a dark outline where they do not.
namespace StatusIcon {

// The symbolic icon's name in the hicolor icon theme.
inline const QString name = QStringLiteral("io.pilewatch.Pilewatch-symbolic");

// The installed icon by name where the icon theme has it and it renders (the
// theme may hold it while Qt's SVG support is missing); else the same drawing
// built into the executable, without a name.
QIcon icon();

// The icons folder of an installation outside the folders desktops search
// (an application dir of <prefix>/bin with icons in <prefix>/share/icons),
// or "" when the icon is not installed there or the desktop finds it anyway
// among the standard icon folders given.
QString themePathFor(const QString& applicationDir, const QStringList& standardIconDirs);
// themePathFor() for this process and this session's data folders.
QString themePath();

// The icon as an XEmbed tray slot shows it: square, as large as the slot's
// shorter side and centred in it, drawn afresh at that size (and the screen's
// pixel ratio) instead of stretched to the slot's shape.
QIcon squareInSlot(const QIcon& icon);

} // namespace StatusIcon
