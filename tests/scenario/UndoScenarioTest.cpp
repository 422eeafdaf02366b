#include "support/Scenario.h"
#include "support/Window.h"

namespace quorvel::test {
namespace {

class UndoScenarioTest : public ::testing::Test {
protected:
    std::string header(bool withState = true) const {
        return "config " + config + "\n" + (withState ? "state " + state + "\n" : "") + "program " +
               program + "\ncwd " + temp.path() + "\nstart\nopen Dir1 " + photos + "\n";
    }
    TempFolder temp;
    std::string config = temp.folder("config");
    std::string state = temp.folder("state");
    std::string program = temp.folder("program");
    std::string photos = temp.folder("photos");
};

TEST_F(UndoScenarioTest, TheLastRunIsUndoneByTheNextStartThroughTheMenu) {
    temp.file("photos/a.jpg", "a");
    temp.file("photos/b.jpg", "b");
    const ScenarioOutput greyed = runScenario(header() + "show mnuAnnuler\nclick mnuAnnuler\n");
    ASSERT_EQ(greyed.status, 0) << greyed.lines.back();
    EXPECT_EQ(
        greyed.lines,
        std::vector<std::string>{
            R"j({"event":"state","name":"mnuAnnuler","caption":"Annuler le dernier lot","enabled":false,"checked":false})j"});

    const ScenarioOutput renamed = runScenario(header() + "click Command1\nshow mnuAnnuler\n");
    ASSERT_EQ(renamed.status, 0) << renamed.lines.back();
    EXPECT_EQ(
        renamed.lines.back(),
        R"j({"event":"state","name":"mnuAnnuler","caption":"Annuler le dernier lot","enabled":true,"checked":false})j");
    ASSERT_NE(namesIn(photos), (std::vector<std::string>{"a.jpg", "b.jpg"}));

    const ScenarioOutput undone =
        runScenario(header() + "answer-yes\nclick mnuAnnuler\nshow File1 mnuAnnuler\n");
    ASSERT_EQ(undone.status, 0) << undone.lines.back();
    ASSERT_EQ(undone.lines.size(), 7u);
    EXPECT_EQ(undone.lines[0], R"j({"event":"beep"})j");
    const std::string question =
        R"j({"event":"question","title":" Annuler le dernier lot?","icon":"question","text":"Annuler le dernier lot :\r\n2 fichiers, le )j";
    EXPECT_EQ(undone.lines[3].substr(0, question.size()), question);
    EXPECT_NE(undone.lines[3].find(R"j(\r\n)j" + photos + "\""), std::string::npos);
    EXPECT_EQ(
        undone.lines[4],
        R"j({"event":"message","title":"Annuler","icon":"none","buttons":"OK","text":"2 fichiers ont été rétablis sur les 2 du lot."})j");
    EXPECT_EQ(undone.lines[5],
              R"j({"event":"state","name":"File1","path":")j" + photos +
                  R"j(","pattern":"*.jpg","rows":["a.jpg","b.jpg"],"selected":[],"current":-1})j");
    EXPECT_EQ(readFile(photos + "/a.jpg"), "a");
}

// A script that names no state folder keeps its journal beside its settings, never in the
// user's home.
TEST_F(UndoScenarioTest, WithoutAStateFolderTheJournalStaysBesideTheSettings) {
    temp.file("photos/a.jpg", "a");
    const ScenarioOutput run = runScenario(header(false) + "click Command1\n");
    ASSERT_EQ(run.status, 0) << run.lines.back();
    EXPECT_EQ(namesIn(config + "/state/quorvel").size(), 1u);
}

} // namespace
} // namespace quorvel::test
