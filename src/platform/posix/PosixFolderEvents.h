#pragma once

#include "platform/FolderWatcher.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace quorvel {

// inotify: one watch per folder, read without waiting.
class PosixFolderEvents : public FolderEvents {
public:
    PosixFolderEvents();
    ~PosixFolderEvents() override;
    PosixFolderEvents(const PosixFolderEvents&) = delete;
    PosixFolderEvents& operator=(const PosixFolderEvents&) = delete;

    Result<void> add(const std::string& folder) override;
    void remove(const std::string& folder) override;
    int descriptor() const override { return fd_; }
    std::vector<std::string> take() override;

private:
    void forget(int watch, std::set<std::string>& news);

    int fd_ = -1;
    std::map<std::string, int> watches_;
    // The kernel gives one watch to one folder reached by two paths (a link, a bind mount).
    std::map<int, std::set<std::string>> folders_;
};

} // namespace quorvel
