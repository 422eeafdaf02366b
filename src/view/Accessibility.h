#pragma once

class QComboBox;
class QWidget;

namespace quorvel {

// What assistive technology is told of some widgets beyond what Qt tells of them. Each must
// be called on a widget just made, before anything asked about it.

// A top-level window is a frame, or a dialog once `isDialog` says so: not a filler.
void describeWindow(QWidget& window, bool (*isDialog)(const QWidget&));

// A combo box is named by its accessible name (its label), not by the text it holds; the
// text stays its value.
void nameByLabel(QComboBox& combo);

// A picture the user may click or open from the keyboard: a graphic, named by the widget's
// accessible name.
void describePicture(QWidget& picture);

} // namespace quorvel
