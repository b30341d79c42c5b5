#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace setrion::fonts {

// Where the printer keeps a downloaded font.
enum class TargetMemory : int { Ram = 0, Flash = 1 };

// The printer's downloadable font numbers.
inline constexpr int kFirstFontId = 100;
inline constexpr int kLastFontId = 499;
constexpr bool isValidFontId(int id) { return id >= kFirstFontId && id <= kLastFontId; }

// TrueType bytes carried by one data line of the job (76 hexadecimal digits).
inline constexpr size_t kBytesPerDataLine = 38;
// Bytes of the font name that count; the 17th byte of the field is always zero.
inline constexpr size_t kNameFieldBytes = 17;

// The font name of a file name: up to ".ttf", else ".TTF", else the first ".", else all.
std::string_view fontNameOf(std::string_view fileName);

// The 34-digit name field: the font name (at most 16 bytes) padded with zero bytes to 17,
// in upper-case hexadecimal.
std::string fontNameField(std::string_view fileName);

// The exact length of the job for a TrueType file of `fileSize` bytes and `fontId`.
size_t fontJobLength(size_t fileSize, int fontId);

// The download job text for the printer:
//   {W,<id>,A,R|F,<16-byte blocks rounded up + 8>|CR LF
//   H,"0420<id, bytes exchanged><name field>010000<size, bytes reversed>40000000"|CR LF
//   R,"zzzzzzzzzv"|CR LF
//   H,"<38 bytes as hex>"|CR LF ... (the last line takes the rest)
//   }
// The TrueType bytes are carried as they are; the font is not parsed. `fontId` is printed
// in decimal on the first line and as a 16-bit value with its bytes exchanged on the second.
std::string buildFontJob(std::span<const uint8_t> ttf, std::string_view fileName, int fontId,
                         TargetMemory memory);

}  // namespace setrion::fonts
