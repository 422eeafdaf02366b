#pragma once

#include <QRect>
#include <QSize>
#include <functional>
#include <map>

namespace quorvel {

class Control;

// Places the controls of a window drawn larger than it was designed: the panes that hold
// lists or pictures share the extra width and take the extra height, their lists grow and
// what lies under a list follows it down, a strip of pictures scales up as a whole. Every
// other control keeps its designed size. Places are in pixels of each control's container.
class StretchLayout {
public:
    // `designed` gives a control's designed place in pixels of its container.
    using Designed = std::function<QRect(const Control&)>;

    // Every control of `form`, for a client area `extra` pixels larger than designed.
    static std::map<const Control*, QRect> place(const Control& form, const Designed& designed,
                                                 QSize extra);

private:
    StretchLayout(const Designed& designed, std::map<const Control*, QRect>& out)
        : designed_(designed), out_(out) {}
    void spreadOverForm(const Control& form, QSize extra);
    void spreadInPane(const Control& pane, QSize extra);
    void scaleStrip(const Control& strip, QSize extra);
    void spread(const Control& container, QSize extra);

    const Designed& designed_;
    std::map<const Control*, QRect>& out_;
};

} // namespace quorvel
