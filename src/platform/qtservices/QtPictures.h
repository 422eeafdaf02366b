#pragma once

#include "platform/Pictures.h"
#include "platform/qtservices/JpegDecoder.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <Qt>

namespace quorvel {

// A picture decoded by QtPictures, ready for an image of the view to draw.
class QtPicture : public Picture {
public:
    explicit QtPicture(QImage image) : image_(std::move(image)) {}
    const QImage& image() const { return image_; }

private:
    QImage image_;
};

class QtPictures : public Pictures {
public:
    // Learns the screen's scale, so that a frame in twips is decoded at the pixels the view
    // gives it; without a screen, one pixel per 15 twips.
    QtPictures();
    // Waits for the decodes under way, which may be this object's own.
    ~QtPictures() override;
    QtPictures(const QtPictures&) = delete;
    QtPictures& operator=(const QtPictures&) = delete;

    std::optional<PictureSize> naturalSize(const std::string& path) override;
    LoadedPicture load(const std::string& path,
                       const std::function<PictureSize(const PictureSize&)>& frameFor,
                       std::stop_token stop) override;

    // A frame in twips, in device pixels.
    QSize pixels(const PictureSize& twips) const;

private:
    double logicalScale_ = 1.0;
    double deviceScale_ = 1.0;
};

// Decodes the picture upright at the size it is drawn in frame: stretched to the whole frame
// by default, or the largest size of its own proportions that fits with KeepAspectRatio. A
// JPEG is decoded directly at the reduced size. A null image when the file is missing, is
// not a picture, is too large to show, or cannot be decoded; a truncated file may give a
// partly grey picture. A small stretched frame takes the photograph's EXIF thumbnail when it
// is large enough and has the photograph's proportions: reading it costs a few kilobytes,
// where even a reduced decode reads the whole file.
// Every decode stays within the memory bound of the process (DecodeBounds.h) and the time
// allowed to one picture; the fault says why nothing was decoded.
DecodedImage decodePicture(const QString& path, QSize frame, Qt::AspectRatioMode mode,
                           const std::stop_token& stop);
// The same, without a way to stop it early.
QImage loadScaledPicture(const QString& path, QSize frame,
                         Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio);

} // namespace quorvel
