#pragma once
// The JSON of the preview, the journal and the report: keys in the order they are added, one line.
#include <nlohmann/json.hpp>

#include <string>

namespace dep {

using Json = nlohmann::ordered_json;

// One line without blanks. A text that is not valid UTF-8 (a database message in another
// encoding) gets U+FFFD where its bad bytes were, so the line stays valid JSON.
inline std::string LineaJson(const Json& j) {
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// An amount in cents as a JSON number with its decimals (12345 -> 123.45).
inline double ImporteJson(long long centavos) {
    return static_cast<double>(centavos) / 100.0;
}

}  // namespace dep
