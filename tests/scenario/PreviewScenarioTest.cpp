#include "support/Scenario.h"
#include "support/Window.h"

namespace quorvel::test {
namespace {

TEST(PreviewScenarioTest, OpenedFollowingThePanelThenClosed) {
    TempFolder temp;
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"IMG_001.jpg", "IMG_002.jpg", "IMG_003.jpg"})
        temp.file(std::string("Photos/") + name);
    const std::string script = "config " + temp.folder("config") + "\nprogram " +
                               temp.folder("program") + "\ncwd " + temp.path() +
                               "\nstart\n"
                               "open Dir1 " +
                               photos +
                               "\n"
                               "type Text1 _Vacances\n"
                               "type Text2 1\n"
                               "pick Combo2 2\n"
                               "click Option2(0)\n"
                               "click Option1(0)\n"
                               "click mnuApercu\n"
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
