#include "support/Scenario.h"
#include "support/Window.h"

namespace quorvel::test {
namespace {

class EditScenarioTest : public ScenarioTest {
protected:
    std::string header() const {
        return ScenarioTest::header() + "start\nopen Dir1 " + photos + "\n";
    }
    // The lines that are not state lines printed by "show".
    static std::vector<std::string> events(const ScenarioOutput& output) {
        std::vector<std::string> found;
        for (const std::string& line : output.lines) {
            if (line.find(R"("event":"state")") == std::string::npos)
                found.push_back(line);
        }
        return found;
    }
    std::string photos = temp.folder("Photos");
};

TEST_F(EditScenarioTest, ShortenOnTheRightInPlace) {
    temp.file("Photos/IMG_1234.jpg");
    temp.file("Photos/IMG_5678.jpg");
    const ScenarioOutput out = runScenario(header() + "answer IMG_12.jpg\n"
                                                      "answer-yes\n"
                                                      "click Comm1_10\n"
                                                      "show Text4 Exces\n");
    ASSERT_EQ(out.status, 0) << out.lines.back();
    const std::string beep = R"({"event":"beep"})";
    EXPECT_EQ(
        events(out),
        (std::vector<std::string>{
            R"({"event":"input","title":"Raccourcir","prompt":"Raccourcir par la droite\r\nEffacer la partie en trop","default":"IMG_1234.jpg","answer":"IMG_12.jpg"})",
            beep, beep, beep,
            R"({"event":"question","title":" Renommer les fichiers?","icon":"question","text":"Renommer les fichiers du type :\r\nIMG_1234.jpg\r\nen\r\nIMG_12.jpg","answer":"yes"})",
            beep, beep, beep,
            R"({"event":"message","title":"Renommer","icon":"none","buttons":"OK","text":"2 fichiers ont été renommés sur les 2 présents."})"}));
    EXPECT_EQ(out.matching(R"("name":"Text4","text":"    2 fichiers de type jpg")").size(), 1u);
    EXPECT_EQ(out.matching(R"("name":"Exces","value":2)").size(), 1u);
    EXPECT_EQ(namesIn(photos), (std::vector<std::string>{"IMG_12.jpg", "IMG_56.jpg"}));
}

TEST_F(EditScenarioTest, LengthenAndCopyIntoTheTargetFolder) {
    temp.file("Photos/IMG_1234.jpg");
    const std::string sorted = temp.folder("Tri");
    const ScenarioOutput out = runScenario(header() + "open Dir2 " + sorted +
                                           "\n"
                                           "answer 2007_IMG_1234.jpg\n"
                                           "answer-yes\n"
                                           "click Comm1_9\n"
                                           "pick Combo3 bmp\n"
                                           "answer-yes\n"
                                           "click Comm1_7\n"
                                           "show Ext File2\n");
    ASSERT_EQ(out.status, 0) << out.lines.back();
    EXPECT_EQ(
        out.matching(
               R"("event":"question","title":" Recopier les fichiers?","icon":"question","text":"Recopier les fichiers\r\nvers répertoire et extension cible\r\n si souhaité : )" +
               sorted + "\"")
            .size(),
        1u);
    EXPECT_EQ(out.matching("1 fichiers ont été renommés sur les 1 présents.").size(), 2u);
    EXPECT_EQ(out.matching(R"("name":"Ext","value":"2007_")").size(), 1u);
    EXPECT_EQ(out.matching(R"("rows":["IMG_1234.bmp"])").size(), 1u);
    EXPECT_EQ(namesIn(photos), (std::vector<std::string>{"IMG_1234.jpg"}));
    EXPECT_EQ(namesIn(sorted), (std::vector<std::string>{"2007_IMG_1234.jpg", "IMG_1234.bmp"}));
}

TEST_F(EditScenarioTest, AddTypeMakesItTheTypeOfBothLists) {
    temp.file("Photos/a.png");
    temp.file("Photos/b.jpg");
    const ScenarioOutput out = runScenario(header() + "answer png\n"
                                                      "answer-yes\n"
                                                      "click Comm3\n"
                                                      "show Combo1 Combo3 Text3\n");
    ASSERT_EQ(out.status, 0) << out.lines.back();
    EXPECT_EQ(
        out.matching(
               R"({"event":"input","title":"Ajouter extension","prompt":"Nouvelle extension :","default":"jpg","answer":"png"})")
            .size(),
        1u);
    EXPECT_EQ(
        out.matching(
               R"({"event":"question","title":" Rajouter l'extension?","icon":"question","text":"Rajouter l'extension :\r\npng","answer":"yes"})")
            .size(),
        1u);
    EXPECT_EQ(
        out.matching(R"("text":"png","entries":["jpg","gif","bmp","tif","mp3","*","png"])").size(),
        2u);
    EXPECT_EQ(out.matching(R"("name":"Text3","text":"    1 fichiers de type png")").size(), 1u);
    EXPECT_EQ(out.matching(R"("event":"beep")").size(), 3u);
}

} // namespace
} // namespace quorvel::test
