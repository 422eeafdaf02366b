#include "rename/NameComposer.h"

#include "support/Window.h"

#include <cstdlib>
#include <ctime>

namespace quorvel::test {
namespace {

class NameComposerTest : public WindowTest {};

TEST_F(NameComposerTest, SamplesShowTheFiveSchemes) {
    MainWindow& w = start();
    w.genericName.setText("_Fichier");
    EXPECT_EQ(w.schemeOptions[0]->caption(), "01_Fichier.jpg");
    EXPECT_EQ(w.schemeOptions[1]->caption(), "_Fichier01.jpg");
    EXPECT_EQ(w.schemeOptions[2]->caption(), "_Fichier(01).jpg");
    EXPECT_EQ(w.schemeOptions[3]->caption(), "2007_01_15_143005.jpg");
    EXPECT_EQ(w.schemeOptions[4]->caption(), "01_2007_01_15_143005.jpg");
    // The samples keep the time of their last refresh.
    clock.time += 60;
    EXPECT_EQ(w.schemeOptions[3]->caption(), "2007_01_15_143005.jpg");
    w.startIndex.setText("123");
    EXPECT_EQ(w.composer().variables().startNumber, 123);
    EXPECT_EQ(w.schemeOptions[0]->caption(), "123_Fichier.jpg");
    EXPECT_EQ(w.schemeOptions[3]->caption(), "2007_01_15_143105.jpg");
    w.startIndex.setText("");
    EXPECT_EQ(w.schemeOptions[1]->caption(), "_Fichier00.jpg");
    w.digitOptions[2]->click();
    EXPECT_EQ(w.digitsGroup.tag(), "2");
    EXPECT_EQ(w.schemeOptions[1]->caption(), "_Fichier0000.jpg");
    w.targetType.setText("");
    w.schemeOptions[4]->click();
    EXPECT_EQ(w.renamePanel.tag(), "4");
    EXPECT_EQ(w.schemeOptions[0]->caption(), "0000_Fichier.");
}

TEST_F(NameComposerTest, OutOfRangeStartNumberIsKeptAsTyped) {
    MainWindow& w = start();
    w.startIndex.setText("40000");
    EXPECT_EQ(w.startIndex.text(), "40000");
    EXPECT_EQ(w.composer().variables().startNumber, 40000);
    EXPECT_EQ(w.schemeOptions[0]->caption(), "40000Fichier.jpg");
}

TEST_F(NameComposerTest, IncrementPickReappliesTheWidth) {
    const std::string folder = temp.folder("f");
    for (int i = 0; i < 50; ++i)
        temp.file("f/p" + std::to_string(i) + ".jpg");
    MainWindow& w = start();
    openSource(folder);
    EXPECT_EQ(w.composer().selectedDigits(), 2);
    // Typing alone changes nothing.
    w.stepBox.setText("2");
    EXPECT_EQ(w.composer().variables().increment, 1);
    EXPECT_EQ(w.composer().selectedDigits(), 2);
    w.stepBox.pick("2");
    EXPECT_EQ(w.composer().variables().increment, 2);
    EXPECT_EQ(w.composer().selectedDigits(), 3);
    // A width chosen by hand stays until the next pick.
    w.digitOptions[0]->click();
    w.startIndex.setText("5");
    EXPECT_EQ(w.composer().selectedDigits(), 2);
}

TEST(NumberText, PadsButNeverCuts) {
    EXPECT_EQ(NameComposer::numberText(0, 2), "00");
    EXPECT_EQ(NameComposer::numberText(7, 3), "007");
    EXPECT_EQ(NameComposer::numberText(123, 2), "123");
    EXPECT_EQ(NameComposer::numberText(123, 4), "0123");
    EXPECT_EQ(NameComposer::numberText(12345, 4), "12345");
    EXPECT_EQ(NameComposer::numberText(-7, 2), "-07");
    EXPECT_EQ(NameComposer::numberText(-7, 4), "-0007");
    EXPECT_EQ(NameComposer::numberText(-32768, 2), "-32768");
}

TEST(ComposeName, RunPutsABlankBeforeTheParenthesis) {
    EXPECT_EQ(
        NameComposer::composeName(Scheme::NumberInParentheses, "_Fichier", "01", "", "jpg", true),
        "_Fichier (01).jpg");
    EXPECT_EQ(
        NameComposer::composeName(Scheme::NumberInParentheses, "_Fichier", "01", "", "jpg", false),
        "_Fichier(01).jpg");
    EXPECT_EQ(NameComposer::composeName(Scheme::NumberThenTimeStamp, "x", "05", "2007_01_15_143005",
                                        "bmp", true),
              "05_2007_01_15_143005.bmp");
    EXPECT_EQ(NameComposer::timeStamp(localTime(2007, 1, 15, 14, 30, 5)), "2007_01_15_143005");
    EXPECT_EQ(NameComposer::timeStamp(localTime(1999, 12, 31, 0, 0, 9)), "1999_12_31_000009");
}

} // namespace
} // namespace quorvel::test

namespace quorvel::test {
namespace {

// The time stamps of a run come from one conversion per quarter hour: they must agree
// with a conversion of every second, across a change to summer time and in a zone whose
// offset is not a whole hour.
TEST(TimeStamp, AgreesWithTheLocalTimeOfEverySecond) {
    const char* saved = std::getenv("TZ");
    const std::string before = saved == nullptr ? "" : saved;
    // 2007-03-25 01:00 UTC, when Paris moved to summer time. Each zone gets hours of its
    // own: a process keeps one zone, and so does the cache.
    const std::time_t change = 1174784400;
    const char* const zones[] = {"Europe/Paris", "Asia/Kathmandu", "America/St_Johns"};
    for (int day = 0; day < 3; ++day) {
        const char* zone = zones[day];
        ::setenv("TZ", zone, 1);
        ::tzset();
        const std::time_t around = change + day * 86400;
        for (std::time_t t = around - 7200; t < around + 7200; t += 37) {
            char expected[32];
            std::strftime(expected, sizeof expected, "%Y_%m_%d_%H%M%S", std::localtime(&t));
            ASSERT_EQ(NameComposer::timeStamp(t), expected) << zone << " at " << t;
        }
    }
    if (saved == nullptr)
        ::unsetenv("TZ");
    else
        ::setenv("TZ", before.c_str(), 1);
    ::tzset();
}

} // namespace
} // namespace quorvel::test
