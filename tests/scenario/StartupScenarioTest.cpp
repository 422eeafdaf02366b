#include "support/Scenario.h"
#include "support/Window.h"

#include <fstream>

namespace quorvel::test {
namespace {

class StartupScenarioTest : public ScenarioTest {
protected:
    std::string photos = temp.folder("Photos");
};

TEST_F(StartupScenarioTest, FirstRunThenSavedValuesComeBack) {
    temp.file("Photos/IMG_0001.jpg");
    temp.file("Photos/IMG_0002.jpg");
    temp.file("Photos/b.gif");
    const ScenarioOutput first = runScenario(header() +
                                             "start\n"
                                             "show Form1 Frame4 Text1 Numero Option1(0)\n"
                                             "open Dir1 " +
                                             photos +
                                             "\n"
                                             "show Text1 Text3 Text6 Dir2 Option1(2)\n"
                                             "pick Combo1 gif\n"
                                             "show Combo3 Text3 Text4 Text1 File1\n"
                                             "type Text1 Noël\n"
                                             "type Text2 abc\n"
                                             "click Option1(3)\n"
                                             "click Option2(2)\n"
                                             "close\n");
    ASSERT_EQ(first.status, 0) << first.lines.back();
    const std::vector<std::string> expected = {
        R"j({"event":"state","name":"Form1","caption":"Mini Quorvel Photos et Fichiers 01 2007"})j",
        R"j({"event":"state","name":"Frame4","caption":"Frame4","visible":true})j",
        R"j({"event":"state","name":"Text1","text":"Fichier"})j",
        R"j({"event":"state","name":"Numero","value":1})j",
        R"j({"event":"state","name":"Option1(0)","caption":"01Fichier.jpg","value":true})j",
        R"j({"event":"state","name":"Text1","text":"IMG_0001"})j",
        R"j({"event":"state","name":"Text3","text":"    2 fichiers de type jpg"})j",
        R"j({"event":"state","name":"Text6","text":"   Fichiers sélectionnés = 2"})j",
        R"j({"event":"state","name":"Dir2","path":")j" + photos +
            R"j(","highlighted":-1,"entries":{)j",
    };
    ASSERT_GE(first.lines.size(), 15u);
    for (std::size_t i = 0; i + 1 < expected.size(); ++i)
        EXPECT_EQ(first.lines[i], expected[i]);
    EXPECT_EQ(first.lines[8].rfind(expected[8], 0), 0u) << first.lines[8];
    EXPECT_EQ(
        first.lines[9],
        R"j({"event":"state","name":"Option1(2)","caption":"IMG_0001(01).jpg","value":false})j");
    EXPECT_EQ(
        first.lines[10],
        R"j({"event":"state","name":"Combo3","text":"gif","entries":["jpg","gif","bmp","tif","mp3","*"]})j");
    EXPECT_EQ(first.lines[11],
              R"j({"event":"state","name":"Text3","text":"    1 fichiers de type gif"})j");
    EXPECT_EQ(first.lines[12],
              R"j({"event":"state","name":"Text4","text":"    1 fichiers de type gif"})j");
    EXPECT_EQ(first.lines[13], R"j({"event":"state","name":"Text1","text":"b"})j");
    EXPECT_EQ(first.lines[14],
              R"j({"event":"state","name":"File1","path":")j" + photos +
                  R"j(","pattern":"*.gif","rows":["b.gif"],"selected":[],"current":-1})j");
    EXPECT_TRUE(exists(config + "/quorvel.ini"));

    const ScenarioOutput second =
        runScenario(header() + "start\nshow Dir1 Text1 Text2 Numero Option1(0) Option1(3) "
                               "Option2(2) Combo1 Combo2\n");
    ASSERT_EQ(second.status, 0) << second.lines.back();
    ASSERT_EQ(second.lines.size(), 9u);
    EXPECT_NE(second.lines[0].find(R"j("path":")j" + photos + "\""), std::string::npos);
    EXPECT_EQ(second.lines[1], R"j({"event":"state","name":"Text1","text":"Noël"})j");
    EXPECT_EQ(second.lines[2], R"j({"event":"state","name":"Text2","text":"abc"})j");
    EXPECT_EQ(second.lines[3], R"j({"event":"state","name":"Numero","value":0})j");
    // Scheme 3 was saved, yet every start ends on scheme 0.
    EXPECT_NE(second.lines[4].find(R"j("value":true)j"), std::string::npos);
    EXPECT_NE(second.lines[5].find(R"j("value":false)j"), std::string::npos);
    EXPECT_EQ(second.lines[6],
              R"j({"event":"state","name":"Option2(2)","caption":"4 chiffres","value":true})j");
    EXPECT_NE(second.lines[7].find(R"j("text":"jpg")j"), std::string::npos);
    EXPECT_NE(second.lines[8].find(R"j("text":"1")j"), std::string::npos);
}

TEST_F(StartupScenarioTest, StoredValuesAreReadAsText) {
    std::ofstream(config + "/quorvel.ini")
        << "[Data]\nDir=" << photos << "\ndrv=/\nT1=\nT2=abc\nO1=3\nO2=2\n";
    const ScenarioOutput out =
        runScenario(header() + "start\nshow Text1 Text2 Numero Option1(0) Option2(2)\n");
    ASSERT_EQ(out.status, 0);
    ASSERT_EQ(out.lines.size(), 5u);
    EXPECT_EQ(out.lines[0], R"j({"event":"state","name":"Text1","text":""})j");
    EXPECT_EQ(out.lines[1], R"j({"event":"state","name":"Text2","text":"abc"})j");
    EXPECT_EQ(out.lines[2], R"j({"event":"state","name":"Numero","value":0})j");
    EXPECT_NE(out.lines[3].find(R"j("caption":"0000.jpg","value":true)j"), std::string::npos);
    EXPECT_NE(out.lines[4].find(R"j("value":true)j"), std::string::npos);
}

TEST_F(StartupScenarioTest, ScriptErrorsEndTheRunWithStatusTwo) {
    const ScenarioOutput unknown = runScenario(header() + "start\nfly Text1\n");
    EXPECT_EQ(unknown.status, 2);
    ASSERT_FALSE(unknown.lines.empty());
    EXPECT_EQ(unknown.lines.back().rfind(R"j({"event":"error","text":)j", 0), 0u);
    // A question with no queued answer.
    temp.file("Photos/a.jpg");
    const ScenarioOutput unanswered =
        runScenario(header() + "start\nopen Dir1 " + photos + "\nclick Comm1_7\n");
    EXPECT_EQ(unanswered.status, 2);
    EXPECT_EQ(unanswered.lines.back().rfind(R"j({"event":"error")j", 0), 0u);
}

TEST_F(StartupScenarioTest, NavigationAndHighlight) {
    temp.folder("Photos/2006");
    temp.folder("Photos/2007");
    const ScenarioOutput out = runScenario(header() + "start\nopen Dir1 " + photos +
                                           "\nhighlight Dir1 1\nshow Dir1\nclick Comm1_1\n"
                                           "show Dir1 Dir2\nclick Comm2_1\nshow Dir1 Dir2\n");
    ASSERT_EQ(out.status, 0) << out.lines.back();
    ASSERT_EQ(out.lines.size(), 5u);
    EXPECT_NE(out.lines[0].find(R"j("highlighted":1)j"), std::string::npos);
    EXPECT_NE(out.lines[0].find(R"j("0":")j" + photos + R"j(/2006","1":")j" + photos + "/2007\"}"),
              std::string::npos)
        << out.lines[0];
    EXPECT_NE(out.lines[1].find(R"j("path":")j" + photos + "/2006\""), std::string::npos);
    EXPECT_NE(out.lines[2].find(R"j("path":")j" + photos + "/2006\""), std::string::npos);
    EXPECT_NE(out.lines[3].find(R"j("path":")j" + photos + "/2006\""), std::string::npos);
    EXPECT_NE(out.lines[4].find(R"j("path":")j" + photos + "\""), std::string::npos);
}

} // namespace
} // namespace quorvel::test
