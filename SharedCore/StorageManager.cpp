#include "StorageManager.h"

#include "SecretServiceKeychain.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace {

// Where QSettings' native format keeps the organisation's files. Read from the
// environment on every call, so a changed $XDG_CONFIG_HOME takes effect.
QString organisationFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           FamilyIdentity::organisation;
}

// The process's own store, named like QSettings(organisation, application).
QSettings standardStore() {
    const QString application = QCoreApplication::applicationName();
    const QString file = application.isEmpty()
                             ? organisationFolder() + QStringLiteral(".conf")
                             : organisationFolder() + u'/' + application + QStringLiteral(".conf");
    return QSettings(file, QSettings::NativeFormat);
}

// The store's keys are flat names. QSettings reads a slash as a path into
// nested groups (so removing "recent" would take "recent/1" with it, and
// "recent/" would be "recent"), so '%' and '/' are escaped on the way in.
QString flatKey(const QString& key) {
    QString escaped = key;
    return escaped.replace(u'%', QStringLiteral("%25")).replace(u'/', QStringLiteral("%2F"));
}

} // namespace

StorageManager& StorageManager::shared() {
    static StorageManager instance;
    return instance;
}

// The empty key names nothing: it stores nothing, reads absent and removes
// nothing (to QSettings it would mean the whole store).
void StorageManager::set(const QVariant& value, const QString& key) const {
    if (!key.isEmpty())
        standardStore().setValue(flatKey(key), value);
}

std::optional<QVariant> StorageManager::get(const QString& key) const {
    if (key.isEmpty())
        return std::nullopt;
    const QSettings store = standardStore();
    const QString flat = flatKey(key);
    if (!store.contains(flat))
        return std::nullopt;
    return store.value(flat);
}

void StorageManager::remove(const QString& key) const {
    if (!key.isEmpty())
        standardStore().remove(flatKey(key));
}

std::optional<QByteArray> StorageManager::data(const QString& key) const {
    const std::optional<QVariant> value = get(key);
    if (!value || value->typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value->toByteArray();
}

bool StorageManager::saveToKeychain(const QString& value, const QString& account,
                                    const QString& service) const {
    return SecretServiceKeychain::save(value, account, service);
}

std::optional<QString> StorageManager::readFromKeychain(const QString& account,
                                                        const QString& service) const {
    return SecretServiceKeychain::read(account, service);
}

bool StorageManager::deleteFromKeychain(const QString& account, const QString& service) const {
    return SecretServiceKeychain::remove(account, service);
}

std::unique_ptr<QSettings> StorageManager::sharedDefaults() const {
    auto suite = std::make_unique<QSettings>(
        organisationFolder() + u'/' + FamilyIdentity::sharedSuite + QStringLiteral(".conf"),
        QSettings::NativeFormat);
    if (suite->status() != QSettings::NoError || !suite->isWritable())
        return nullptr;
    return suite;
}
