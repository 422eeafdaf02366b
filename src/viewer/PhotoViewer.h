#pragma once

#include <string>

namespace quorvel {

class MainWindow;
class Form;

// The photo viewer window Form2.
class PhotoViewer {
public:
    explicit PhotoViewer(MainWindow& window);

    // The viewer's form while it is open, nullptr otherwise.
    Form* form() { return nullptr; }

private:
    MainWindow& w_;
};

} // namespace quorvel
