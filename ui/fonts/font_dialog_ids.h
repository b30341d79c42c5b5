#pragma once

namespace setrion::ui::font_dlg {

// Font selection dialog (template 157).
inline constexpr int kFontOpenFolder = 1165;
inline constexpr int kFontFolderLabel = 1173;
inline constexpr int kFontFolder = 1166;
inline constexpr int kFontList = 1167;

// Font ID dialog (template 160).
inline constexpr int kFontIdGroup = 1169;
inline constexpr int kFontIdList = 1168;
inline constexpr int kFontMemoryGroup = 1170;
inline constexpr int kFontRam = 1171;
inline constexpr int kFontFlash = 1172;

// The caption colour of both dialogs' group boxes (0x00BBGGRR).
inline constexpr unsigned kFontGroupColour = 0xE78C10;

}  // namespace setrion::ui::font_dlg
