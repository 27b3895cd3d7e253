#pragma once

#include <QWidget>
#include <optional>

class ToggleSwitch;

// A settings line: the symbol on a faint accent tile, the title with an
// optional subtitle below it, and a small switch at the trailing edge bound to
// isOn. The switch takes keyboard focus and is announced by the title.
class SettingsRow : public QWidget {
    Q_OBJECT

public:
    SettingsRow(const QString& icon, const QString& title, std::optional<QString> subtitle,
                bool isOn, QWidget* parent = nullptr);

    bool isOn() const;
    void setOn(bool on);

signals:
    void isOnChanged(bool on);

private:
    ToggleSwitch* m_switch;
};
