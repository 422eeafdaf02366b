#pragma once

#include "platform/FileSystem.h"
#include "platform/Result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// A journal file open for appending.
class AppendFile {
public:
    virtual ~AppendFile() = default;
    virtual Result<void> append(std::string_view bytes) = 0;
    // Makes what was appended durable (the data, not every time stamp).
    virtual Result<void> sync() = 0;
    // Drops what lies past `size` bytes, so that what is appended next follows them.
    virtual Result<void> cutTo(std::uint64_t size) = 0;
    // The whole file from its start, EFBIG past maxBytes.
    virtual Result<std::string> readAll() = 0;

    // Far above the few megabytes of the largest batch: a file past it is not a journal
    // this program wrote, and reading it whole could take all the memory.
    static constexpr std::uint64_t maxBytes = std::uint64_t{64} << 20;
};

// The few file calls the undo journal needs, apart from the batches' own file system.
class JournalFiles {
public:
    virtual ~JournalFiles() = default;
    // Creates the folder and its missing parents, readable by the user alone.
    virtual Result<void> makeFolder(const std::string& path) = 0;
    // Names of the folder's entries, in no particular order.
    virtual Result<std::vector<std::string>> names(const std::string& folder) = 0;
    // A regular file's bytes, read without waiting on a pipe or a device and refused past
    // AppendFile::maxBytes (EFBIG); anything else is refused (EINVAL).
    virtual Result<std::string> read(const std::string& path) = 0;
    // A new file (never an existing one) whose name is durable in its folder on return. It
    // holds the file's lock until it is closed (EAGAIN: another program took its name).
    virtual Result<std::unique_ptr<AppendFile>> create(const std::string& path) = 0;
    // An existing journal for reading and appending, with its lock, which keeps every other
    // program from undoing it or writing to it until it is closed: EWOULDBLOCK while
    // another holds it. Pipes, devices and links are refused (EINVAL, ELOOP) without
    // waiting, and so is a file past AppendFile::maxBytes (EFBIG).
    virtual Result<std::unique_ptr<AppendFile>> openLocked(const std::string& path) = 0;
    virtual Result<void> remove(const std::string& path) = 0;
    // The entry itself: a link is not followed.
    virtual Result<FileIdentity> identify(const std::string& path) = 0;
    // A folder, a link followed as the batches follow it when they open their folders.
    virtual Result<FileIdentity> identifyFolder(const std::string& path) = 0;
};

} // namespace quorvel
