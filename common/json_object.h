#pragma once
// Strict parsing of a settings file that must be one JSON object: the whole text is parsed
// (a NUL anywhere is refused with its offset, so nothing after it goes unread), and a key
// given twice in any one object is refused rather than silently keeping one of them.
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace setrion {

struct JsonObjectResult {
    std::optional<nlohmann::ordered_json> object;  // keys in file order
    std::string key;    // the key given twice; "" for a fault of the text as a whole
    std::string error;  // "not valid JSON (byte 12)", "a NUL byte at offset 17", ...
};

JsonObjectResult parseJsonObject(std::string_view text);

}  // namespace setrion
