#include "support/Scenario.h"
#include "support/Window.h"

namespace quorvel::test {
namespace {

std::string header(const TempFolder& temp) {
    return "config " + temp.folder("config") + "\nprogram " + temp.folder("program") +
           "\nstart\nopen Dir1 " + temp.path() + "/Photos\n";
}

TEST(FolderScenarioTest, CreateRenameAndDeleteAFolder) {
    TempFolder temp;
    temp.file("Photos/a.jpg");
    const std::string photos = temp / "Photos";
    const ScenarioOutput out = runScenario(header(temp) + "answer Vacances\n"
                                                          "click Comm1_2\n"
                                                          "show Dir1 Dir2\n"
                                                          "answer Été\n"
                                                          "answer-yes\n"
                                                          "click Comm2_3\n"
                                                          "show Dir1 Dir2\n"
                                                          "answer-yes\n"
                                                          "click Comm1_5\n"
                                                          "show Dir1 Dir2\n");
    ASSERT_EQ(out.status, 0) << (out.lines.empty() ? "" : out.lines.back());
    EXPECT_EQ(out.matching(R"("event":"input","title":"Création","prompt":"Nom du nouveau )"
                           R"(répertoire:","default":"","answer":"Vacances")")
                  .size(),
              1u);
    EXPECT_EQ(out.matching(R"("name":"Dir2","path":")" + photos + R"(/Vacances")").size(), 1u);
    EXPECT_EQ(out.matching(R"("title":" Renommer le répertoire?","icon":"question",)"
                           R"("text":"Renommer définitivement :\r\nVacances\r\nen\r\nÉté")")
                  .size(),
              1u);
    EXPECT_EQ(out.matching(R"("name":"Dir1","path":")" + photos + R"(/Été")").size(), 1u);
    EXPECT_EQ(out.matching(R"("text":"Effacer définitivement le répertoire :\r\nÉté")").size(), 1u);
    EXPECT_EQ(out.matching(R"("name":"Dir1","path":")" + photos + R"(","highlighted")").size(), 1u);
    EXPECT_EQ(out.matching(R"("name":"Dir2","path":")" + photos + R"(","highlighted")").size(), 1u);
    EXPECT_FALSE(exists(photos + "/Été"));
    EXPECT_TRUE(exists(photos + "/a.jpg"));
}

TEST(FolderScenarioTest, AnEmptyAnswerIsRefused) {
    TempFolder temp;
    temp.folder("Photos");
    const ScenarioOutput out = runScenario(header(temp) + "answer\nclick Comm2_2\n");
    ASSERT_EQ(out.status, 0);
    EXPECT_EQ(out.matching(R"("title":"Créer un nouveau répertoire","icon":"error",)"
                           R"("buttons":"OK","text":"Le répertoire n'est pas défini")")
                  .size(),
              1u);
}

} // namespace
} // namespace quorvel::test
