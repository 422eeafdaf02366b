#include "rename/BatchRename.h"
#include "support/Window.h"
#include "text/NaturalOrder.h"
#include "text/Paths.h"
#include "text/Patterns.h"

#include <algorithm>
#include <cerrno>

namespace quorvel::test {
namespace {

using Paths = std::vector<std::pair<std::string, std::string>>;

// A pretend disk whose root "/" holds two photos and a folder "Tri": the run works on a
// drive root without the test ever touching the real one.
class RootFileSystem : public FileSystem {
public:
    std::map<std::string, std::vector<std::string>> files{{"/", {"IMG_1.jpg", "IMG_2.jpg"}},
                                                          {"/Tri", {}}};
    Paths renames;
    Paths copies;

    Listing listFiles(const std::string& folder, const std::string& pattern) override {
        Listing listing;
        const auto it = files.find(folder);
        if (it == files.end()) {
            listing.error = ENOENT;
            return listing;
        }
        for (const std::string& name : it->second) {
            if (matchesPattern(name, pattern))
                listing.names.push_back(name);
        }
        std::sort(listing.names.edit().begin(), listing.names.edit().end(),
                  [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
        return listing;
    }
    Listing listFolders(const std::string& folder) override {
        Listing listing;
        if (folder == "/")
            listing.names = {"Tri"};
        else if (files.count(folder) == 0)
            listing.error = ENOENT;
        return listing;
    }
    bool isFolder(const std::string& path) override { return files.count(path) != 0; }
    bool exists(const std::string& path) override { return isFolder(path) || holds(path); }
    bool isMountRoot(const std::string& path) override { return path == "/"; }
    Result<std::int64_t> modificationTime(const std::string& path) override {
        if (!holds(path))
            return SystemError{"stat", ENOENT};
        return static_cast<std::int64_t>(localTime(2007, 1, 15, 14, 30, 5));
    }
    Result<void> renameNoReplace(const std::string& from, const std::string& to) override {
        renames.emplace_back(from, to);
        return move(from, to, false);
    }
    Result<void> copyNoReplace(const std::string& from, const std::string& to) override {
        copies.emplace_back(from, to);
        return move(from, to, true);
    }
    Result<void> removeFile(const std::string&) override { return SystemError{"unlink", EPERM}; }
    Result<std::unique_ptr<Folder>> openFolder(const std::string& path, bool) override {
        if (!isFolder(path))
            return SystemError{"open", ENOENT};
        return std::make_unique<Folder>(path, FileIdentity{});
    }
    Result<FileIdentity> identifyAt(Folder&, const std::string&) override {
        return SystemError{"statx", ENOSYS};
    }
    Result<void> renameAt(Folder& folder, const std::string& from, const std::string& to) override {
        return renameNoReplace(joinPath(folder.path(), from), joinPath(folder.path(), to));
    }
    Result<void> copyAt(Folder& from, const std::string& name, Folder& to,
                        const std::string& newName) override {
        return copyNoReplace(joinPath(from.path(), name), joinPath(to.path(), newName));
    }
    Result<void> removeAt(Folder&, const std::string&) override {
        return SystemError{"unlink", EPERM};
    }
    Result<void> createFolder(const std::string&) override { return SystemError{"mkdir", EPERM}; }
    Result<void> removeFolder(const std::string&) override { return SystemError{"rmdir", EPERM}; }
    TreeDeleteResult deleteTree(const std::string&) override {
        return {EPERM, 0, 1, {{"/", EPERM}}};
    }
    std::vector<Volume> volumes() override { return {{"/", "ext4"}}; }
    Result<void> syncFileSystem(const std::string&) override { return {}; }
    std::string workingFolder() override { return "/"; }

private:
    bool holds(const std::string& path) {
        const auto it = files.find(parentFolder(path));
        return it != files.end() &&
               std::count(it->second.begin(), it->second.end(), lastComponent(path)) != 0;
    }
    Result<void> move(const std::string& from, const std::string& to, bool keep) {
        if (!holds(from) || files.count(parentFolder(to)) == 0)
            return SystemError{"rename", ENOENT};
        if (holds(to))
            return SystemError{"rename", EEXIST};
        files[parentFolder(to)].push_back(lastComponent(to));
        if (!keep) {
            auto& names = files[parentFolder(from)];
            names.erase(std::find(names.begin(), names.end(), lastComponent(from)));
        }
        return {};
    }
};

class BatchRenameRootTest : public WindowTest {};

TEST_F(BatchRenameRootTest, DriveRootTakesOneSeparator) {
    RootFileSystem disk;
    seed("drv", "/");
    seed("Dir", "/");
    window = std::make_unique<MainWindow>(
        Services{toolkit, disk, settings, pictures, shell, clock, {programFolder, "quorvel"}},
        toolkit);
    MainWindow& w = *window;
    w.startUp();
    ASSERT_EQ(w.sourceFiles.path(), "/");
    ASSERT_EQ(w.sourceFiles.count(), 2);
    w.genericName.setText("_Fichier");
    w.renameButton.click();
    EXPECT_EQ(disk.renames,
              (Paths{{"/IMG_1.jpg", "/01_Fichier.jpg"}, {"/IMG_2.jpg", "/02_Fichier.jpg"}}));
    EXPECT_EQ(w.batch().variables().lastTarget, "/02_Fichier.jpg");

    ASSERT_EQ(w.targetFolders.setPath("/Tri"), 0);
    w.renameButton.click();
    EXPECT_EQ(disk.copies, (Paths{{"/01_Fichier.jpg", "/Tri/01_Fichier.jpg"},
                                  {"/02_Fichier.jpg", "/Tri/02_Fichier.jpg"}}));

    // From a folder into the root, with the time stamp scheme.
    ASSERT_EQ(w.sourceFolders.setPath("/Tri"), 0);
    ASSERT_EQ(w.targetFolders.setPath("/"), 0);
    w.schemeOptions[4]->click();
    w.startIndex.setText("5");
    disk.copies.clear();
    w.renameButton.click();
    EXPECT_EQ(disk.copies, (Paths{{"/Tri/01_Fichier.jpg", "/05_2007_01_15_143005.jpg"},
                                  {"/Tri/02_Fichier.jpg", "/06_2007_01_15_143005.jpg"}}));
    EXPECT_EQ(texts(),
              (std::vector<std::string>{"2 fichiers ont été renommés sur les 2 présents.",
                                        "2 fichiers ont été renommés sur les 2 présents.",
                                        "2 fichiers ont été renommés sur les 2 présents."}));
}

} // namespace
} // namespace quorvel::test
