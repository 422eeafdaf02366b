#pragma once

#include "platform/FolderWatcher.h"

#include <string>
#include <vector>

namespace quorvel {

// A watcher whose bursts of changes the test tells, at the moment it chooses.
class ScriptedFolderWatcher : public FolderWatcher {
public:
    void watch(const std::vector<std::string>& folders) override { watched_ = folders; }
    const std::vector<std::string>& watched() const { return watched_; }

    // A settled burst in these folders; false when the window asked to hear it later.
    bool settle(const std::vector<std::string>& folders) { return !onChange || onChange(folders); }

private:
    std::vector<std::string> watched_;
};

} // namespace quorvel
