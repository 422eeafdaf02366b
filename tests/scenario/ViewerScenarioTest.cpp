#include "support/Scenario.h"
#include "support/Window.h"

#include <cstdint>
#include <fstream>

namespace quorvel::test {
namespace {

// A real picture file that any decoder reads: a 24-bit BMP of the given size.
void writeBmp(const std::string& path, int width, int height) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(rowBytes * height);
    std::string bytes;
    const auto put = [&](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    bytes += "BM";
    put(54 + dataSize, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(static_cast<std::uint32_t>(width), 4);
    put(static_cast<std::uint32_t>(height), 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(dataSize, 4);
    put(2835, 4);
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    bytes.append(dataSize, '\x80');
    std::ofstream(path, std::ios::binary) << bytes;
}

class ViewerScenarioTest : public ScenarioTest {
protected:
    void SetUp() override {
        writeBmp(photos + "/a_wide.bmp", 40, 30);
        writeBmp(photos + "/b_tall.bmp", 30, 40);
        std::ofstream(photos + "/c_fake.bmp") << "not a picture";
        writeBmp(photos + "/d_square.bmp", 20, 20);
        writeBmp(photos + "/e_wide.bmp", 60, 40);
    }
    std::string header() const {
        return ScenarioTest::header() + "start\nopen Dir1 " + photos + "\npick Combo1 bmp\n";
    }
    static std::string image(const std::string& name, const std::string& picture, int left,
                             int width, int height, bool visible = true) {
        return R"({"event":"state","name":")" + name + R"(","picture":")" + picture +
               R"(","left":)" + std::to_string(left) + R"(,"width":)" + std::to_string(width) +
               R"(,"height":)" + std::to_string(height) + R"(,"visible":)" +
               (visible ? "true" : "false") + "}";
    }
    static std::string label(const std::string& name, const std::string& caption) {
        return R"({"event":"state","name":")" + name + R"(","caption":")" + caption +
               R"(","visible":true})";
    }

    std::string photos = temp.folder("photos");
};

TEST_F(ViewerScenarioTest, StripFromTheCurrentRowThenTheViewer) {
    const ScenarioOutput out =
        runScenario(header() + "toggle File1 b_tall.bmp\n"
                               "click Comm1_6\n"
                               "show TN(0) NomTN(0) TN(1) TN(2) NomTN(2) TN(3)\n"
                               "click TN(0)\n"
                               "show Form2 Image2\n"
                               "click TN(3)\n"
                               "show Image2\n"
                               "click Image2\n"
                               "show Form2\n");
    ASSERT_EQ(out.status, 2);
    const std::vector<std::string> expected = {
        image("TN(0)", photos + "/b_tall.bmp", 470, 980, 1305),
        label("NomTN(0)", "b_tall.bmp"),
        image("TN(1)", "", 330, 1740, 1305),
        image("TN(2)", photos + "/d_square.bmp", 330, 1740, 1305),
        label("NomTN(2)", "d_square.bmp"),
        image("TN(3)", photos + "/e_wide.bmp", 330, 1740, 1305),
        R"({"event":"state","name":"Form2","caption":"Visionner la photo"})",
        image("Image2", photos + "/b_tall.bmp", 4000, 7875, 10500),
        image("Image2", photos + "/e_wide.bmp", 400, 14000, 10500),
        R"({"event":"error","text":"unknown control: Form2"})",
    };
    std::vector<std::string> states = out.matching(R"("event":"state")");
    const std::vector<std::string> error = out.matching(R"("event":"error")");
    states.insert(states.end(), error.begin(), error.end());
    EXPECT_EQ(states, expected);
}

TEST_F(ViewerScenarioTest, ANonPictureKeepsItsNameAndTheViewerSaysWhy) {
    const ScenarioOutput out = runScenario(header() + "toggle File1 c_fake.bmp\n"
                                                      "click Comm1_6\n"
                                                      "show TN(0) NomTN(0) TN(3) NomTN(3)\n"
                                                      "click TN(0)\n"
                                                      "click TN(3)\n"
                                                      "close\n"
                                                      "click TN(1)\n"
                                                      "show Form2 Image2\n");
    ASSERT_EQ(out.status, 0) << out.lines.back();
    const std::vector<std::string> expected = {
        image("TN(0)", "", 330, 1740, 1305),
        label("NomTN(0)", "c_fake.bmp"),
        image("TN(3)", "", 330, 1740, 1305),
        label("NomTN(3)", ""),
        // No empty viewer is left open behind the message.
        R"({"event":"message","title":"Visionner la photo","icon":"error","buttons":"OK","text":"Impossible d'afficher c_fake.bmp : ce n'est pas une image que Quorvel sait lire."})",
        // The main window closed, the viewer opened from its strip stays.
        R"({"event":"state","name":"Form2","caption":"Visionner la photo"})",
        image("Image2", photos + "/d_square.bmp", 400, 14000, 10500),
    };
    std::vector<std::string> shown;
    for (const std::string& line : out.lines) {
        if (line.find(R"("event":"state")") != std::string::npos ||
            line.find(R"("event":"message")") != std::string::npos)
            shown.push_back(line);
    }
    EXPECT_EQ(shown, expected);
}

TEST_F(ViewerScenarioTest, OneAboutBoxWhoseContactLineOpensAMail) {
    const ScenarioOutput out = runScenario(header() + "click APropos\n"
                                                      "click APropos\n"
                                                      "show About About.Label1 About.Label5\n"
                                                      "click About.Label5\n"
                                                      "click CommandOK\n"
                                                      "show About\n");
    ASSERT_EQ(out.status, 2);
    const std::vector<std::string> expected = {
        R"({"event":"state","name":"About","caption":"A Propos de Quorvel"})",
        label("About.Label1", "Quorvel"),
        label("About.Label5", "contact@quorvel.example"),
        R"({"event":"shell","operation":"Open","document":"mailto:contact@quorvel.example"})",
        R"({"event":"error","text":"unknown control: About"})",
    };
    std::vector<std::string> shown;
    for (const std::string& line : out.lines) {
        if (line.find(R"("event":"state")") != std::string::npos ||
            line.find(R"("event":"shell")") != std::string::npos ||
            line.find(R"("event":"error")") != std::string::npos)
            shown.push_back(line);
    }
    EXPECT_EQ(shown, expected);
}

} // namespace
} // namespace quorvel::test
