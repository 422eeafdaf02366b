#pragma once

#include <QIODevice>
#include <QImage>
#include <QImageIOHandler>
#include <QSize>
#include <QString>

namespace quorvel {

// The small picture that a camera stores in a JPEG photograph's EXIF data, upright and
// stretched to `target`, when it is at least that large and has the proportions of the
// photograph (a thumbnail with bars is refused). The photograph's own header gives its
// `stored` size and its `turn`, which the thumbnail shares. A null image otherwise: the
// caller then decodes the photograph itself. Reading it costs a few kilobytes of `file`
// instead of the whole file.
QImage loadEmbeddedThumbnail(QIODevice& file, QSize stored, QImageIOHandler::Transformations turn,
                             QSize target);
// A picture read as stored, turned and mirrored as its header says it should be shown.
QImage turnedUpright(QImage image, QImageIOHandler::Transformations turn);

} // namespace quorvel
