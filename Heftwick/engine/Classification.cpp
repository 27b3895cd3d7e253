#include "Classification.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace Classification {
namespace {

struct Row {
    const char16_t* name;
    NamedColor color;
    std::initializer_list<std::string_view> extensions;
};

// Rows are tried top to bottom; folders are decided before any extension.
const std::array<Row, categoryCount> table{{
    {u"Folders", NamedColor::yellow, {}},
    {u"Images", NamedColor::pink, {"jpg", "jpeg", "png", "gif", "heic", "webp", "bmp", "tiff"}},
    {u"Videos", NamedColor::purple, {"mp4", "mov", "avi", "mkv", "wmv"}},
    {u"Documents", NamedColor::blue, {"pdf", "doc", "docx", "pages", "txt", "rtf"}},
    {u"Archives", NamedColor::orange, {"zip", "rar", "7z", "tar", "gz"}},
    {u"Audio", NamedColor::cyan, {"mp3", "wav", "aac", "flac", "m4a"}},
    {u"Apps", NamedColor::green, {"app", "dmg", "pkg"}},
    {u"Other", NamedColor::gray, {}},
}};

// Room for the longest extension in the table; longer ones can only be "Other".
constexpr std::size_t extensionBufferSize = 16;

std::size_t longestExtension() {
    std::size_t longest = 0;
    for (const Row& row : table)
        for (const std::string_view ext : row.extensions)
            longest = std::max(longest, ext.size());
    return longest;
}

bool isAscii(std::string_view bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

QString name(int index) {
    return QString::fromUtf16(table.at(std::size_t(index)).name);
}

NamedColor color(int index) {
    return table.at(std::size_t(index)).color;
}

int indexOfName(const QString& categoryName) {
    for (std::size_t i = 0; i < table.size(); ++i)
        if (categoryName == QStringView(table[i].name))
            return int(i);
    return otherIndex;
}

int indexForLowerExtension(std::string_view lowerExtension, bool isDir) {
    if (isDir)
        return foldersIndex;
    for (std::size_t i = 0; i < table.size(); ++i)
        for (const std::string_view ext : table[i].extensions)
            if (ext == lowerExtension)
                return int(i);
    return otherIndex;
}

int indexForRawName(std::string_view rawName, bool isDir) {
    if (isDir)
        return foldersIndex;
    const std::size_t dot = rawName.rfind('.');
    const std::string_view ext =
        dot == std::string_view::npos ? std::string_view() : rawName.substr(dot + 1);
    if (!isAscii(ext)) {
        // Rare: lower-case through Unicode rules, exactly as for any other text.
        const QByteArray lower =
            QString::fromUtf8(ext.data(), qsizetype(ext.size())).toLower().toUtf8();
        return indexForLowerExtension(
            std::string_view(lower.constData(), std::size_t(lower.size())), false);
    }
    static const std::size_t longest = std::min(longestExtension(), extensionBufferSize);
    if (ext.size() > longest)
        return otherIndex;
    char lower[extensionBufferSize];
    for (std::size_t i = 0; i < ext.size(); ++i)
        lower[i] = (ext[i] >= 'A' && ext[i] <= 'Z') ? char(ext[i] - 'A' + 'a') : ext[i];
    return indexForLowerExtension(std::string_view(lower, ext.size()), false);
}

} // namespace Classification
