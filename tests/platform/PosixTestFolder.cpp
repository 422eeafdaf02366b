#include "platform/PosixTestFolder.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/fs.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::testing {

void PosixTestFolder::SetUp() {
    char name[] = "/tmp/quorvel-fs-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    root_ = name;
}

void PosixTestFolder::TearDown() {
    for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it)
        ::umount2(it->c_str(), MNT_DETACH);
    for (const std::string& file : immutable_) {
        const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            continue;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void PosixTestFolder::write(const std::string& name, const std::string& data, unsigned mode) {
    {
        std::ofstream out(path(name), std::ios::binary);
        out << data;
        ASSERT_TRUE(out.good()) << name;
    }
    ASSERT_EQ(::chmod(path(name).c_str(), mode), 0);
}

std::string PosixTestFolder::read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

void PosixTestFolder::folder(const std::string& name, unsigned mode) {
    ASSERT_EQ(::mkdir(path(name).c_str(), 0755), 0) << name;
    ASSERT_EQ(::chmod(path(name).c_str(), mode), 0);
}

void PosixTestFolder::link(const std::string& target, const std::string& name) {
    ASSERT_EQ(::symlink(target.c_str(), path(name).c_str()), 0) << name;
}

bool PosixTestFolder::makeImmutable(const std::string& name) {
    const int fd = ::open(path(name).c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = false;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags |= FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    if (done)
        immutable_.push_back(path(name));
    return done;
}

bool PosixTestFolder::mountTmpfs(const std::string& name) {
    if (::mount("quorvel-test", path(name).c_str(), "tmpfs", 0, "size=1m") != 0)
        return false;
    mounts_.push_back(path(name));
    return true;
}

bool PosixTestFolder::bindMount(const std::string& source, const std::string& name) {
    if (::mount(source.c_str(), path(name).c_str(), nullptr, MS_BIND, nullptr) != 0)
        return false;
    mounts_.push_back(path(name));
    return true;
}

std::string PosixTestFolder::mountFat(const std::string& name) {
    if (::access("/usr/bin/fusefat", X_OK) != 0 || ::access("/dev/fuse", R_OK | W_OK) != 0)
        return "no fusefat or no /dev/fuse (scripts/setup installs fusefat and dosfstools)";
    // The image lies beside the test folder's entries, outside the mount.
    std::string flat = name;
    std::replace(flat.begin(), flat.end(), '/', '-');
    const std::string image = path(".card-" + flat + ".img");
    const std::string make = "mkfs.fat -C '" + image + "' 4096 >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0)
        return "mkfs.fat could not make a FAT image";
    struct stat before {};
    ::stat(path(name).c_str(), &before);
    const std::string mount = "fusefat -o rw+ '" + image + "' '" + path(name) + "' >/dev/null 2>&1";
    struct stat after {};
    if (std::system(mount.c_str()) != 0 || ::stat(path(name).c_str(), &after) != 0 ||
        after.st_dev == before.st_dev)
        return "fusefat could not mount the image";
    mounts_.push_back(path(name));
    return {};
}

std::vector<std::string> PosixTestFolder::hiddenNames(const std::string& name) const {
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(name.empty() ? root_ : path(name))) {
        const std::string file = entry.path().filename().string();
        if (file[0] == '.')
            names.push_back(file);
    }
    return names;
}

} // namespace quorvel::testing
