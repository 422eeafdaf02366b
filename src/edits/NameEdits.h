#pragma once

#include <functional>
#include <string>

namespace quorvel {

class MainWindow;

// Edits applied to every selected name of the source pane, and adding a type.
class NameEdits {
public:
    explicit NameEdits(MainWindow& window);

    std::string LastSelectedName() const;

private:
    MainWindow& w_;
};

} // namespace quorvel
