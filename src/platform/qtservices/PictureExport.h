#pragma once

// Qt-free, so that build tools can write the program's pictures without Qt headers.

#include <array>
#include <string>

namespace quorvel {

// The icon sizes a desktop install ships, in pixels: those the icon theme lays out.
inline constexpr std::array<int, 8> programIconSizes{16, 22, 24, 32, 48, 64, 128, 256};
// The about box's picture, in pixels.
inline constexpr int aboutPictureWidth = 250;
inline constexpr int aboutPictureHeight = 166;

// Writes the program's icon as <iconFolder>/<n>x<n>/apps/quorvel.png for every size, the
// layout of an icon theme, and the about box's picture as the PNG file aboutPicture.
// Returns an error text, empty when every file was written.
std::string exportPictures(const std::string& iconFolder, const std::string& aboutPicture);

} // namespace quorvel
