#include "platform/posix/Writeback.h"

#include "platform/posix/PosixInternals.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace quorvel {

namespace {

// Enough written since the last early write-out for another to be worth a wake-up.
constexpr std::uint64_t bytesPerStart = std::uint64_t{32} << 20;
constexpr std::uint32_t filesPerStart = 256;

Result<int> openFolder(const std::string& folder) {
    return sys::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

Result<void> Writeback::syncAt(int fd, const std::string& folder) const {
    if (auto hooked = runStep(hooks_, PosixStep::Sync, folder, folder); !hooked)
        return hooked;
    return sys::syncfs(fd);
}

Writeback::~Writeback() {
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
}

void Writeback::wrote(const std::string& folder, std::uint64_t bytes) {
    const std::lock_guard lock(mutex_);
    if (!kept_.contains(folder)) {
        if (const Result<int> fd = openFolder(folder))
            kept_.emplace(folder, Kept{Descriptor(fd.value()), {}});
    }
    bytesSince_ += bytes;
    ++filesSince_;
    if ((bytesSince_ >= bytesPerStart || filesSince_ >= filesPerStart) && !busy_ &&
        pending_.empty())
        startEarly(folder);
}

void Writeback::startEarly(const std::string& folder) {
    bytesSince_ = 0;
    filesSince_ = 0;
    if (!worker_.joinable()) {
        try {
            worker_ = std::jthread([this](const std::stop_token& stop) { work(stop); });
        } catch (const std::system_error&) {
            // No thread to spare (the user's process limit): the final sync writes
            // everything out, as it would have without the early start.
            return;
        }
    }
    pending_ = folder;
    wake_.notify_one();
}

void Writeback::work(const std::stop_token& stop) {
    std::unique_lock lock(mutex_);
    while (wake_.wait(lock, stop, [this] { return !pending_.empty(); })) {
        const std::string folder = std::move(pending_);
        pending_.clear();
        busy_ = true;
        lock.unlock();
        // A descriptor of its own: the final sync's must still see every error.
        Result<void> synced;
        if (const Result<int> opened = openFolder(folder)) {
            const Descriptor fd(opened.value());
            synced = syncAt(fd.get(), folder);
        }
        lock.lock();
        busy_ = false;
        if (const auto kept = kept_.find(folder);
            kept != kept_.end() && kept->second.earlyError.code == 0 && !synced)
            kept->second.earlyError = synced.error();
        idle_.notify_all();
    }
}

Result<void> Writeback::sync(const std::string& folder) {
    std::unique_lock lock(mutex_);
    pending_.clear();
    idle_.wait(lock, [this] { return !busy_; });
    Kept kept;
    if (const auto found = kept_.find(folder); found != kept_.end()) {
        kept = std::move(found->second);
        kept_.erase(found);
    } else {
        kept.fd.reset(TRY(openFolder(folder)));
    }
    lock.unlock();
    const auto synced = syncAt(kept.fd.get(), folder);
    if (!synced)
        return synced;
    if (kept.earlyError.code != 0)
        return kept.earlyError;
    return {};
}

} // namespace quorvel
