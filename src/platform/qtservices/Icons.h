#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace quorvel {

// The program's own icon: a photograph in its frame with a pencil, 16 to 256 pixels.
QIcon programIcon();

// The picture of a picture button, drawn in code so that it shows on any desktop. Ids:
// up, new-folder, rename-folder, delete-file, delete-folder, view, copy-to-target,
// cut-left, lengthen-left, cut-right, add-type. An unknown id gets a neutral dot.
QPixmap buttonPixmap(const QString& id, int size, qreal devicePixelRatio);

// The glyphs of a folder list: an ancestor of the open folder, and a subfolder.
QPixmap openFolderPixmap(int size, qreal devicePixelRatio);
QPixmap closedFolderPixmap(int size, qreal devicePixelRatio);

} // namespace quorvel
