#include "support/Scenario.h"
#include "support/Window.h"

namespace quorvel::test {
namespace {

class PreviewScenarioTest : public ScenarioTest {};

TEST_F(PreviewScenarioTest, OpenedFollowingThePanelThenClosed) {
    const std::string script = workedExample() + "click mnuApercu\n"
                                                 "show Apercu Apercu.Liste Apercu.Resume\n"
                                                 "toggle File1 IMG_002.jpg\n"
                                                 "show Apercu.Liste\n"
                                                 "close Apercu\n"
                                                 "show Apercu\n"
                                                 "close\n";
    const ScenarioOutput out = runScenario(script);
    ASSERT_EQ(out.status, 0) << (out.lines.empty() ? "" : out.lines.back());
    const std::vector<std::string> expected = {
        R"({"event":"state","name":"Apercu","caption":"Aperçu du lot","visible":true})",
        R"({"event":"state","name":"Apercu.Liste","rows":[["IMG_001.jpg","01_Vacances.jpg",""],["IMG_002.jpg","03_Vacances.jpg",""],["IMG_003.jpg","05_Vacances.jpg",""]]})",
        R"({"event":"state","name":"Apercu.Resume","caption":"3 fichiers seront renommés sur les 3 présents."})",
        R"({"event":"state","name":"Apercu.Liste","rows":[["IMG_002.jpg","01_Vacances.jpg",""]]})",
        R"({"event":"state","name":"Apercu","caption":"Aperçu du lot","visible":false})",
    };
    EXPECT_EQ(out.lines, expected);
}

} // namespace
} // namespace quorvel::test
