#pragma once

#include <QStringList>
#include <QWidget>
#include <concepts>

// A keyboard shortcut shown as key caps in a row, with a "+" between
// neighbouring keys (none before the first or after the last).
class ShortcutBadge : public QWidget {
    Q_OBJECT

public:
    explicit ShortcutBadge(const QStringList& keys, QWidget* parent = nullptr);
    // Any number of keys as separate arguments: ShortcutBadge("Ctrl", "Shift", "K").
    template <std::convertible_to<QString>... Keys>
    explicit ShortcutBadge(const Keys&... keys) : ShortcutBadge(QStringList{QString(keys)...}) {}
};
