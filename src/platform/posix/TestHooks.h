#pragma once

// Test seams of PosixFileSystem. Each hook is consulted just before the system call it
// stands for; a non-zero return makes that call fail with that errno without making it.

#include <functional>
#include <string>
#include <utility>

namespace quorvel {

class PosixFileSystem;

// The low-level steps of renameNoReplace and copyNoReplace. For Rename, from and to are
// the two names of that one no-replace rename (a temporary name included); for the copy
// steps they are the source and the final target.
enum class PosixStep {
    Rename,     // renameat2 with RENAME_NOREPLACE
    TempFile,   // opening the unnamed O_TMPFILE file in the target folder
    CopyData,   // copying the data into the temporary file
    LinkTarget, // giving the finished temporary file its final name
    Sync,       // syncfs, early (from another thread) or final; from and to name the folder
};
using StepHook = std::function<int(PosixStep step, const std::string& from, const std::string& to)>;
// Before each unlinkat inside deleteTree, the folders and the tree's root included;
// fullPath names the entry. FaultyFileSystem::treeEntryHook() fits here.
using TreeRemovalHook = std::function<int(const std::string& fullPath)>;

struct PosixHooks {
    StepHook step;
    TreeRemovalHook treeRemoval;
};

PosixHooks& hooksOf(PosixFileSystem& fs);

inline void setStepHook(PosixFileSystem& fs, StepHook hook) {
    hooksOf(fs).step = std::move(hook);
}
inline void setTreeRemovalHook(PosixFileSystem& fs, TreeRemovalHook hook) {
    hooksOf(fs).treeRemoval = std::move(hook);
}

} // namespace quorvel
