#include "ui/screen_text.h"

#include <QDir>

#include <string>

#include "core/character_rule.h"
#include "core/code_page.h"

namespace juanzhi::ui {

namespace {

QString fromUtf16(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString shownText(const ByteText& text) {
    if (const auto whole = codePageToUtf16(text)) {
        return fromUtf16(*whole);
    }
    // Character by character, so one bad pair spoils only itself.
    QString shown;
    const std::string_view bytes = text.bytes();
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = characterLengthAt(bytes, at);
        const auto one = codePageToUtf16(ByteText(bytes.substr(at, length)));
        shown += one ? fromUtf16(*one) : QString(QChar::ReplacementCharacter);
        at += length;
    }
    return shown;
}

std::optional<ByteText> typedText(const QString& text) {
    return utf16ToCodePage(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                               static_cast<std::size_t>(text.size())));
}

std::optional<ByteText> typedLines(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QChar::ParagraphSeparator, QChar::LineFeed);
    lines.replace(QChar::LineFeed, QStringLiteral("\r\n"));
    return typedText(lines);
}

std::optional<ByteText> chosenPath(const QString& path) {
    return typedText(QDir::toNativeSeparators(path));
}

}  // namespace juanzhi::ui
