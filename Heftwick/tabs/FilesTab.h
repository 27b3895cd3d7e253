#pragma once

#include "engine/LoadEngine.h"

#include <QWidget>

class QListWidget;
class QStackedWidget;

// The heaviest entries on the Desktop as the engine last published them, or an
// empty state when there are none. Read-only: nothing here acts on the files.
class FilesTab : public QWidget {
    Q_OBJECT

public:
    explicit FilesTab(LoadEngine& engine, QWidget* parent = nullptr);

    // What each list row carries besides its name (the display text) and its
    // spoken form "name, kind, size" (the accessible text).
    enum ItemRole { kindRole = Qt::UserRole, sizeTextRole, symbolRole };

private:
    void showItems();
    QWidget* buildListPage();
    QWidget* buildEmptyState();

    LoadEngine& m_engine;
    QStackedWidget* m_pages;
    QListWidget* m_list;
    QWidget* m_listPage;
    QWidget* m_emptyState;
};
