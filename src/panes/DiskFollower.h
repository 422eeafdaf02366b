#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quorvel {

class FileList;
class FolderWatcher;
class Panes;

// Keeps the file lists as the disk is: a change that another program makes in a folder on
// show re-reads its list, the selection and the current row staying on the same names, and
// the user may ask for the same re-read (Ctrl+R on a list).
class DiskFollower {
public:
    // watcher may be null: the lists are then re-read only when the user asks. busy tells
    // whether a batch of the window's own is under way: news that comes meanwhile waits for
    // its end, when the batch has re-read the lists itself, rather than rebuild rows that
    // the batch walks.
    DiskFollower(FileList& sourceFiles, FileList& targetFiles, Panes& panes, FolderWatcher* watcher,
                 std::function<bool()> busy);
    ~DiskFollower();
    DiskFollower(const DiskFollower&) = delete;
    DiskFollower& operator=(const DiskFollower&) = delete;

    // Re-reads one list, keeping its selection by name, and rewrites its pane's status.
    void reread(FileList& list);

private:
    bool folderChanged(const std::vector<std::string>& folders);
    void followShownFolders();

    FileList& File1_;
    FileList& File2_;
    Panes& panes_;
    FolderWatcher* watcher_;
    std::function<bool()> busy_;
    std::vector<std::string> watched_;
    std::vector<int> subscriptions_;
};

} // namespace quorvel
