#pragma once

#include <string>
#include <vector>

namespace quorvel {

// Why an operation on the disk failed, in French, for the user.
std::string frenchReason(int error);

// A file that a run could not handle, with the errno value or a text of its own.
struct FileFailure {
    std::string name;
    int error = 0;
    std::string reason; // when not empty, said instead of the errno's reason
};

// The message followed, when there were failures, by one line per failed file:
// "NAME : reason".
std::string withFailures(const std::string& message, const std::vector<FileFailure>& failures);

// The message followed, when the sync of what a batch wrote failed, by a warning that the
// changes may not survive: such a batch must not read as a success.
std::string withSyncFailure(const std::string& message, int syncError);

} // namespace quorvel
