#include "edits/NameEdits.h"

#include "app/MainWindow.h"

namespace quorvel {

NameEdits::NameEdits(MainWindow& window) : w_(window) {}

std::string NameEdits::LastSelectedName() const {
    const FileList& list = w_.File1;
    for (int i = list.count() - 1; i >= 0; --i) {
        if (list.selected(i))
            return list.row(i);
    }
    return list.count() > 0 ? list.row(0) : std::string();
}

} // namespace quorvel
