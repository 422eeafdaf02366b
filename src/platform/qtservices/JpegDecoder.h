#pragma once

#include "platform/Pictures.h"
#include "platform/qtservices/DecodeBounds.h"
#include "platform/qtservices/PictureFile.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace quorvel {

struct DecodedImage {
    QImage image;
    PictureFault fault = PictureFault::NotAPicture;
};

// Decodes a JPEG file with libjpeg at the smallest of its eighths that covers `target`
// (in the stored orientation), then stretches it to `target`. Before decoding it works
// out the memory the decoder will need, the whole coefficient buffer of a progressive
// file included, refuses what `memory` could never hold and waits for the rest to be free;
// it gives up, checked as the decoder goes and with every block read, once `stop` is requested
// or the time allowed is over.
DecodedImage decodeJpeg(const PictureFile& file, QSize target, DecodeMemory& memory,
                        const std::stop_token& stop);

} // namespace quorvel
