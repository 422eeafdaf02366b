#pragma once

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quorvel::testing {

// A fresh folder under /tmp for each test, removed afterwards together with the immutable
// flags and mounts the test put in it.
class PosixTestFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string path(const std::string& name) const { return root_ + "/" + name; }
    void write(const std::string& name, const std::string& data = "x", unsigned mode = 0644);
    std::string read(const std::string& name) const;
    void folder(const std::string& name, unsigned mode = 0755);
    void link(const std::string& target, const std::string& name);
    // Sets the immutable attribute; false where the file system has none.
    bool makeImmutable(const std::string& name);
    // Mounts a fresh tmpfs, or binds `source` there; false without the privilege.
    bool mountTmpfs(const std::string& name);
    bool bindMount(const std::string& source, const std::string& name);
    // Mounts a fresh FAT image through FUSE, as a camera card often is, on the folder
    // `name`; an empty answer when it worked, else why it could not.
    std::string mountFat(const std::string& name);
    // Names in a folder beginning with ".", as a check that no temporary file stayed.
    std::vector<std::string> hiddenNames(const std::string& name = "") const;

    std::string root_;

private:
    std::vector<std::string> immutable_;
    std::vector<std::string> mounts_;
};

} // namespace quorvel::testing
