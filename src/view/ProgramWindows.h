#pragma once

namespace quorvel {

class Form;
class FormWindow;

// What the program's own windows have beyond the generic form window: in the about box,
// the title in large bold letters and the program's icon as the pointer over the contact
// line; the main window grows. For QtFormHost::onWindowCreated.
void dressProgramWindow(Form& form, FormWindow& shown);

} // namespace quorvel
