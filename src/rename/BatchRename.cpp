#include "rename/BatchRename.h"

#include "app/MainWindow.h"

namespace quorvel {

BatchRename::BatchRename(MainWindow& window) : w_(window) {}

void BatchRename::run() {}

std::string BatchRename::FormatRenameResult(std::int64_t renamed, std::int64_t listed) {
    return std::to_string(renamed) + " fichiers ont été renommés sur les " +
           std::to_string(listed) + " présents.";
}

} // namespace quorvel
