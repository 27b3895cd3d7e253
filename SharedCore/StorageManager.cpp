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

} // namespace

StorageManager& StorageManager::shared() {
    static StorageManager instance;
    return instance;
}

void StorageManager::set(const QVariant& value, const QString& key) const {
    standardStore().setValue(key, value);
}

std::optional<QVariant> StorageManager::get(const QString& key) const {
    const QSettings store = standardStore();
    if (!store.contains(key))
        return std::nullopt;
    return store.value(key);
}

void StorageManager::remove(const QString& key) const {
    standardStore().remove(key);
}

void StorageManager::setData(const QByteArray& bytes, const QString& key) const {
    standardStore().setValue(key, bytes);
}

std::optional<QByteArray> StorageManager::data(const QString& key) const {
    const QVariant value = standardStore().value(key);
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
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
