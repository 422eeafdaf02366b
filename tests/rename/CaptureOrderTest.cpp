#include "app/OffsetDialog.h"
#include "platform/ExifSamples.h"
#include "preview/Preview.h"
#include "rename/CameraClock.h"
#include "undo/UndoTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace quorvel::test {
namespace {

using Names = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

TEST(CameraClock, OffsetsAsTypedAndDatesMovedOnTheCalendar) {
    EXPECT_EQ(parseOffset("+01:00:00"), 3600);
    EXPECT_EQ(parseOffset("-00:00:30"), -30);
    EXPECT_EQ(parseOffset(" +1 02:00:00 "), 93600);
    EXPECT_EQ(parseOffset(""), 0);
    for (const char* wrong : {"01:00:00", "+1:00:00", "+01:60:00", "+01:00", "+1 24:00:00",
                              "+01:00:00x", "++01:00:00", "+ 01:00:00", "1h"})
        EXPECT_EQ(parseOffset(wrong), std::nullopt) << wrong;
    for (const std::int64_t seconds : {0LL, 3600LL, -30LL, 93600LL, -86400LL * 400 - 1})
        EXPECT_EQ(parseOffset(offsetText(seconds)), seconds) << offsetText(seconds);
    EXPECT_EQ(offsetText(3600), "+01:00:00");
    EXPECT_EQ(offsetText(-93600), "-1 02:00:00");

    // Across a day, a leap day and a year, both ways.
    EXPECT_EQ(shifted({2024, 2, 28, 23, 30, 0}, 3600), (CaptureTime{2024, 2, 29, 0, 30, 0}));
    EXPECT_EQ(shifted({2024, 3, 1, 0, 0, 10}, -20), (CaptureTime{2024, 2, 29, 23, 59, 50}));
    EXPECT_EQ(shifted({2025, 12, 31, 23, 0, 0}, 7200), (CaptureTime{2026, 1, 1, 1, 0, 0}));
    EXPECT_LT(calendarSeconds({2026, 7, 14, 10, 5, 0}), calendarSeconds({2026, 7, 14, 10, 5, 1}));
}

// Photos written at test time by exiftool, as the cameras write them.
class CaptureOrderTest : public UndoWindowTest {
protected:
    struct Shot {
        std::string name;
        std::string make;
        std::string model;
        std::string taken; // EXIF text
    };
    static bool have(const char* tool) {
        return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
    }
    // One exiftool for every photo: a tiny JPEG copied under each name, then its tags.
    void shoot(const std::string& folder, const std::vector<Shot>& shots) {
        const std::string base = temp / "base.jpg";
        ASSERT_EQ(std::system(("convert -size 16x16 xc:blue '" + base + "'").c_str()), 0);
        const std::string jpeg = readFile(base);
        std::ofstream args(temp / "args");
        for (const Shot& shot : shots) {
            const std::string path = temp.file(folder + "/" + shot.name, jpeg);
            args << "-q\n-overwrite_original\n-EXIF:Make=" << shot.make
                 << "\n-EXIF:Model=" << shot.model << "\n-EXIF:DateTimeOriginal=" << shot.taken
                 << "\n"
                 << path << "\n-execute\n";
        }
        args.close();
        ASSERT_EQ(std::system(("exiftool -@ '" + (temp / "args") + "' >/dev/null").c_str()), 0);
    }
    void video(const std::string& relative, const std::string& creationDate) {
        testing::MovieLayout layout;
        layout.creationDate = creationDate;
        const testing::ByteVector bytes = testing::movieWith(layout);
        temp.file(relative, std::string(bytes.begin(), bytes.end()));
    }
    void setOffsets(std::map<std::string, std::int64_t> seconds) {
        auto offsets = std::make_shared<CameraOffsets>();
        offsets->seconds = std::move(seconds);
        window->captureOptions.offsets = std::move(offsets);
    }
    Rows preview() {
        const auto& liste = *static_cast<Table*>(window->preview().form()->find("Liste"));
        Rows out(static_cast<std::size_t>(liste.count()));
        for (int row = 0; row < liste.count(); ++row) {
            for (int column = 0; column < 3; ++column)
                out[static_cast<std::size_t>(row)].emplace_back(liste.cell(row, column));
        }
        return out;
    }
    void SetUp() override {
        for (const char* tool : {"convert", "exiftool"}) {
            if (!have(tool))
                GTEST_SKIP() << tool << " is missing: scripts/setup installs it";
        }
    }
};

TEST_F(CaptureOrderTest, TwoCamerasInterleavedNumberedInTheOrderTakenThenUndone) {
    const std::string folder = temp.folder("Vacances");
    // The camera's clock is an hour behind, the phone's half a minute ahead.
    shoot("Vacances", {{"IMG_0001.jpg", "Canon", "Canon EOS 5D", "2026:07:14 09:00:10"},
                       {"IMG_0002.jpg", "Canon", "Canon EOS 5D", "2026:07:14 09:05:00"},
                       {"IMG_0003.jpg", "Canon", "Canon EOS 5D", "2026:07:14 09:20:00"},
                       {"PXL_1.jpg", "Google", "Pixel 7", "2026:07:14 10:02:30"},
                       {"PXL_2.jpg", "Google", "Pixel 7", "2026:07:14 10:10:30"}});
    const std::string untouched = readFile(folder + "/IMG_0002.jpg");
    MainWindow& w = vacances(folder);
    w.mnuOrdre.click();
    EXPECT_TRUE(w.captureOptions.order);
    setOffsets({{"Canon EOS 5D", 3600}, {"Google Pixel 7", -30}});
    w.mnuApercu.click();
    EXPECT_EQ(preview(), (Rows{{"IMG_0001.jpg", "01_Vacances.jpg", "décalage +01:00:00"},
                               {"PXL_1.jpg", "03_Vacances.jpg", "décalage -00:00:30"},
                               {"IMG_0002.jpg", "05_Vacances.jpg", "décalage +01:00:00"},
                               {"PXL_2.jpg", "07_Vacances.jpg", "décalage -00:00:30"},
                               {"IMG_0003.jpg", "09_Vacances.jpg", "décalage +01:00:00"}}));
    // The list keeps its natural order.
    EXPECT_EQ(w.sourceFiles.rows(),
              (Names{"IMG_0001.jpg", "IMG_0002.jpg", "IMG_0003.jpg", "PXL_1.jpg", "PXL_2.jpg"}));

    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"5 fichiers ont été renommés sur les 5 présents."});
    EXPECT_EQ(readFile(folder + "/05_Vacances.jpg"), untouched);
    EXPECT_EQ(readFile(folder + "/03_Vacances.jpg").find("Pixel 7") != std::string::npos, true);

    undo();
    EXPECT_EQ(namesIn(folder),
              (Names{"IMG_0001.jpg", "IMG_0002.jpg", "IMG_0003.jpg", "PXL_1.jpg", "PXL_2.jpg"}));
    EXPECT_EQ(readFile(folder + "/IMG_0002.jpg"), untouched);
}

TEST_F(CaptureOrderTest, ABurstOfFiveInOneSecondGetsItsSuffixesInNameOrder) {
    const std::string folder = temp.folder("f");
    std::vector<Shot> burst;
    for (const char* name : {"B5.jpg", "B1.jpg", "B10.jpg", "B2.jpg", "B3.jpg"})
        burst.push_back({name, "Canon", "Canon EOS 5D", "2026:07:14 15:30:12"});
    burst.push_back({"A.jpg", "Canon", "Canon EOS 5D", "2026:07:14 15:30:11"});
    shoot("f", burst);
    // A file outside the batch holds the third name: still a collision.
    temp.file("f/2026_07_14_153012_3.jpg");
    MainWindow& w = start();
    openSource(folder);
    w.schemeOptions[3]->click();
    w.mnuExif.click();
    w.mnuSeconde.click();
    for (const char* name : {"A.jpg", "B1.jpg", "B2.jpg", "B3.jpg", "B5.jpg", "B10.jpg"})
        w.sourceFiles.toggle(w.sourceFiles.indexOf(name));
    w.mnuApercu.click();
    EXPECT_EQ(preview(), (Rows{{"A.jpg", "2026_07_14_153011.jpg", ""},
                               {"B1.jpg", "2026_07_14_153012_1.jpg", ""},
                               {"B2.jpg", "2026_07_14_153012_2.jpg", ""},
                               {"B3.jpg", "2026_07_14_153012_3.jpg", "existe déjà"},
                               {"B5.jpg", "2026_07_14_153012_4.jpg", ""},
                               {"B10.jpg", "2026_07_14_153012_5.jpg", ""}}));
    w.noWarningBox.setValue(true);
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"5 fichiers ont été renommés sur les 7 présents."});
    EXPECT_EQ(namesIn(folder),
              (Names{"2026_07_14_153011.jpg", "2026_07_14_153012_1.jpg", "2026_07_14_153012_2.jpg",
                     "2026_07_14_153012_3.jpg", "2026_07_14_153012_4.jpg",
                     "2026_07_14_153012_5.jpg", "B3.jpg"}));
    undo();
    EXPECT_EQ(namesIn(folder), (Names{"2026_07_14_153012_3.jpg", "A.jpg", "B1.jpg", "B10.jpg",
                                      "B2.jpg", "B3.jpg", "B5.jpg"}));

    // Unticked, the burst stops on the name taken, as before.
    w.mnuSeconde.click();
    const Rows rows = preview();
    const auto b2 =
        std::find_if(rows.begin(), rows.end(), [](const auto& row) { return row[0] == "B2.jpg"; });
    ASSERT_NE(b2, rows.end());
    EXPECT_EQ(*b2, (std::vector<std::string>{"B2.jpg", "2026_07_14_153012.jpg", "existe déjà"}));
}

TEST_F(CaptureOrderTest, AVideoAndAPhotoOfTheSameMinuteAndTheFilesWithoutADate) {
    const std::string folder = temp.folder("f");
    shoot("f", {{"IMG_1.jpg", "Apple", "iPhone 15", "2026:07:14 15:30:12"}});
    video("f/IMG_2.mp4", "2026-07-14T15:30:40+0200");
    // A video with no date of its own keeps its file date.
    temp.file("f/IMG_3.mp4", localTime(2026, 7, 14, 15, 30, 20), "no box at all");
    MainWindow& w = start();
    openSource(folder);
    w.schemeOptions[3]->click();
    w.mnuExif.click();
    w.renameButton.click();
    w.sourceType.addItem("mp4");
    w.sourceType.pick("mp4");
    w.mnuOrdre.click();
    w.schemeOptions[4]->click();
    w.mnuApercu.click();
    EXPECT_EQ(preview(), (Rows{{"IMG_3.mp4", "01_2026_07_14_153020.mp4", ""},
                               {"IMG_2.mp4", "02_2026_07_14_153040.mp4", ""}}));
    w.renameButton.click();
    EXPECT_EQ(namesIn(folder), (Names{"01_2026_07_14_153020.mp4", "02_2026_07_14_153040.mp4",
                                      "2026_07_14_153012.jpg"}));
}

TEST_F(CaptureOrderTest, TheDialogListsTheCamerasAndRefusesAWrongOffset) {
    const std::string folder = temp.folder("f");
    shoot("f", {{"b.jpg", "NIKON", "D750", "2026:07:14 10:00:00"},
                {"a.jpg", "Canon", "Canon EOS 5D", "2026:07:14 10:00:00"},
                {"c.jpg", "Canon", "Canon EOS 5D", "2026:07:14 11:00:00"}});
    temp.file("f/d.jpg", "no photo");
    const std::string before = readFile(folder + "/a.jpg");
    settings.seed("quorvel", "Decalage", "Sony", "+00:10:00");
    settings.seed("quorvel", "Decalage", "Broken", "an hour");
    MainWindow& w = start();
    openSource(folder);
    EXPECT_EQ(w.captureOptions.offsets->seconds,
              (std::map<std::string, std::int64_t>{{"Sony", 600}}));
    w.mnuDecalage.click();
    const auto at = [&w](const std::string& name) { return w.findControl("Decalage." + name); };
    ASSERT_NE(at("OK"), nullptr);
    EXPECT_EQ(w.findControl("Decalage")->caption(), "Décaler l'heure des appareils");
    EXPECT_EQ(at("Appareil(0)")->caption(), "Canon EOS 5D");
    EXPECT_EQ(at("Appareil(1)")->caption(), "NIKON D750");
    EXPECT_EQ(at("Appareil(2)")->caption(), "Sans appareil");
    EXPECT_EQ(at("Appareil(3)"), nullptr);
    EXPECT_EQ(static_cast<TextBox*>(at("Valeur(0)"))->text(), "+00:00:00");

    static_cast<TextBox*>(at("Valeur(0)"))->setText("+1 02:00:00");
    static_cast<TextBox*>(at("Valeur(1)"))->setText("1:00");
    at("OK")->click();
    EXPECT_EQ(texts(), Names{"Le décalage doit s'écrire +HH:MM:SS ou -HH:MM:SS."});
    EXPECT_EQ(w.captureOptions.offsets->of("Canon EOS 5D"), 0);
    static_cast<TextBox*>(at("Valeur(1)"))->setText("-00:00:05");
    at("OK")->click();
    EXPECT_EQ(w.findControl("Decalage"), nullptr);
    EXPECT_EQ(w.captureOptions.offsets->of("Canon EOS 5D"), 93600);
    EXPECT_EQ(w.captureOptions.offsets->of("NIKON D750"), -5);

    // Annuler and the close box keep what was there.
    w.mnuDecalage.click();
    static_cast<TextBox*>(at("Valeur(0)"))->setText("+00:00:00");
    at("Annuler")->click();
    w.mnuDecalage.click();
    EXPECT_EQ(static_cast<TextBox*>(at("Valeur(0)"))->text(), "+1 02:00:00");
    w.offsetDialog().form()->onClose();
    EXPECT_EQ(w.findControl("Decalage"), nullptr);

    w.mnuOrdre.click();
    w.mnuSeconde.click();
    w.close();
    for (const auto& [key, value] : {std::pair{"Canon EOS 5D", "+1 02:00:00"},
                                     {"NIKON D750", "-00:00:05"},
                                     {"Sans appareil", "+00:00:00"},
                                     {"Sony", "+00:10:00"}})
        EXPECT_EQ(settings.read("quorvel", "Decalage", key), value) << key;
    EXPECT_EQ(settings.read("quorvel", "Options", "Ordre"), "1");
    EXPECT_EQ(settings.read("quorvel", "Options", "Seconde"), "1");
    EXPECT_EQ(readFile(folder + "/a.jpg"), before);

    MainWindow& again = restart();
    EXPECT_TRUE(again.mnuOrdre.checked());
    EXPECT_TRUE(again.mnuSeconde.checked());
    EXPECT_EQ(again.captureOptions.offsets->of("Canon EOS 5D"), 93600);
}

} // namespace
} // namespace quorvel::test
