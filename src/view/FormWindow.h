#pragma once

#include "controls/Controls.h"

#include <QCursor>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class QMenuBar;
class QStyle;

namespace quorvel {

// The real window of any model form: one widget per control, mirrored live. Every input
// goes to the control's own setters and handlers; the window decides nothing itself.
class FormWindow : public QWidget {
public:
    explicit FormWindow(Form& form);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    // The widget of a control, or nullptr once the form has been let go.
    QWidget* widgetOf(const std::string& name) const;
    // Twips to pixels on this screen.
    int pixels(int twips) const;

    void setControlCursor(const std::string& name, const QCursor& cursor);
    // A control's own font, in place of the window's small one; a label still narrows it
    // to keep a one-line caption whole.
    void setControlFont(const std::string& name, const QFont& font);
    // A status line under the client area, where progress shows without covering a
    // control; the window grows by its height.
    void addStatusArea();
    // Progress in the status line, repainted at once; empty text clears it.
    void showProgress(const QString& text);
    // Escape closes the window, as the close box does.
    void setClosesOnEscape(bool closes) { closesOnEscape_ = closes; }
    // Stops mirroring the form, which may go away now; the window only waits to close.
    void detach();
    // The form's menu bar, or nullptr when it has no menu.
    QMenuBar* menuBar() const { return menuBar_; }
    // The window may be resized from its form's size up: its tables grow with it and what
    // lies below them follows the bottom edge.
    void makeResizable();
    // The window may be enlarged from its form's size: its panes, their lists and its strip
    // of pictures take the room, every other control keeps its size.
    void makeStretchable();
    // A window over the main one is a dialog to assistive technology; the main one a frame.
    void setDialog(bool dialog) { dialog_ = dialog; }
    bool isDialog() const { return dialog_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    using Refresh = std::function<void(Change)>;

    QWidget* build(Control& control);
    void buildMenuBar();
    void bindMenu(Menu& menu);
    void bindMenuItem(MenuItem& item, QMenu* menu);
    void watch(Control& control, const Refresh& mirror);
    QWidget* parentFor(const Control& control);
    using Binder = Refresh (FormWindow::*)(Control& control, QWidget*& widget, QWidget* parent);
    static const std::map<ControlKind, Binder>& binders();
    // The binders, in files by the kinds they bind: what shows (frames, labels, pictures),
    // what takes input (boxes, options, buttons) and the lists.
    Refresh bindFrame(Control& control, QWidget*& widget, QWidget* parent);
    Refresh bindLabel(Control& control, QWidget*& widget, QWidget* parent);
    Refresh bindTextBox(Control& control, QWidget*& widget, QWidget* parent);
    Refresh bindComboBox(Control& control, QWidget*& widget, QWidget* parent);
    Refresh bindOptionButton(Control& control, QWidget*& widget, QWidget* parent);
    Refresh bindCheckBox(Control& control, QWidget*& widget, QWidget* parent);
    Refresh bindCommandButton(Control& control, QWidget*& widget, QWidget* parent);
    Refresh bindPictureButton(Control& control, QWidget*& widget, QWidget* parent);
    Refresh bindImage(Control& control, QWidget*& widget, QWidget* parent);
    Refresh bindDriveList(Control& control, QWidget*& widget, QWidget* parent);
    Refresh bindFolderList(Control& control, QWidget*& widget, QWidget* parent);
    Refresh bindFileList(Control& control, QWidget*& widget, QWidget* parent);
    Refresh bindTable(Control& control, QWidget*& widget, QWidget* parent);
    // Where a control sits: its own place, and in a resizable window, moved and stretched
    // with the window's growth.
    QRect placed(const Control& control) const;
    // Where each control sits in a stretchable window of the client area's present size.
    std::map<const Control*, QRect> stretchedPlaces() const;
    void layOutClient();
    void mirrorCommon(const Control& control, QWidget* widget);
    void layOut();
    // A panel that comes up takes the focus to its button; when it goes, the focus goes
    // back where it was.
    void panelShown(QWidget* panel, bool shown, bool hadFocus);
    void orderTabs();
    // Each pane opens a folder dropped on it; the source pane also takes files.
    void takePaneDrops();
    // A key the form itself answers, named as in a shortcut ("Left", "PgDown", "Home").
    bool takenByForm(const QKeyEvent& event);
    void nameBoxes();
    void fitCaptions();
    // The label that names a box: the caption of the labels stacked just above it.
    const Control* labelAbove(const Control& box) const;
    // Runs a user's input only while the form is there.
    std::function<void()> guarded(std::function<void()> input);

    Form* form_;
    double scale_;
    std::map<const Control*, QWidget*> widgets_;
    std::map<const Control*, Refresh> mirrors_;
    std::map<const Control*, QFont> fonts_;
    std::vector<std::pair<Control*, int>> subscriptions_;
    std::vector<std::function<void()>> releases_;
    QStyle* frameStyle_;
    // Holds the controls below the menu bar, so that their places stay those of the form.
    QWidget* client_;
    QMenuBar* menuBar_ = nullptr;
    QLabel* progress_ = nullptr;
    QPointer<QWidget> focusBeforePanel_;
    bool closesOnEscape_ = false;
    bool resizable_ = false;
    bool stretches_ = false;
    bool dialog_ = false;
};

} // namespace quorvel
