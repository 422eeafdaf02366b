#include "support/Scenario.h"
#include "support/Window.h"

namespace quorvel::test {
namespace {

class MenuScenarioTest : public ScenarioTest {};

TEST_F(MenuScenarioTest, ItemsShowTheirStateAndAClickPicksThem) {
    const ScenarioOutput run = runScenario(header() + "start\n"
                                                      "show mnuAPropos mnuQuitter mnuAide "
                                                      "mnuEdition\n"
                                                      "click mnuAPropos\n"
                                                      "show About\n"
                                                      "click mnuAideF1\n"
                                                      "type Text1 Noël\n"
                                                      "click mnuQuitter\n");
    ASSERT_EQ(run.status, 0) << run.lines.back();
    const std::vector<std::string> expected = {
        R"j({"event":"state","name":"mnuAPropos","caption":"A Propos","enabled":true,"checked":false})j",
        R"j({"event":"state","name":"mnuQuitter","caption":"Quitter","enabled":true,"checked":false})j",
        R"j({"event":"state","name":"mnuAide","caption":"&Aide","visible":true})j",
        R"j({"event":"state","name":"mnuEdition","caption":"&Édition","visible":true})j",
        R"j({"event":"state","name":"About","caption":"A Propos de Quorvel"})j",
        R"j({"event":"help","file":")j" + program + R"j(/Quorvel.chm"})j"};
    EXPECT_EQ(run.lines, expected);

    // "Quitter" from the menu saved the settings as the button does.
    const ScenarioOutput again = runScenario(header() + "start\nshow Text1\n");
    ASSERT_EQ(again.status, 0) << again.lines.back();
    EXPECT_EQ(again.lines,
              (std::vector<std::string>{R"j({"event":"state","name":"Text1","text":"Noël"})j"}));
}

} // namespace
} // namespace quorvel::test
