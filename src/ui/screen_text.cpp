#include "ui/screen_text.h"

#include <QDir>

#include <string>

#include "core/code_page.h"

namespace juanzhi::ui {

namespace {

QString fromUtf16(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString shownText(const ByteText& text) {
    return fromUtf16(codePageToUtf16Shown(text));
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
