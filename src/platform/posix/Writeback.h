#pragma once

#include "platform/Result.h"
#include "platform/posix/SystemCalls.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace quorvel {

struct PosixHooks;

// Gets the copies of a batch written out while the batch goes on, so that the sync before
// its result waits only for the last of them instead of for everything at once.
//
// A sync reports the write errors its file system met since its descriptor was opened, so
// each file system written to is opened at its first copy and kept until its final sync:
// an error met while the batch went on is not lost.
class Writeback {
public:
    // hooks: consulted before every sync, from the thread that makes it.
    explicit Writeback(const PosixHooks& hooks) : hooks_(hooks) {}
    Writeback(const Writeback&) = delete;
    Writeback& operator=(const Writeback&) = delete;
    ~Writeback();

    // A copy of `bytes` bytes was made in `folder`.
    void wrote(const std::string& folder, std::uint64_t bytes);
    // Syncs the file system of `folder` once nothing is written out early any more: fails
    // unless everything written there is durable.
    Result<void> sync(const std::string& folder);

private:
    void startEarly(const std::string& folder);
    void work(const std::stop_token& stop);
    Result<void> syncAt(int fd, const std::string& folder) const;

    const PosixHooks& hooks_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::condition_variable idle_;
    struct Kept {
        Descriptor fd;          // opened at the folder's first copy
        SystemError earlyError; // the first failure of an early write-out there
    };
    std::map<std::string, Kept> kept_;
    std::string pending_; // the folder to write out early, empty for none
    bool busy_ = false;
    std::uint64_t bytesSince_ = 0;
    std::uint32_t filesSince_ = 0;
    std::jthread worker_;
};

} // namespace quorvel
