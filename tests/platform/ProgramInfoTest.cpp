#include "platform/posix/ProgramInfo.h"

#include "platform/PosixTestFolder.h"

namespace quorvel::testing {
namespace {

class InstalledDataFolderTest : public PosixTestFolder {};

TEST_F(InstalledDataFolderTest, AnInstalledProgramLooksInItsPrefixShareFolder) {
    folder("usr");
    folder("usr/bin");
    folder("usr/share");
    folder("usr/share/quorvel");
    write("usr/share/quorvel/Quorvel.chm");
    EXPECT_EQ(installedDataFolder(path("usr/bin")), path("usr/share/quorvel"));

    // Help beside the program wins: a build tree or a copy carried with its files.
    write("usr/bin/Quorvel.chm");
    EXPECT_EQ(installedDataFolder(path("usr/bin")), "");
}

TEST_F(InstalledDataFolderTest, WithoutAnInstalledHelpTheProgramKeepsItsOwnFolder) {
    folder("build");
    EXPECT_EQ(installedDataFolder(path("build")), "");
    // A share folder without the help file is someone else's, or half removed.
    folder("share");
    folder("share/quorvel");
    EXPECT_EQ(installedDataFolder(path("build")), "");
    EXPECT_EQ(installedDataFolder("/"), "");
}

} // namespace
} // namespace quorvel::testing
