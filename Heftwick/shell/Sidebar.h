#pragma once

#include <QList>
#include <QListWidget>
#include <QString>

// The main window's sidebar: the three destinations under their section
// headers, one of them selected at all times. Arrow keys move the selection
// from row to row; the section headers are skipped.
class Sidebar : public QListWidget {
    Q_OBJECT

public:
    struct Destination {
        QString section;
        QString title;
        QString icon; // symbol name
    };
    // The destinations in display order; a row's index is its tab index.
    static const QList<Destination>& destinations();

    explicit Sidebar(QWidget* parent = nullptr);

    int selectedTab() const { return m_selectedTab; }
    // Highlights the row of the given tab; an unknown index selects the first row.
    void setSelectedTab(int index);

signals:
    void selectedTabChanged(int index);

protected:
    void changeEvent(QEvent* event) override;

private:
    void addRows();
    void addHeader(const QString& section);
    void tintRows();
    void followSelection();
    QListWidgetItem* rowItem(int index) const;

    QList<QListWidgetItem*> m_headers;
    QList<QListWidgetItem*> m_rows;
    int m_selectedTab = 0;
};
