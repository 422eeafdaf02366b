#pragma once

#include <string>

namespace quorvel {

class MainWindow;

// Deletion of the selected files of a pane, one question per file.
class FileDeletion {
public:
    explicit FileDeletion(MainWindow& window);

    // "Tous les fichiers sélectionnés sont effacés" or "   Fichiers effacés = 2 sur 5".
    static std::string outcomeLine(int deleted, int selected);

private:
    void deleteSelected(bool source);

    MainWindow& w_;
};

} // namespace quorvel
