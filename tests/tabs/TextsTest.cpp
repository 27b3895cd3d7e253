#include "FakeEngine.h"
#include "dashboard/HelpPopover.h"
#include "dashboard/LoadDashboard.h"
#include "engine/LoadEngine.h"
#include "shell/MainWindowView.h"
#include "shell/Sidebar.h"
#include "shell/Translations.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

// Names of the other platform's products, which mean nothing here.
const QRegularExpression otherPlatform(
    QStringLiteral(R"(\b(Finder|Spotlight|Time Machine|Mac|macOS|Dock)\b|\.dmg\b|Screen Shot)"));

QStringList templateSources() {
    QFile file(QStringLiteral(PILEWATCH_TRANSLATION_TEMPLATE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << PILEWATCH_TRANSLATION_TEMPLATE;
    QXmlStreamReader xml(&file);
    QStringList sources;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"source")
            sources.append(xml.readElementText());
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return sources;
}

// A template text as a pattern: its %1… and %n stand for any text.
QRegularExpression patternOf(const QString& source) {
    QString pattern = QRegularExpression::escape(source);
    pattern.replace(QRegularExpression(QStringLiteral(R"(\\%(n|\d))")), QStringLiteral(".+"));
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern));
}

// Texts that are data, not words: byte counts, percentages, symbol glyphs
// (from the private use area).
bool isData(const QString& text) {
    static const QRegularExpression data(
        QStringLiteral(R"(^([\d.,]+ ?(KB|MB|GB|TB|%)?|[\x{E000}-\x{F8FF}]+)$)"));
    return data.match(text).hasMatch();
}

// Every text a user sees or hears in a view: labels, buttons, accessible
// names and descriptions, tool tips.
QStringList userTexts(QWidget* root) {
    QStringList texts;
    const QList<QWidget*> widgets = root->findChildren<QWidget*>() << root;
    for (const QWidget* w : widgets) {
        texts << w->accessibleName() << w->accessibleDescription() << w->toolTip();
        if (const auto* label = qobject_cast<const QLabel*>(w))
            texts << label->text();
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            texts << button->text();
    }
    texts.removeIf([](const QString& t) { return t.trimmed().isEmpty() || isData(t); });
    return texts;
}

} // namespace

TEST(Texts, TheTemplateHoldsEveryTextOfTheViewsAndNoOtherPlatformsNames) {
    const QStringList sources = templateSources();
    ASSERT_GT(sources.size(), 100);
    for (const QString& source : sources)
        EXPECT_FALSE(otherPlatform.match(source).hasMatch()) << source.toStdString();
    QList<QRegularExpression> patterns;
    for (const QString& source : sources)
        patterns.append(patternOf(source));

    FakeEngine engine("/nonexistent");
    LoadEngine::Snapshot critical{9'000'000'000, 3, 0.84, {}, {}, LoadEngine::LoadStatus::critical};
    for (const char* name : {"Folders", "Images", "Apps"})
        critical.categoryBreakdown.append({name, 3'000'000'000, LoadEngine::catColor(name)});
    engine.publish(critical);
    MainWindowView window(engine);
    LoadDashboard panel(engine);
    HelpPopover help;
    QStringList texts = userTexts(&panel) + userTexts(&help);
    for (int tab = 0; tab < 3; ++tab) {
        window.sidebar()->setSelectedTab(tab);
        texts += userTexts(&window);
    }
    texts.removeDuplicates();
    ASSERT_GT(texts.size(), 60);
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_FALSE(otherPlatform.match(text).hasMatch());
        EXPECT_TRUE(std::any_of(patterns.cbegin(), patterns.cend(), [&](const auto& p) {
            return p.match(text).hasMatch();
        })) << "not translatable";
    }
}

// A translation installed for the user's language replaces the English texts.
TEST(Texts, AnInstalledTranslationForTheLocaleIsLoaded) {
    QTemporaryDir folder;
    QFile source(folder.filePath("pilewatch_de.ts"));
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write(R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS><TS version="2.1" language="de_DE"><context><name>LoadDashboard</name>
<message><source>Rescan</source><translation>Neu einlesen</translation></message>
</context></TS>)");
    source.close();
    ASSERT_EQ(QProcess::execute(QStringLiteral(PILEWATCH_LRELEASE), {"-silent", source.fileName()}),
              0);
    EXPECT_FALSE(Translations::install(QLocale(QLocale::French), folder.path()));
    ASSERT_TRUE(Translations::install(QLocale(QLocale::German, QLocale::Germany), folder.path()));
    FakeEngine engine("/nonexistent");
    LoadDashboard panel(engine);
    QStringList captions;
    for (const QAbstractButton* button : panel.findChildren<QAbstractButton*>())
        captions << button->text();
    EXPECT_TRUE(captions.contains("Neu einlesen")) << captions.join(", ").toStdString();
}
