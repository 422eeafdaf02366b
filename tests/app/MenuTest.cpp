#include "app/AboutBox.h"
#include "support/Window.h"

#include <algorithm>

namespace quorvel::test {
namespace {

class MenuTest : public WindowTest {};

TEST_F(MenuTest, TheMainWindowsMenusHoldTheirItemsWithAccessKeysAndShortcuts) {
    MainWindow& w = start();
    const auto items = [](const Menu& menu) {
        std::vector<std::string> names;
        for (const Control* child : menu.children())
            names.push_back(child->name() + " " + child->caption() + " " +
                            static_cast<const MenuItem*>(child)->shortcut());
        return names;
    };
    EXPECT_EQ(w.mnuFichier.caption(), "&Fichier");
    EXPECT_EQ(items(w.mnuFichier), (std::vector<std::string>{"mnuApercu Aperçu du lot F5",
                                                             "mnuQuitter Quitter Ctrl+Q"}));
    EXPECT_EQ(w.mnuEdition.caption(), "&Édition");
    EXPECT_EQ(items(w.mnuEdition),
              (std::vector<std::string>{"mnuAnnuler Annuler le dernier lot Ctrl+Z"}));
    EXPECT_EQ(w.mnuOptions.caption(), "&Options");
    EXPECT_EQ(items(w.mnuOptions),
              (std::vector<std::string>{
                  "mnuExif Dater les photos par leur prise de vue ",
                  "mnuOrdre Numéroter dans l'ordre de prise de vue ",
                  "mnuDecalage Décaler l'heure des appareils… ",
                  "mnuSeconde Départager les photos prises dans la même seconde "}));
    EXPECT_TRUE(w.mnuOrdre.checkable() && w.mnuSeconde.checkable());
    EXPECT_FALSE(w.mnuDecalage.checkable() || w.mnuOrdre.checked() || w.mnuSeconde.checked());
    EXPECT_EQ(w.mnuAide.caption(), "&Aide");
    EXPECT_EQ(items(w.mnuAide),
              (std::vector<std::string>{"mnuAideF1 Aide F1", "mnuAPropos A Propos "}));
    EXPECT_EQ(w.findControl("mnuAPropos"), &w.mnuAPropos);
    // The client area keeps its size: the bar lies above it.
    EXPECT_EQ(w.form.geometry().width, 13380);
    EXPECT_EQ(w.form.geometry().height, 7065);
}

TEST_F(MenuTest, ItemsDoWhatTheirButtonsAndKeysDo) {
    MainWindow& w = start();
    w.mnuAideF1.click();
    ASSERT_EQ(shell.calls().size(), 1u);
    EXPECT_EQ(shell.calls()[0].operation, "Help");
    EXPECT_EQ(shell.calls()[0].document, programFolder + "/Quorvel.chm");

    w.mnuAPropos.click();
    ASSERT_NE(w.about().form(), nullptr);
    w.about().close();

    w.genericName.setText("Noël");
    w.mnuQuitter.click();
    EXPECT_TRUE(w.closed());
    // The six keys of Data and the three options; no camera has an offset yet.
    EXPECT_EQ(settings.writtenPairs().size(), 9u);
    EXPECT_TRUE(toolkit.openForms().empty());
    EXPECT_TRUE(toolkit.events().empty());
}

TEST_F(MenuTest, AGreyedItemIgnoresClicksAndACheckableOneTurnsItsTickOver) {
    Form form("Form1", 3000, 2000);
    Menu& menu = form.add<Menu>("mnuOptions", &form, "&Options");
    MenuItem& item = form.add<MenuItem>("mnuExif", &menu, "Dater");
    int changes = 0;
    item.subscribe([&](Change) { ++changes; });
    std::vector<bool> seen;
    item.onClick = [&] { seen.push_back(item.checked()); };

    item.setCheckable(true);
    item.click();
    item.click();
    // The reaction sees the tick as the click left it.
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));

    item.setEnabled(false);
    item.click();
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_FALSE(item.checked());

    // From code the tick changes alone, and the view hears of every change.
    changes = 0;
    item.setChecked(true);
    item.setEnabled(true);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(changes, 2);
}

} // namespace
} // namespace quorvel::test
