#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// Folder + "/" + name, with no second "/" when the folder already ends in one.
std::string joinPath(std::string_view folder, std::string_view name);
// One trailing "/" dropped ("/" becomes "").
std::string dropTrailingSeparator(std::string_view path);
// Last component of a path ("/" for "/").
std::string lastComponent(std::string_view path);
// Folder one level up ("/" for "/a", "" for "/").
std::string parentFolder(std::string_view path);

} // namespace quorvel
