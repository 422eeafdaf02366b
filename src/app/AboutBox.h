#pragma once

namespace quorvel {

class MainWindow;
class Form;

// The about box, one at a time, not modal.
class AboutBox {
public:
    explicit AboutBox(MainWindow& window);

    // The box's form while it is open, nullptr otherwise.
    Form* form() { return nullptr; }

private:
    MainWindow& w_;
};

} // namespace quorvel
