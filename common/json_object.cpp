#include "common/json_object.h"

#include <set>
#include <vector>

namespace setrion {

using Json = nlohmann::ordered_json;

JsonObjectResult parseJsonObject(std::string_view text) {
    JsonObjectResult r;
    // The JSON reader takes a NUL for the end of its input: the text after one would go unread.
    if (const size_t nul = text.find('\0'); nul != std::string_view::npos) {
        r.error = "not valid JSON: a NUL byte at offset " + std::to_string(nul);
        return r;
    }
    std::vector<std::set<std::string>> seen;
    std::string duplicate;
    auto cb = [&](int, Json::parse_event_t event, Json& parsed) {
        switch (event) {
            case Json::parse_event_t::object_start: seen.emplace_back(); break;
            case Json::parse_event_t::object_end:
                if (!seen.empty()) seen.pop_back();
                break;
            case Json::parse_event_t::key:
                if (!seen.empty() && !seen.back().insert(parsed.get<std::string>()).second &&
                    duplicate.empty())
                    duplicate = parsed.get<std::string>();
                break;
            default: break;
        }
        return true;
    };
    try {
        Json parsed = Json::parse(text.begin(), text.end(), cb);
        if (!parsed.is_object()) {
            r.error = "expected one JSON object";
        } else if (!duplicate.empty()) {
            r.key = duplicate;
            r.error = duplicate + ": given twice";
        } else {
            r.object = std::move(parsed);
        }
    } catch (const Json::parse_error& e) {
        r.error = "not valid JSON (byte " + std::to_string(e.byte) + ")";
    } catch (const Json::exception& e) {
        r.error = std::string("not valid JSON: ") + e.what();
    }
    return r;
}

}  // namespace setrion
