#pragma once

// Qt-free entry points to the picture decoding of the view, for benchmarks and tools. A
// HeadlessQt (Headless.h) must live while they are used, so that the image plugins load.

#include <string>

namespace quorvel {

// Writes a JPEG photograph of the given size, with the fine detail of a real photograph so
// that decoding it costs what decoding a photograph costs, and with `withThumbnail` a
// 160-pixel EXIF thumbnail as a camera stores one. False when it cannot be written.
bool writeTestPhotograph(const std::string& path, int width, int height, bool withThumbnail);
// Decodes the picture stretched to a frame of width × height pixels, as an image of the
// view does. False when nothing could be decoded.
bool decodeScaledPicture(const std::string& path, int width, int height);
// Decodes the whole picture at its natural size.
bool decodeWholePicture(const std::string& path);

} // namespace quorvel
