#pragma once

namespace quorvel {

class Form;
class FormWindow;
class MainWindow;

// What the program's own windows have beyond the generic form window: help on F1 in the
// main window; in the about box, the title in large bold letters and the program's icon as
// the pointer over the contact line. For QtToolkit::onWindowCreated.
void dressProgramWindow(MainWindow& window, Form& form, FormWindow& shown);

} // namespace quorvel
