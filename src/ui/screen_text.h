#pragma once

#include <QString>

#include <optional>

#include "core/byte_text.h"

namespace juanzhi::ui {

// Where code-page texts meet the screen. What the window shows is the
// Unicode form of a code-page text; what the user types or picks becomes
// code-page bytes again. Both directions go through the one code-page module.

// The text as the screen shows it. Bytes that form no character of the code
// page are shown as U+FFFD each, so a damaged name still shows the rest.
QString shownText(const ByteText& text);

// The code-page form of a typed text; nothing when it holds a character that
// has none (a NUL, a lone surrogate).
std::optional<ByteText> typedText(const QString& text);

// The same for a box of several lines: its lines end in CR LF, as a book's
// lines do, so a text of several lines matches and is inserted as in books.
std::optional<ByteText> typedLines(const QString& text);

// A path chosen in a dialog, in the platform's separators and the code page.
std::optional<ByteText> chosenPath(const QString& path);

}  // namespace juanzhi::ui
