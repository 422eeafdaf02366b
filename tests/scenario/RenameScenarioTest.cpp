#include "platform/ExifSamples.h"
#include "support/Scenario.h"
#include "support/Window.h"

#include <fstream>

namespace quorvel::test {
namespace {

class RenameScenarioTest : public ScenarioTest {};

TEST_F(RenameScenarioTest, WorkedExampleThenEveryFileCollides) {
    const std::string photos = temp / "Photos";
    const std::string script = workedExample() +
                               "click Command1\n"
                               "show Text4 File2 FraPro\n"
                               "click Command1\n"
                               // The run waits: these lines are the user's, until "OK".
                               "show FraPro Label5\n"
                               "click Command2\n"
                               "click Check1\n"
                               "show Check1\n"
                               "click Command2\n"
                               // The third file collides too, silently now.
                               "show FraPro Label5 Check1\n"
                               "close\n";
    const ScenarioOutput out = runScenario(script);
    ASSERT_EQ(out.status, 0) << (out.lines.empty() ? "" : out.lines.back());
    const std::string message =
        R"({"event":"message","title":"Renommer","icon":"none","buttons":"OK","text":")";
    const std::string panel = R"({"event":"state","name":"FraPro","caption":"Problème !",)";
    const std::string label =
        R"({"event":"state","name":"Label5","caption":"01_Vacances.jpg existe déjà !","visible":true})";
    const std::vector<std::string> expected = {
        message + R"(3 fichiers ont été renommés sur les 3 présents."})",
        R"({"event":"state","name":"Text4","text":"    3 fichiers de type jpg"})",
        R"({"event":"state","name":"File2","path":")" + photos +
            R"(","pattern":"*.jpg","rows":["01_Vacances.jpg","03_Vacances.jpg","05_Vacances.jpg"],"selected":[],"current":-1})",
        panel + R"("visible":false})",
        panel + R"("visible":true})",
        label,
        R"({"event":"state","name":"Check1","caption":"Continuer sans m'avertir","value":true})",
        message + R"(0 fichiers ont été renommés sur les 3 présents."})",
        panel + R"("visible":false})",
        label,
        R"({"event":"state","name":"Check1","caption":"Continuer sans m'avertir","value":false})",
    };
    EXPECT_EQ(out.lines, expected);
    EXPECT_EQ(namesIn(photos),
              (std::vector<std::string>{"01_Vacances.jpg", "03_Vacances.jpg", "05_Vacances.jpg"}));
}

// The option read from the settings file at start-up, used by the run, and written back
// in its own group beside the six keys of the first window.
TEST_F(RenameScenarioTest, CaptureDateOptionFromTheSettingsFileNamesThePhotos) {
    const std::string photos = temp.folder("Photos");
    const testing::ByteVector bytes =
        testing::jpegWith(testing::tiffBlock({false, "2019:08:30 17:45:12", {}, false, 42, "", 0}));
    temp.file("Photos/IMG_1.jpg", localTime(2024, 1, 2, 3, 4, 5),
              std::string(bytes.begin(), bytes.end()));
    std::ofstream(config + "/quorvel.ini") << "[Options]\nExif=1\n";
    const ScenarioOutput out = runScenario(header() + "start\nopen Dir1 " + photos +
                                           "\nclick Option1(3)\nclick Command1\nclose\n");
    ASSERT_EQ(out.status, 0) << (out.lines.empty() ? "" : out.lines.back());
    EXPECT_EQ(namesIn(photos), std::vector<std::string>{"2019_08_30_174512.jpg"});
    const std::string ini = readFile(config + "/quorvel.ini");
    EXPECT_NE(ini.find("[Options]\nExif=1\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Data]\n"), std::string::npos) << ini;
}

} // namespace
} // namespace quorvel::test
