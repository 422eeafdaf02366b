#pragma once

#include <functional>
#include <string>
#include <vector>

class QListView;
class QWidget;

namespace quorvel {

class FileList;
class FolderList;

// A file list's keys and clicks, as every file manager takes them: a click selects only its
// row, Ctrl+click toggles it, Shift+click and Shift+arrows extend from the last row chosen,
// Ctrl+A selects every row; the arrows alone move the current row and Space toggles it.
// `alive` tells whether the list is still there.
void takeFileListInput(QListView& view, FileList& files, const std::function<bool()>& alive);

// A pane takes what is dropped on it: a folder opens in its folder list; files dropped on a
// pane that `selects` open their folder there and are selected in its file list.
void takeDrops(QWidget& pane, FolderList& folders, FileList* files, std::function<bool()> alive);

// What a drop of these local paths (as bytes) does to a pane: a folder opens; files open
// their folder and are selected when `files` is given. False when nothing could be taken.
bool dropPaths(const std::vector<std::string>& paths, FolderList& folders, FileList* files);

} // namespace quorvel
