#pragma once

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace quorvel {

// The program's own thread for a batch of file changes, and the two ways its work reaches
// the event thread: a task posted there, and a task it waits for. Built on the event thread.
class BatchThread {
public:
    BatchThread();
    // Lets a batch still under way go on without the window (whatever it would have run
    // there is dropped), then waits for its end.
    ~BatchThread();
    BatchThread(const BatchThread&) = delete;
    BatchThread& operator=(const BatchThread&) = delete;

    void run(std::function<void()> work, std::function<void()> done);
    void post(std::function<void()> task);
    // From the batch thread; runs `task` in place on the event thread.
    void call(const std::function<void()>& task);
    // From the batch thread: sleeps until `answered` holds, looking again whenever the
    // event thread ran something for the batch and at least every few hundredths of a second.
    void await(const std::function<bool()>& answered);

private:
    // On the event thread: runs a task of the batch and wakes the batch thread; `ran`, when
    // given, is set under the lock.
    void serve(const std::function<void()>& task, bool* ran);

    std::unique_ptr<QObject> context_; // posts to a context gone are dropped
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable woken_;
    std::uint64_t served_ = 0; // tasks the event thread ran for the batch
    bool closing_ = false;
};

} // namespace quorvel
