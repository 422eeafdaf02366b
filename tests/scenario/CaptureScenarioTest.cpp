#include "platform/ExifSamples.h"
#include "support/Scenario.h"
#include "support/Window.h"

namespace quorvel::test {
namespace {

class CaptureScenarioTest : public ScenarioTest {
protected:
    void photo(const std::string& relative, const std::string& taken, const std::string& make,
               const std::string& model) {
        const testing::ByteVector bytes =
            testing::jpegWith(testing::tiffBlock({true, taken, {}, false, 42, "", 0}, make, model));
        temp.file(relative, std::string(bytes.begin(), bytes.end()));
    }
};

// The offsets' box driven as a user would, its refusal, the order it gives the preview, and
// the offsets found again at the next start.
TEST_F(CaptureScenarioTest, OffsetsTypedInTheirBoxOrderThePreviewAndAreKept) {
    const std::string photos = temp.folder("Photos");
    photo("Photos/IMG_1.jpg", "2026:07:14 10:00:00", "Canon", "Canon EOS 5D");
    photo("Photos/IMG_2.jpg", "2026:07:14 10:30:00", "NIKON", "D750");
    const ScenarioOutput out =
        runScenario(header() + "start\nopen Dir1 " + photos +
                    "\nclick mnuOrdre\nshow mnuOrdre\nclick mnuDecalage\n"
                    "show Decalage Decalage.Appareil(1) Decalage.Valeur(1) Decalage.Appareil(2)\n"
                    "type Decalage.Valeur(1) une heure\nclick Decalage.OK\n"
                    "type Decalage.Valeur(1) -01:00:00\nclick Decalage.OK\n"
                    "click mnuApercu\nshow Apercu.Liste\nclose Apercu\nclick mnuDecalage\n"
                    "close Decalage\nclose\n");
    ASSERT_EQ(out.status, 0) << (out.lines.empty() ? "" : out.lines.back());
    const std::vector<std::string> expected = {
        R"j({"event":"state","name":"mnuOrdre","caption":"Numéroter dans l'ordre de prise de vue","enabled":true,"checked":true})j",
        R"j({"event":"state","name":"Decalage","caption":"Décaler l'heure des appareils"})j",
        R"j({"event":"state","name":"Decalage.Appareil(1)","caption":"NIKON D750","visible":true})j",
        R"j({"event":"state","name":"Decalage.Valeur(1)","text":"+00:00:00"})j",
        R"j({"event":"state","name":"Decalage.Appareil(2)","caption":"Sans appareil","visible":true})j",
        R"j({"event":"message","title":"Décaler l'heure des appareils","icon":"error","buttons":"OK","text":"Le décalage doit s'écrire +HH:MM:SS ou -HH:MM:SS."})j"};
    ASSERT_EQ(out.lines.size(), expected.size() + 1);
    EXPECT_EQ(std::vector<std::string>(out.lines.begin(), out.lines.begin() + 6), expected);
    EXPECT_EQ(
        out.lines[6].rfind(R"j({"event":"state","name":"Apercu.Liste","rows":[["IMG_2.jpg",)j", 0),
        0u)
        << out.lines[6];
    EXPECT_NE(out.lines[6].find("décalage -01:00:00"), std::string::npos) << out.lines[6];
}

TEST_F(CaptureScenarioTest, ThePreviewFollowsTheOffsetAndTheNextStartKeepsIt) {
    const std::string photos = temp.folder("Photos");
    photo("Photos/IMG_1.jpg", "2026:07:14 10:00:00", "Canon", "Canon EOS 5D");
    photo("Photos/IMG_2.jpg", "2026:07:14 10:30:00", "NIKON", "D750");
    const std::string script = header() + "start\nopen Dir1 " + photos +
                               "\nclick Option1(3)\nclick mnuExif\nclick mnuApercu\n"
                               "click mnuOrdre\nclick mnuDecalage\n"
                               "type Decalage.Valeur(1) -01:00:00\nclick Decalage.OK\n"
                               "show Apercu.Liste\nclose\n";
    const ScenarioOutput out = runScenario(script);
    ASSERT_EQ(out.status, 0) << (out.lines.empty() ? "" : out.lines.back());
    ASSERT_EQ(out.lines.size(), 1u);
    EXPECT_EQ(
        out.lines[0],
        R"j({"event":"state","name":"Apercu.Liste","rows":[["IMG_2.jpg","2026_07_14_093000.jpg","décalage -01:00:00"],["IMG_1.jpg","2026_07_14_100000.jpg",""]]})j");
    const std::string ini = readFile(config + "/quorvel.ini");
    EXPECT_NE(ini.find("Ordre=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Decalage]"), std::string::npos) << ini;

    const ScenarioOutput again = runScenario(
        header() + "start\nshow mnuOrdre\nclick mnuDecalage\nshow Decalage.Valeur(1)\n");
    ASSERT_EQ(again.status, 0) << (again.lines.empty() ? "" : again.lines.back());
    ASSERT_EQ(again.lines.size(), 2u);
    EXPECT_NE(again.lines[0].find(R"("checked":true)"), std::string::npos) << again.lines[0];
    EXPECT_EQ(again.lines[1],
              R"j({"event":"state","name":"Decalage.Valeur(1)","text":"-01:00:00"})j");
}

} // namespace
} // namespace quorvel::test
