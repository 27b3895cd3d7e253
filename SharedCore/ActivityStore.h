#pragma once

#include "PersistentModels.h"

#include <QByteArray>
#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

struct sqlite3;

// A SQLite file holding the family's persistent records, one table per record
// type (ClipboardItem, DailyActivity) whose columns are the record's stored
// properties in schema order. Like an object context: inserted records and
// changed records are written by save(), in one transaction; fetching a row
// that is already in memory gives the same object back.
class ActivityStore {
public:
    // Opens or creates the store at the caller's path (the file name's exact
    // bytes). Absent when the file cannot be opened as SQLite, or holds a table
    // of the same name with other columns (it is left untouched).
    static std::unique_ptr<ActivityStore> open(const QByteArray& path);
    ~ActivityStore();

    ActivityStore(const ActivityStore&) = delete;
    ActivityStore& operator=(const ActivityStore&) = delete;

    // Takes the record into the store; it is written on the next save().
    void insert(const std::shared_ptr<PersistentRecord>& record);

    // Writes every inserted and every changed record. On failure nothing is
    // written, and the records stay pending for the next save().
    bool save();

    // All stored records of a type in the order they were first saved,
    // followed by those inserted and not yet saved.
    template <class Record> std::vector<std::shared_ptr<Record>> fetch() {
        std::vector<std::shared_ptr<Record>> records;
        for (const auto& [id, values] : storedRows(Record::schema()))
            records.push_back(std::static_pointer_cast<Record>(registered(
                Record::schema(), id, [&] { return Record::fromStoredValues(values); })));
        for (const auto& record : m_pending)
            if (auto typed = std::dynamic_pointer_cast<Record>(record))
                records.push_back(typed);
        return records;
    }

private:
    using Row = std::pair<qint64, QVariantList>;
    using Factory = std::function<std::shared_ptr<PersistentRecord>()>;

    explicit ActivityStore(sqlite3* database);

    bool createTable(const RecordSchema& schema);
    std::vector<Row> storedRows(const RecordSchema& schema);
    std::shared_ptr<PersistentRecord> registered(const RecordSchema& schema, qint64 id,
                                                 const Factory& make);
    void watch(const std::shared_ptr<PersistentRecord>& record);
    bool write(std::vector<std::pair<std::shared_ptr<PersistentRecord>, qint64>>& inserted);

    sqlite3* m_database;
    QObject m_connections; // context of the change connections, dropped with the store
    std::map<std::pair<const char*, qint64>, std::weak_ptr<PersistentRecord>> m_identities;
    std::vector<std::shared_ptr<PersistentRecord>> m_pending;
    std::set<std::shared_ptr<PersistentRecord>> m_changed;
};
