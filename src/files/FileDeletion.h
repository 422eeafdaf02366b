#pragma once

#include <cstddef>
#include <string>

namespace quorvel {

class FileList;
class FileSystem;
class Panes;
class PictureButton;
class TextBox;
class Toolkit;

// The two file lists with their delete buttons, and the selection line the outcome goes to.
struct DeletionControls {
    FileList& sourceFiles;
    PictureButton& sourceDelete;
    FileList& targetFiles;
    PictureButton& targetDelete;
    TextBox& selectionCount;
};

// Deletion of the selected files of a pane, one question per file.
class FileDeletion {
public:
    FileDeletion(const DeletionControls& controls, Panes& panes, Toolkit& toolkit, FileSystem& fs);

    // "Tous les fichiers sélectionnés sont effacés" or "   Fichiers effacés = 2 sur 5".
    static std::string outcomeLine(int deleted, int selected);
    // Longer names are shortened in the middle in the question, which stays one readable
    // line wide; its start and its end (number and type) still tell the file apart.
    static constexpr std::size_t questionNameLimit = 60;

private:
    void deleteSelected(bool source);

    DeletionControls ui_;
    Panes& panes_;
    Toolkit& toolkit_;
    FileSystem& fs_;
};

} // namespace quorvel
