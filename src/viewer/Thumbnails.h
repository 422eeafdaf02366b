#pragma once

#include <string>

namespace quorvel {

class MainWindow;

// The strip of four thumbnails.
class Thumbnails {
public:
    explicit Thumbnails(MainWindow& window);

private:
    MainWindow& w_;
};

} // namespace quorvel
