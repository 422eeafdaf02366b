#include "support/Window.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/time.h>

namespace quorvel::test {

namespace fsys = std::filesystem;

TempFolder::TempFolder() {
    char pattern[] = "/tmp/quorvel-test-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Permissions a test took away must not stop the clean-up.
    for (auto it = fsys::recursive_directory_iterator(path_, ignored);
         it != fsys::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink())
            fsys::permissions(it->path(), fsys::perms::owner_all, fsys::perm_options::add, ignored);
    }
    fsys::remove_all(path_, ignored);
}

std::string TempFolder::file(const std::string& relative, const std::string& content) const {
    const std::string full = path_ + "/" + relative;
    fsys::create_directories(fsys::path(full).parent_path());
    std::ofstream(full, std::ios::binary) << content;
    return full;
}

std::string TempFolder::file(const std::string& relative, std::time_t modified,
                             const std::string& content) const {
    const std::string full = file(relative, content);
    const struct timeval times[2] = {{modified, 0}, {modified, 0}};
    ::utimes(full.c_str(), times);
    return full;
}

std::string TempFolder::folder(const std::string& relative) const {
    const std::string full = path_ + "/" + relative;
    fsys::create_directories(full);
    return full;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::time_t modificationTime(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mtime;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fsys::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.front() != '.')
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::time_t localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return std::mktime(&parts);
}

WindowTest::WindowTest() {
    programFolder = temp.folder("program");
    clock.time = localTime(2007, 1, 15, 14, 30, 5);
}

MainWindow& WindowTest::start() {
    const ProgramInfo program{programFolder, "quorvel", dataFolder};
    window = std::make_unique<MainWindow>(Services{toolkit, fs, settings, pictures, shell, clock,
                                                   program, &captureDates, folderWatcher},
                                          toolkit, journal);
    window->startUp();
    toolkit.showForm(window->form);
    toolkit.clearEvents();
    return *window;
}

void WindowTest::openSource(const std::string& folder) {
    ASSERT_EQ(window->sourceFolders.setPath(folder), 0) << folder;
}

void WindowTest::duringWaits(std::vector<std::function<void()>> actions) {
    waits = 0;
    toolkit.pump = [this, actions = std::move(actions)] {
        if (waits >= static_cast<int>(actions.size()))
            return false;
        actions[static_cast<std::size_t>(waits++)]();
        return true;
    };
}

MainWindow& WindowTest::vacances(const std::string& folder) {
    MainWindow& w = start();
    openSource(folder);
    w.genericName.setText("_Vacances");
    w.startIndex.setText("1");
    w.stepBox.pick("2");
    w.digitOptions[0]->click();
    w.schemeOptions[0]->click();
    return w;
}

std::vector<std::string> WindowTest::texts() {
    std::vector<std::string> out;
    for (const ToolkitEvent& event : toolkit.events()) {
        if (event.kind == ToolkitEvent::Kind::Message || event.kind == ToolkitEvent::Kind::Question)
            out.push_back(event.text);
    }
    toolkit.clearEvents();
    return out;
}

} // namespace quorvel::test
