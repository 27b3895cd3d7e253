#pragma once

#include "SharedCore/AppPreferences.h"

#include <QWidget>

class QVBoxLayout;

// The family's common settings: "General" (launch at login, menu bar icon)
// and "Appearance" (theme, reduce motion, reduce transparency), bound to the
// shared AppPreferences record.
//
// The record is loaded once, when the form is created; every change writes the
// whole record at once, keeping the fields the form does not show (the
// keyboard shortcuts). A stored record that cannot be decoded shows the
// defaults and stays as it is until the user changes something; that change
// then stores a complete, valid record. Changes other code stores while the
// form is shown are not noticed.
class SharedAppSettingsFormView : public QWidget {
    Q_OBJECT

public:
    explicit SharedAppSettingsFormView(QWidget* parent = nullptr);

    const AppPreferences& preferences() const;

signals:
    // After the changed record was stored.
    void preferencesChanged(const AppPreferences& preferences);

private:
    template <class Field> void write(Field AppPreferences::*field, Field value);
    void addSwitch(QVBoxLayout* form, const QString& title, bool AppPreferences::*field);
    void addThemePicker(QVBoxLayout* form);

    AppPreferences m_prefs;
};
