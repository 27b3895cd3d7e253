#include "PersistentModels.h"
#include "ReferenceDate.h"

#include <algorithm>
#include <map>
#include <sqlite3.h>

namespace {

// How long to wait for another connection that holds the file's lock.
constexpr int busyTimeoutMs = 1000;

struct DeclaredType {
    QByteArray type;
    bool notNull;
};

// Dates are REAL seconds since 2001-01-01 UTC, booleans INTEGER 0 or 1.
DeclaredType declaredType(ColumnType type) {
    switch (type) {
    case ColumnType::text:
        return {"TEXT", true};
    case ColumnType::optionalText:
        return {"TEXT", false};
    case ColumnType::integer:
    case ColumnType::boolean:
        return {"INTEGER", true};
    case ColumnType::real:
    case ColumnType::timestamp:
        break;
    }
    return {"REAL", true};
}

QByteArray quoted(const char* name) {
    return '"' + QByteArray(name) + '"';
}

QByteArray columnList(const RecordSchema& schema, const QByteArray& suffix = {}) {
    QByteArrayList names;
    for (const ColumnSchema& column : schema.columns)
        names << quoted(column.name) + suffix;
    return names.join(", ");
}

class Statement {
public:
    Statement(sqlite3* database, const QByteArray& sql) {
        sqlite3_prepare_v2(database, sql.constData(), int(sql.size()), &m_statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_statement; }
    // Makes a statement that has run ready to run again with new bindings.
    void reset() const { sqlite3_reset(m_statement); }
    bool nextRow() const { return m_statement && sqlite3_step(m_statement) == SQLITE_ROW; }
    bool run() const { return m_statement && sqlite3_step(m_statement) == SQLITE_DONE; }

private:
    sqlite3_stmt* m_statement = nullptr;
};

QByteArray insertSql(const RecordSchema& schema) {
    const QByteArrayList placeholders(qsizetype(schema.columns.size()), "?");
    return "INSERT INTO " + quoted(schema.table) + " (" + columnList(schema) + ") VALUES (" +
           placeholders.join(", ") + ")";
}

QByteArray updateSql(const RecordSchema& schema) {
    return "UPDATE " + quoted(schema.table) + " SET " + columnList(schema, " = ?") +
           " WHERE rowid = ?";
}

// The statements of one save, prepared once per table and reused for every
// record of that table.
class StatementCache {
public:
    StatementCache(sqlite3* database, QByteArray (*sql)(const RecordSchema&))
        : m_database(database), m_sql(sql) {}

    const Statement& forSchema(const RecordSchema& schema) {
        auto it = m_statements.find(schema.table);
        if (it == m_statements.end())
            it = m_statements.try_emplace(schema.table, m_database, m_sql(schema)).first;
        it->second.reset();
        return it->second;
    }

private:
    sqlite3* m_database;
    QByteArray (*m_sql)(const RecordSchema&);
    std::map<const char*, Statement> m_statements;
};

bool execute(sqlite3* database, const char* sql) {
    return sqlite3_exec(database, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void bind(sqlite3_stmt* statement, int index, ColumnType type, const QVariant& value) {
    if (value.isNull()) {
        sqlite3_bind_null(statement, index);
        return;
    }
    switch (type) {
    case ColumnType::text:
    case ColumnType::optionalText: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return;
    }
    case ColumnType::real:
        sqlite3_bind_double(statement, index, value.toDouble());
        return;
    case ColumnType::integer:
        sqlite3_bind_int64(statement, index, value.toLongLong());
        return;
    case ColumnType::boolean:
        sqlite3_bind_int(statement, index, value.toBool() ? 1 : 0);
        return;
    case ColumnType::timestamp:
        sqlite3_bind_double(statement, index, secondsSinceReferenceDate(value.toDateTime()));
        return;
    }
}

void bindRecord(sqlite3_stmt* statement, const RecordSchema& schema, const QVariantList& values) {
    for (int i = 0; i < int(schema.columns.size()); ++i)
        bind(statement, i + 1, schema.columns[size_t(i)].type, values.at(i));
}

QVariant column(sqlite3_stmt* statement, int index, ColumnType type) {
    if (sqlite3_column_type(statement, index) == SQLITE_NULL)
        return {};
    switch (type) {
    case ColumnType::text:
    case ColumnType::optionalText:
        return QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement, index)),
            sqlite3_column_bytes(statement, index));
    case ColumnType::real:
        return sqlite3_column_double(statement, index);
    case ColumnType::integer:
        return qint64(sqlite3_column_int64(statement, index));
    case ColumnType::boolean:
        return sqlite3_column_int(statement, index) != 0;
    case ColumnType::timestamp:
        break;
    }
    return dateFromReferenceSeconds(sqlite3_column_double(statement, index)).value_or(QDateTime());
}

} // namespace

std::unique_ptr<ActivityStore> ActivityStore::open(const QByteArray& path) {
    // A NUL would cut the name short, and an empty name opens a throwaway database.
    if (path.isEmpty() || path.contains('\0'))
        return nullptr;
    sqlite3* database = nullptr;
    if (sqlite3_open_v2(path.constData(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(database);
        return nullptr;
    }
    sqlite3_busy_timeout(database, busyTimeoutMs);
    std::unique_ptr<ActivityStore> store(new ActivityStore(database));
    if (!store->createTable(ClipboardItem::schema()) ||
        !store->createTable(DailyActivity::schema()))
        return nullptr;
    return store;
}

ActivityStore::ActivityStore(sqlite3* database) : m_database(database) {}

ActivityStore::~ActivityStore() {
    sqlite3_close(m_database);
}

// Creates the table if it is missing, and accepts an existing one only when its
// columns are exactly the record's.
bool ActivityStore::createTable(const RecordSchema& schema) {
    QByteArrayList definitions;
    for (const ColumnSchema& column : schema.columns) {
        const DeclaredType declared = declaredType(column.type);
        definitions << quoted(column.name) + ' ' + declared.type +
                           (declared.notNull ? " NOT NULL" : "");
    }
    const QByteArray create = "CREATE TABLE IF NOT EXISTS " + quoted(schema.table) + " (" +
                              definitions.join(", ") + ") STRICT";
    if (!execute(m_database, create.constData()))
        return false;

    const Statement info(m_database, "PRAGMA table_info(" + quoted(schema.table) + ")");
    size_t index = 0;
    for (; info.nextRow(); ++index) {
        if (index >= schema.columns.size())
            return false;
        const DeclaredType expected = declaredType(schema.columns[index].type);
        const auto text = [&](int i) {
            return QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), i)));
        };
        if (text(1) != schema.columns[index].name || text(2) != expected.type ||
            (sqlite3_column_int(info.get(), 3) != 0) != expected.notNull)
            return false;
    }
    return index == schema.columns.size();
}

void ActivityStore::insert(const std::shared_ptr<PersistentRecord>& record) {
    if (!record || record->persistentId() ||
        std::find(m_pending.begin(), m_pending.end(), record) != m_pending.end())
        return;
    m_pending.push_back(record);
    watch(record);
}

bool ActivityStore::save() {
    if (!execute(m_database, "BEGIN IMMEDIATE"))
        return false;
    std::vector<std::pair<std::shared_ptr<PersistentRecord>, qint64>> inserted;
    if (!write(inserted) || !execute(m_database, "COMMIT")) {
        execute(m_database, "ROLLBACK");
        return false;
    }
    for (const auto& [record, id] : inserted) {
        record->m_persistentId = id;
        m_identities[{record->recordSchema().table, id}] = record;
    }
    m_pending.clear();
    m_changed.clear();
    return true;
}

// Inserts the pending records and updates the changed ones; the new rows' ids
// are collected, to be given to the records once the transaction commits.
bool ActivityStore::write(
    std::vector<std::pair<std::shared_ptr<PersistentRecord>, qint64>>& inserted) {
    StatementCache inserts(m_database, insertSql);
    for (const auto& record : m_pending) {
        const RecordSchema& schema = record->recordSchema();
        const Statement& statement = inserts.forSchema(schema);
        if (statement.get())
            bindRecord(statement.get(), schema, record->storedValues());
        if (!statement.run())
            return false;
        inserted.emplace_back(record, sqlite3_last_insert_rowid(m_database));
    }
    StatementCache updates(m_database, updateSql);
    for (const auto& record : m_changed) {
        if (!record->persistentId())
            continue; // written by its insert
        const RecordSchema& schema = record->recordSchema();
        const Statement& statement = updates.forSchema(schema);
        if (statement.get()) {
            bindRecord(statement.get(), schema, record->storedValues());
            sqlite3_bind_int64(statement.get(), int(schema.columns.size()) + 1,
                               *record->persistentId());
        }
        if (!statement.run())
            return false;
    }
    return true;
}

std::vector<ActivityStore::Row> ActivityStore::storedRows(const RecordSchema& schema) {
    std::vector<Row> rows;
    const Statement select(m_database, "SELECT rowid, " + columnList(schema) + " FROM " +
                                           quoted(schema.table) + " ORDER BY rowid");
    while (select.nextRow()) {
        QVariantList values;
        for (int i = 0; i < int(schema.columns.size()); ++i)
            values << column(select.get(), i + 1, schema.columns[size_t(i)].type);
        rows.emplace_back(sqlite3_column_int64(select.get(), 0), values);
    }
    return rows;
}

std::shared_ptr<PersistentRecord> ActivityStore::registered(const RecordSchema& schema, qint64 id,
                                                            const Factory& make) {
    std::weak_ptr<PersistentRecord>& known = m_identities[{schema.table, id}];
    if (std::shared_ptr<PersistentRecord> record = known.lock())
        return record;
    std::shared_ptr<PersistentRecord> record = make();
    record->m_persistentId = id;
    known = record;
    watch(record);
    return record;
}

void ActivityStore::watch(const std::shared_ptr<PersistentRecord>& record) {
    QObject::connect(record.get(), &PersistentRecord::changed, &m_connections,
                     [this, weak = std::weak_ptr(record)] {
                         if (std::shared_ptr<PersistentRecord> changed = weak.lock())
                             m_changed.insert(changed);
                     });
}
