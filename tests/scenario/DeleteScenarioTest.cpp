#include "support/Scenario.h"
#include "support/Window.h"

namespace quorvel::test {
namespace {

TEST(DeleteScenarioTest, DeletesTheSelectedFilesAskingForEach) {
    TempFolder temp;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        temp.file(std::string("Photos/") + name);
    const std::string photos = temp / "Photos";
    const ScenarioOutput out = runScenario("config " + temp.folder("config") + "\nprogram " +
                                           temp.folder("program") + "\nstart\nopen Dir1 " + photos +
                                           "\ntoggle File1 a.jpg\ntoggle File1 c.jpg\n"
                                           "answer-yes\nanswer-no\nclick Comm1_4\n"
                                           "show Text6 Text3 Text4\n");
    ASSERT_EQ(out.status, 0) << (out.lines.empty() ? "" : out.lines.back());
    EXPECT_EQ(out.matching(R"("event":"beep")").size(), 6u);
    EXPECT_EQ(out.matching(R"("title":" Effacer le fichiers?","icon":"question",)"
                           R"("text":"Effacer définitivement :\r\na.jpg","answer":"yes")")
                  .size(),
              1u);
    EXPECT_EQ(out.matching(R"("text":"Effacer définitivement :\r\nc.jpg","answer":"no")").size(),
              1u);
    EXPECT_EQ(out.matching(R"("name":"Text6","text":"   Fichiers effacés = 1 sur 2")").size(), 1u);
    EXPECT_EQ(out.matching(R"("name":"Text4","text":"    2 fichiers de type jpg")").size(), 1u);
    EXPECT_EQ(namesIn(photos), (std::vector<std::string>{"b.jpg", "c.jpg"}));
}

} // namespace
} // namespace quorvel::test
