#pragma once

#include "platform/Pictures.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <Qt>

namespace quorvel {

class QtPictures : public Pictures {
public:
    QtPictures();

    std::optional<PictureSize> naturalSize(const std::string& path) override;
};

// Decodes the picture upright at the size it is drawn in frame: stretched to the whole frame
// by default, or the largest size of its own proportions that fits with KeepAspectRatio. A
// JPEG is decoded directly at the reduced size. A null image when the file is missing, is
// not a picture, is too large to show, or cannot be decoded; a truncated file may give a
// partly grey picture. A small stretched frame takes the photograph's EXIF thumbnail when it
// is large enough and has the photograph's proportions: reading it costs a few kilobytes,
// where even a reduced decode reads the whole file.
QImage loadScaledPicture(const QString& path, QSize frame,
                         Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio);

} // namespace quorvel
