#pragma once

#include "platform/posix/SystemCalls.h"
#include "platform/qtservices/DecodeBounds.h"

#include <QFile>
#include <QString>
#include <QtGlobal>
#include <string>

namespace quorvel {

// A user's picture, opened so that no name can hold the thread that reads it: without waiting
// (a name that has become a pipe or a device since the list was read answers at once), and
// only when it is a regular file. A link to a photograph is followed, as the user sees it.
class PictureFile {
public:
    // The name's own bytes are opened: a name that is not UTF-8 would not survive a QString.
    explicit PictureFile(const std::string& path);
    explicit PictureFile(const QString& path);

    bool isOpen() const { return fd_.valid(); }
    int descriptor() const { return fd_.get(); }
    qint64 size() const { return size_; }
    const QString& path() const { return path_; }

private:
    QString path_;
    Descriptor fd_;
    qint64 size_ = 0;
};

// No picture we show is worth reading more of its file than this: past it, the rest of a file
// (gigabytes of zeros after a valid header) is taken as missing.
inline constexpr qint64 maxPictureBytesRead = 1ll << 30;

// The reads of a PictureFile by Qt's readers, which fail once the decode should stop or has
// read as much as a picture is worth: a decoder that reads as it goes gives up with them. It
// keeps the file's name, whose type Qt's readers may need to recognise the format.
class BoundedPictureReads : public QFile {
public:
    BoundedPictureReads(const PictureFile& file, const Deadline& deadline);
    ~BoundedPictureReads() override;
    BoundedPictureReads(const BoundedPictureReads&) = delete;
    BoundedPictureReads& operator=(const BoundedPictureReads&) = delete;

protected:
    qint64 readData(char* data, qint64 size) override;

private:
    const Deadline& deadline_;
    qint64 read_ = 0;
};

} // namespace quorvel
