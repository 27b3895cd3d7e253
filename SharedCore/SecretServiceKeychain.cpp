#include "SecretServiceKeychain.h"

#include "FamilyIdentity.h"

#include <QStringDecoder>
#include <chrono>
#include <condition_variable>
#include <libsecret/secret.h>
#include <mutex>
#include <thread>

namespace {

// How long one keychain operation may take before it is cancelled.
constexpr std::chrono::milliseconds operationBudget{800};

// Items are matched on account and service alone (not on the schema name), so
// that items written by secret-tool or other applications are found too.
const SecretSchema* genericPasswordSchema() {
    static const QByteArray name = (FamilyIdentity::identifier + ".GenericPassword").toUtf8();
    static const SecretSchema schema = [] {
        SecretSchema s{};
        s.name = name.constData();
        s.flags = SECRET_SCHEMA_DONT_MATCH_NAME;
        s.attributes[0] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[1] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return s;
    }();
    return &schema;
}

// A cancellable that a watchdog thread cancels when the budget runs out, which
// aborts libsecret's blocking call at whatever stage it waits (connecting to
// the bus, activating the service, a reply that never comes, a prompt).
class Deadline {
public:
    explicit Deadline(std::chrono::milliseconds budget)
        : m_watchdog([this, budget] {
              std::unique_lock lock(m_mutex);
              if (!m_finished.wait_for(lock, budget, [this] { return m_done; }))
                  g_cancellable_cancel(m_cancellable);
          }) {}

    ~Deadline() {
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_finished.notify_one();
        m_watchdog.join();
        g_object_unref(m_cancellable);
    }

    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

    GCancellable* cancellable() const { return m_cancellable; }

private:
    GCancellable* m_cancellable = g_cancellable_new();
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    std::thread m_watchdog; // last: starts once everything above exists
};

// The item's attributes as UTF-8.
struct Attributes {
    QByteArray account;
    QByteArray service;
};

// Absent when the text is not valid UTF-16.
std::optional<QByteArray> utf8(const QString& text) {
    if (!QStringView(text).isValidUtf16())
        return std::nullopt;
    return text.toUtf8();
}

std::optional<Attributes> attributes(const QString& account, const QString& service) {
    const std::optional<QByteArray> accountBytes = utf8(account);
    const std::optional<QByteArray> serviceBytes = utf8(service);
    if (!accountBytes || !serviceBytes)
        return std::nullopt;
    return Attributes{*accountBytes, *serviceBytes};
}

bool clear(const Attributes& item, GCancellable* cancellable) {
    GError* error = nullptr;
    const gboolean removed = secret_password_clear_sync(
        genericPasswordSchema(), cancellable, &error, "account", item.account.constData(),
        "service", item.service.constData(), nullptr);
    g_clear_error(&error);
    return removed;
}

bool store(const Attributes& item, const QByteArray& secret, const QString& label,
           GCancellable* cancellable) {
    SecretValue* value = secret_value_new(secret.constData(), secret.size(), "text/plain");
    GError* error = nullptr;
    const gboolean stored = secret_password_store_binary_sync(
        genericPasswordSchema(), SECRET_COLLECTION_DEFAULT, label.toUtf8().constData(), value,
        cancellable, &error, "account", item.account.constData(), "service",
        item.service.constData(), nullptr);
    g_clear_error(&error);
    secret_value_unref(value);
    return stored;
}

std::optional<QString> decodeUtf8(const char* bytes, gsize length) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes, qsizetype(length)));
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

namespace SecretServiceKeychain {

bool save(const QString& value, const QString& account, const QString& service) {
    const std::optional<Attributes> item = attributes(account, service);
    const std::optional<QByteArray> secret = utf8(value);
    if (!item || !secret)
        return false;
    const Deadline deadline(operationBudget);
    clear(*item, deadline.cancellable());
    return store(*item, *secret, service + QStringLiteral(": ") + account, deadline.cancellable());
}

std::optional<QString> read(const QString& account, const QString& service) {
    const std::optional<Attributes> item = attributes(account, service);
    if (!item)
        return std::nullopt;
    const Deadline deadline(operationBudget);
    GError* error = nullptr;
    SecretValue* value = secret_password_lookup_binary_sync(
        genericPasswordSchema(), deadline.cancellable(), &error, "account",
        item->account.constData(), "service", item->service.constData(), nullptr);
    g_clear_error(&error);
    if (!value)
        return std::nullopt;
    gsize length = 0;
    const gchar* bytes = secret_value_get(value, &length);
    std::optional<QString> text = decodeUtf8(bytes, length);
    secret_value_unref(value);
    return text;
}

bool remove(const QString& account, const QString& service) {
    const std::optional<Attributes> item = attributes(account, service);
    if (!item)
        return false;
    const Deadline deadline(operationBudget);
    return clear(*item, deadline.cancellable());
}

} // namespace SecretServiceKeychain
