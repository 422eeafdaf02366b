#include "platform/qtservices/PictureFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

PictureFile::PictureFile(const std::string& path)
    : path_(QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())))) {
    const Result<int> opened = sys::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (!opened)
        return;
    Descriptor fd(opened.value());
    const Result<struct stat> status = sys::fstat(fd.get());
    if (!status || !S_ISREG(status.value().st_mode))
        return;
    fd_ = std::move(fd);
    size_ = status.value().st_size;
}

PictureFile::PictureFile(const QString& path)
    : PictureFile(QFile::encodeName(path).toStdString()) {}

BoundedPictureReads::BoundedPictureReads(const PictureFile& file, const Deadline& deadline)
    : QFile(file.path()), deadline_(deadline) {
    // Each reader of the file starts at its beginning, whoever read it before.
    if (file.isOpen() && open(file.descriptor(), QIODevice::ReadOnly, QFile::DontCloseHandle))
        seek(0);
}

BoundedPictureReads::~BoundedPictureReads() {
    close();
}

qint64 BoundedPictureReads::readData(char* data, qint64 size) {
    if (deadline_.over() || read_ >= maxPictureBytesRead)
        return -1;
    const qint64 got = QFile::readData(data, std::min(size, maxPictureBytesRead - read_));
    if (got > 0)
        read_ += got;
    return got;
}

} // namespace quorvel
