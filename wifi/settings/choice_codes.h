#pragma once
#include <array>
#include <optional>
#include <string_view>

namespace setrion::wifi {

// Texts of the choice lists, in code order (a list position is the stored code unless a
// comment says otherwise).
inline constexpr std::array<std::string_view, 2> kModeTexts{"adhoc", "infrastructure"};
inline constexpr std::array<std::string_view, 5> kEncryptionTexts{"None", "WEP64", "WEP128",
                                                                  "WPA", "802.1x"};
inline constexpr std::array<std::string_view, 4> kAuthenticationTexts{"None", "Open System",
                                                                      "Shared Key", "Both"};
inline constexpr std::array<std::string_view, 4> kKeyIdTexts{"KEY ID 1", "KEY ID 2", "KEY ID 3",
                                                             "KEY ID 4"};
// WPA codes 1..4 (code 0 is "no WPA" and has no text in the record's list).
inline constexpr std::array<std::string_view, 5> kWpaTexts{"None", "WPA-PSK", "WPA2-PSK",
                                                           "WPA-ENT", "WPA2-ENT"};
inline constexpr std::array<std::string_view, 2> kWpaEncTexts{"TKIP", "AES"};
inline constexpr std::array<std::string_view, 3> kEapFastProvisioningTexts{
    "Unauthenticated", "Authenticated", "Either"};
inline constexpr std::array<std::string_view, 2> kKeyFormatTexts{"HEX", "ASCII"};
inline constexpr std::array<std::string_view, 31> k5GhzChannelTexts{
    "36",  "38",  "40",  "42",  "44",  "46",  "48",  "52",  "56",  "60",  "64",
    "100", "104", "108", "112", "116", "120", "124", "128", "132", "136", "140",
    "149", "153", "157", "161", "165", "184", "188", "192", "196"};

// Position of `text` in a list, or nothing.
template <std::size_t N>
std::optional<int> choiceIndex(const std::array<std::string_view, N>& list, std::string_view text) {
    for (std::size_t i = 0; i < N; ++i)
        if (list[i] == text) return static_cast<int>(i);
    return std::nullopt;
}

// Text at position `code`, or "" outside the list.
template <std::size_t N>
std::string_view choiceText(const std::array<std::string_view, N>& list, int code) {
    return (code >= 0 && static_cast<std::size_t>(code) < N) ? list[static_cast<std::size_t>(code)]
                                                            : std::string_view{};
}

}  // namespace setrion::wifi
