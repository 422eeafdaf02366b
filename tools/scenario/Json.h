#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// A JSON string literal; bytes that are not UTF-8 come out as U+FFFD.
std::string jsonString(std::string_view text);

} // namespace quorvel
