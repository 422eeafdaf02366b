#pragma once

#include "platform/JournalFiles.h"

namespace quorvel {

// The undo journal's files on the real file system.
class PosixJournalFiles : public JournalFiles {
public:
    Result<void> makeFolder(const std::string& path) override;
    Result<std::vector<std::string>> names(const std::string& folder) override;
    Result<std::string> read(const std::string& path) override;
    Result<std::unique_ptr<AppendFile>> create(const std::string& path) override;
    Result<std::unique_ptr<AppendFile>> openLocked(const std::string& path) override;
    Result<void> remove(const std::string& path) override;
    Result<FileIdentity> identify(const std::string& path) override;
    Result<FileIdentity> identifyFolder(const std::string& path) override;
};

} // namespace quorvel
