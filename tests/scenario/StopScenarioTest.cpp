#include "support/Scenario.h"
#include "support/Window.h"

namespace quorvel::test {
namespace {

class StopScenarioTest : public ScenarioTest {};

// "Arrêter" after the first file: the result tells what was left, the renamed file can be
// undone, and the button is gone once the batch has ended.
TEST_F(StopScenarioTest, StopAfterOneFileThenUndoIt) {
    const std::string photos = temp / "Photos";
    const std::string script = workedExample() + "stop-after 1\n"
                                                 "click Command1\n"
                                                 "show cmdArreter mnuAnnuler\n"
                                                 "answer-yes\n"
                                                 "click mnuAnnuler\n"
                                                 "close\n";
    const ScenarioOutput out = runScenario(script);
    ASSERT_EQ(out.status, 0) << (out.lines.empty() ? "" : out.lines.back());
    ASSERT_GE(out.lines.size(), 3u);
    EXPECT_EQ(out.lines[0],
              R"({"event":"message","title":"Renommer","icon":"none","buttons":"OK","text":")"
              R"(1 fichiers ont été renommés sur les 3 présents.\r\n)"
              R"(Lot arrêté : 2 fichiers n'ont pas été traités."})");
    EXPECT_EQ(out.lines[1],
              R"({"event":"state","name":"cmdArreter","caption":"Arrêter","visible":false})");
    EXPECT_EQ(namesIn(photos),
              (std::vector<std::string>{"IMG_001.jpg", "IMG_002.jpg", "IMG_003.jpg"}));
}

// While the run waits on its panel, the lists and the rename panel take none of the user's
// input: the folder opened meanwhile is not the batch's target.
TEST_F(StopScenarioTest, TheListsTakeNoInputDuringTheWait) {
    const std::string photos = temp / "Photos";
    const std::string other = temp.folder("Autre");
    const std::string script = workedExample() + "click Command1\n" +
                               "click Command1\n"
                               "open Dir2 " +
                               other +
                               "\n"
                               "type Text1 _Autre\n"
                               "show Text1\n"
                               "click Check1\n"
                               "click Command2\n"
                               "close\n";
    const ScenarioOutput out = runScenario(script);
    ASSERT_EQ(out.status, 0) << (out.lines.empty() ? "" : out.lines.back());
    ASSERT_GE(out.lines.size(), 3u);
    EXPECT_EQ(out.lines[1], R"({"event":"state","name":"Text1","text":"_Vacances"})");
    EXPECT_EQ(namesIn(other), std::vector<std::string>{});
}

} // namespace
} // namespace quorvel::test
