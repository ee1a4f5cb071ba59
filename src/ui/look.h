#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>

#include <cstdint>

namespace juanzhi::ui {

// Colours are given the way the window's layout states them: 0x00BBGGRR.
constexpr QColor fromColorRef(std::uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

inline constexpr std::uint32_t ImportColour = 0xE03058;  // blue-violet of "未导入" / "成功导入"
inline constexpr std::uint32_t DoneColour = 0x0000FF;  // red of "完成"
inline constexpr std::uint32_t CountColour = 0xE03058;
inline constexpr std::uint32_t NoteColour = 0xFF00FF;
inline constexpr std::uint32_t ButtonFaceColour = 0xC8D0D4;
inline constexpr std::uint32_t ButtonLightFaceColour = 0xE8F0F4;

// "宋体" where it is installed, otherwise the nearest Song-style CJK font,
// at the given character height in pixels.
QFont songFont(int pixelHeight, bool bold);

// The character height of every control's caption.
inline constexpr int ControlPixelHeight = 12;

// Makes the Song face at 12 pixels the font of every control that has none
// of its own, message boxes and file dialogs included, so the window never
// mixes faces.
void useSongFontEverywhere();

// The themed look of the standard controls: 1 blue, 2 olive green, 3 silver;
// any other number returns to the platform's plain look.
void enableThemedLook(int scheme);

// The sizes the icon is drawn in: those of a desktop's icon theme.
inline constexpr int IconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The program's own icon, drawn rather than shipped so every size is sharp.
QIcon programIcon();

}  // namespace juanzhi::ui
