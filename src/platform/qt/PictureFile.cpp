#include "platform/qt/PictureFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

PictureFile::PictureFile(const std::string& path)
    : path_(QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())))) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return;
    }
    fd_ = fd;
    size_ = status.st_size;
}

PictureFile::PictureFile(const QString& path)
    : PictureFile(QFile::encodeName(path).toStdString()) {}

PictureFile::~PictureFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

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
