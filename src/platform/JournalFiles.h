#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// What tells one file apart from another that later took its name.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // nanoseconds since the epoch
    std::int64_t changedNs = 0;  // status change, nanoseconds since the epoch
};

// A journal file open for appending.
class AppendFile {
public:
    virtual ~AppendFile() = default;
    virtual Result<void> append(std::string_view bytes) = 0;
    // Makes what was appended durable (the data, not every time stamp).
    virtual Result<void> sync() = 0;
    // Drops what lies past `size` bytes, so that what is appended next follows them.
    virtual Result<void> cutTo(std::uint64_t size) = 0;
};

// The few file calls the undo journal needs, apart from the batches' own file system.
class JournalFiles {
public:
    virtual ~JournalFiles() = default;
    // Creates the folder and its missing parents, readable by the user alone.
    virtual Result<void> makeFolder(const std::string& path) = 0;
    // Names of the folder's entries, in no particular order.
    virtual Result<std::vector<std::string>> names(const std::string& folder) = 0;
    virtual Result<std::string> read(const std::string& path) = 0;
    // A new file (never an existing one) whose name is durable in its folder on return.
    virtual Result<std::unique_ptr<AppendFile>> create(const std::string& path) = 0;
    virtual Result<std::unique_ptr<AppendFile>> openAppend(const std::string& path) = 0;
    virtual Result<void> remove(const std::string& path) = 0;
    // The entry itself: a link is not followed.
    virtual Result<FileIdentity> identify(const std::string& path) = 0;
};

} // namespace quorvel
