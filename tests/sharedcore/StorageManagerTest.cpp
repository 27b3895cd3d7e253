#include "SharedCore/StorageManager.h"

#include "SharedCore/UsageStats.h"
#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

StorageManager& storage() {
    return StorageManager::shared();
}

QString organisationFolder(const ScopedHome& home) {
    return home.configHome() + "/Pilewatch";
}

} // namespace

TEST(StorageManager, KeepsPlainValuesInTheApplicationsNativeSettingsFile) {
    ScopedHome home;
    const QVariantMap window{{"width", "640"}, {"title", "Heftwick"}};
    storage().set(QVariant("plain text"), "name");
    storage().set(QVariant(QByteArray("\x00\xff\x10", 3)), "blob");
    storage().set(QVariant(QStringList{"a", "b c"}), "list");
    storage().set(QVariant(window), "window");

    EXPECT_EQ(storage().get("name"), QVariant("plain text"));
    EXPECT_EQ(storage().get("blob"), QVariant(QByteArray("\x00\xff\x10", 3)));
    EXPECT_EQ(storage().get("list"), QVariant(QStringList{"a", "b c"}));
    EXPECT_EQ(storage().get("window"), QVariant(window));

    const QString file =
        organisationFolder(home) + '/' + QCoreApplication::applicationName() + ".conf";
    ASSERT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("name"), "plain text");
}

TEST(StorageManager, RemoveAndAbsentKeys) {
    ScopedHome home;
    EXPECT_EQ(storage().get("missing"), std::nullopt);
    storage().set(QVariant("x"), "gone");
    storage().remove("gone");
    EXPECT_EQ(storage().get("gone"), std::nullopt);
    storage().remove("never-there");
}

// Keys are flat names, as in any key-value store: a slash is part of the name,
// not a path into nested groups, and the empty key names nothing.
TEST(StorageManager, KeysAreFlatNames) {
    ScopedHome home;
    storage().set(QVariant("window"), "recent");
    storage().set(QVariant("first"), "recent/1");
    storage().set(QVariant("trailing"), "recent/");
    storage().set(QVariant("escaped"), "recent%2F1");
    storage().set(QVariant("kept"), "other");
    EXPECT_EQ(storage().get("recent"), QVariant("window"));
    EXPECT_EQ(storage().get("recent/1"), QVariant("first"));
    EXPECT_EQ(storage().get("recent/"), QVariant("trailing"));
    EXPECT_EQ(storage().get("recent%2F1"), QVariant("escaped"));
    EXPECT_EQ(storage().get("/recent"), std::nullopt);

    storage().remove("recent");
    EXPECT_EQ(storage().get("recent"), std::nullopt);
    EXPECT_EQ(storage().get("recent/1"), QVariant("first"));

    storage().set(QVariant("nowhere"), "");
    storage().set(UsageStats(), "");
    EXPECT_EQ(storage().get(""), std::nullopt);
    EXPECT_EQ(storage().get<UsageStats>(""), std::nullopt);
    storage().remove("");
    EXPECT_EQ(storage().get("other"), QVariant("kept"));
    EXPECT_EQ(storage().get("recent/"), QVariant("trailing"));
}

// Every operation reads the environment afresh: a new home has its own store.
TEST(StorageManager, FollowsTheConfigurationFolderOfTheMoment) {
    ScopedHome first;
    storage().set(QVariant("first"), "where");
    {
        ScopedHome second;
        EXPECT_EQ(storage().get("where"), std::nullopt);
        storage().set(QVariant("second"), "where");
        EXPECT_EQ(storage().get("where"), QVariant("second"));
    }
    EXPECT_EQ(storage().get("where"), QVariant("first"));
}

TEST(StorageManager, SharedDefaultsOpensTheFamilySuiteAnewEachTime) {
    ScopedHome home;
    const std::unique_ptr<QSettings> writer = storage().sharedDefaults();
    ASSERT_TRUE(writer);
    EXPECT_EQ(writer->fileName(), organisationFolder(home) + "/group.io.pilewatch.family.conf");
    writer->setValue("shared", 7);
    writer->sync();

    const std::unique_ptr<QSettings> reader = storage().sharedDefaults();
    ASSERT_TRUE(reader);
    EXPECT_NE(reader.get(), writer.get());
    EXPECT_EQ(reader->value("shared").toInt(), 7);
    EXPECT_EQ(storage().get("shared"), std::nullopt); // the suite is not the standard store
}

TEST(StorageManager, SharedDefaultsIsAbsentWhenTheSuiteCannotBeOpened) {
    ScopedHome home;
    ASSERT_TRUE(QDir().mkpath(organisationFolder(home) + "/group.io.pilewatch.family.conf"));
    EXPECT_FALSE(storage().sharedDefaults());
}
