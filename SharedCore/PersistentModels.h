#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

// How one stored property is kept in the store.
enum class ColumnType { text, optionalText, real, integer, boolean, timestamp };

struct ColumnSchema {
    const char* name;
    ColumnType type;
};

// A record type's table: its properties under their names, in schema order.
struct RecordSchema {
    const char* table;
    std::vector<ColumnSchema> columns;
};

// A record kept in an ActivityStore. Records are reference objects held by
// std::shared_ptr: two records are the same record exactly when they are the
// same object, whatever their contents, and a store gives one object per row.
// Their stored properties are public fields under the properties' own names;
// every change of one emits that property's signal and then changed().
class PersistentRecord : public QObject {
    Q_OBJECT

public:
    // The record's row in its store; absent until the record is first saved.
    std::optional<qint64> persistentId() const { return m_persistentId; }

Q_SIGNALS:
    void changed();

protected:
    PersistentRecord() = default;

private:
    friend class ActivityStore;
    virtual const RecordSchema& recordSchema() const = 0;
    // The stored properties in schema order, as the store reads and writes them.
    virtual QVariantList storedValues() const = 0;

    std::optional<qint64> m_persistentId;
};

// One stored property of a record, reached as a public field under the
// property's name. It reads as its value (QString text = item.content, or
// item.content() where an expression needs the value itself, as in a
// comparison); assigning a different value announces the change through the
// property's own signal and the record's changed(). It belongs to its record
// and is neither copied nor moved: copy its value instead.
template <class T, class Record> class StoredProperty {
public:
    using Signal = void (Record::*)();

    StoredProperty(Record* record, Signal signal, T value = T())
        : m_record(record), m_signal(signal), m_value(std::move(value)) {}
    StoredProperty(const StoredProperty&) = delete;

    StoredProperty& operator=(const StoredProperty&) = delete;
    StoredProperty& operator=(T value) {
        if (m_value == value)
            return *this;
        m_value = std::move(value);
        Q_EMIT(m_record->*m_signal)();
        Q_EMIT m_record->changed();
        return *this;
    }

    operator const T&() const { return m_value; }
    const T& operator()() const { return m_value; }

private:
    Record* m_record;
    Signal m_signal;
    T m_value;
};

// One entry of a clipboard history.
class ClipboardItem : public PersistentRecord {
    Q_OBJECT
    Q_PROPERTY(QString content READ content WRITE setContent NOTIFY contentChanged)
    Q_PROPERTY(QDateTime timestamp READ timestamp WRITE setTimestamp NOTIFY timestampChanged)
    Q_PROPERTY(
        std::optional<QString> appSource READ appSource WRITE setAppSource NOTIFY appSourceChanged)
    Q_PROPERTY(bool isPinned READ isPinned WRITE setIsPinned NOTIFY isPinnedChanged)

public:
    // Stamped with the current time, not pinned. appSource names the
    // application the content came from, when known.
    ClipboardItem(QString content, std::optional<QString> appSource);

    static const RecordSchema& schema();
    static std::shared_ptr<ClipboardItem> fromStoredValues(const QVariantList& values);

    StoredProperty<QString, ClipboardItem> content;
    StoredProperty<QDateTime, ClipboardItem> timestamp;
    StoredProperty<std::optional<QString>, ClipboardItem> appSource;
    StoredProperty<bool, ClipboardItem> isPinned{this, &ClipboardItem::isPinnedChanged};

Q_SIGNALS:
    void contentChanged();
    void timestampChanged();
    void appSourceChanged();
    void isPinnedChanged();

private:
    const RecordSchema& recordSchema() const override { return schema(); }
    QVariantList storedValues() const override;

    // Writers for the property system; code assigns the fields.
    void setContent(const QString& value) { content = value; }
    void setTimestamp(const QDateTime& value) { timestamp = value; }
    void setAppSource(const std::optional<QString>& value) { appSource = value; }
    void setIsPinned(bool value) { isPinned = value; }
};

// One day's input activity. The units of mouseDistance and activeTime are the
// application's choice.
class DailyActivity : public PersistentRecord {
    Q_OBJECT
    Q_PROPERTY(QDateTime date READ date WRITE setDate NOTIFY dateChanged)
    Q_PROPERTY(
        double mouseDistance READ mouseDistance WRITE setMouseDistance NOTIFY mouseDistanceChanged)
    Q_PROPERTY(qint64 keystrokes READ keystrokes WRITE setKeystrokes NOTIFY keystrokesChanged)
    Q_PROPERTY(double activeTime READ activeTime WRITE setActiveTime NOTIFY activeTimeChanged)

public:
    // The date is kept as given (not rounded to the start of the day); the
    // counters start at zero.
    explicit DailyActivity(QDateTime date = QDateTime::currentDateTimeUtc());

    static const RecordSchema& schema();
    static std::shared_ptr<DailyActivity> fromStoredValues(const QVariantList& values);

    StoredProperty<QDateTime, DailyActivity> date;
    StoredProperty<double, DailyActivity> mouseDistance{this, &DailyActivity::mouseDistanceChanged};
    StoredProperty<qint64, DailyActivity> keystrokes{this, &DailyActivity::keystrokesChanged};
    StoredProperty<double, DailyActivity> activeTime{this, &DailyActivity::activeTimeChanged};

Q_SIGNALS:
    void dateChanged();
    void mouseDistanceChanged();
    void keystrokesChanged();
    void activeTimeChanged();

private:
    const RecordSchema& recordSchema() const override { return schema(); }
    QVariantList storedValues() const override;

    // Writers for the property system; code assigns the fields.
    void setDate(const QDateTime& value) { date = value; }
    void setMouseDistance(double value) { mouseDistance = value; }
    void setKeystrokes(qint64 value) { keystrokes = value; }
    void setActiveTime(double value) { activeTime = value; }
};

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
        for (const auto& row : storedRows(Record::schema()))
            records.push_back(
                std::static_pointer_cast<Record>(registered(Record::schema(), row.first, [&row] {
                    return Record::fromStoredValues(row.second);
                })));
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
