#pragma once

#include <string>

namespace quorvel {

class MainWindow;
class FileList;

// The two file panes: how drive, folder and file lists follow each other, the type
// filters and the status lines.
class Panes {
public:
    explicit Panes(MainWindow& window);

    void RefreshSourceList();
    void RefreshTargetList();

    // "    12 fichiers de type jpg"
    static std::string fileCountLine(int count, const std::string& type);
    // "   Fichiers sélectionnés = 3"
    static std::string selectionLine(int count);
    // Rewrites Text3 or Text4 from its list and type.
    void writeSourceStatus();
    void writeTargetStatus();

    // The generic name proposed from a first listed file: its name without the last four
    // characters, empty when it has four or fewer.
    static std::string proposedName(const std::string& fileName);

private:
    void drive1Change();
    void drive2Change();
    void dir1Change();
    void dir2Change();
    void file1Click();
    void file2Click();
    void up(bool source);
    void combo1Click();
    void combo3Click();
    void proposeGenericName();

    MainWindow& w_;
};

} // namespace quorvel
