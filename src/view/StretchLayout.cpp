#include "view/StretchLayout.h"

#include "controls/Controls.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace quorvel {

namespace {

bool isList(const Control& control) {
    switch (control.kind()) {
    case ControlKind::FileList:
    case ControlKind::FolderList:
    case ControlKind::Table:
        return true;
    default:
        return false;
    }
}

bool holds(const Control& container, ControlKind kind) {
    return std::any_of(container.children().begin(), container.children().end(),
                       [kind](const Control* child) { return child->kind() == kind; });
}

bool holdsList(const Control& container) {
    return std::any_of(container.children().begin(), container.children().end(),
                       [](const Control* child) { return isList(*child); });
}

bool isContainer(const Control& control) {
    return control.kind() == ControlKind::Frame && !control.children().empty();
}

// A control that starts at or past `edge`, give or take a pixel of rounding.
bool pastEdge(int start, int edge) {
    return start >= edge - 2;
}

} // namespace

std::map<const Control*, QRect> StretchLayout::place(const Control& form, const Designed& designed,
                                                     QSize extra) {
    std::map<const Control*, QRect> out;
    StretchLayout layout(designed, out);
    layout.spreadOverForm(form, extra.expandedTo(QSize(0, 0)));
    return out;
}

void StretchLayout::spread(const Control& container, QSize extra) {
    if (!isContainer(container) || extra.isEmpty())
        return;
    if (holdsList(container))
        spreadInPane(container, extra);
    else if (holds(container, ControlKind::Image))
        scaleStrip(container, extra);
}

// The panes that hold lists or pictures share the extra width, each the same, and all of
// them the extra height; whatever stands to the right of a pane moves over by its growth.
void StretchLayout::spreadOverForm(const Control& form, QSize extra) {
    std::vector<const Control*> growing;
    for (const Control* child : form.children()) {
        if (isContainer(*child) && (holdsList(*child) || holds(*child, ControlKind::Image)))
            growing.push_back(child);
    }
    const int count = static_cast<int>(growing.size());
    std::map<const Control*, int> wider;
    for (int i = 0; i < count; ++i)
        wider[growing[static_cast<std::size_t>(i)]] =
            extra.width() / std::max(1, count) + (i < extra.width() % std::max(1, count) ? 1 : 0);
    for (const Control* child : form.children()) {
        QRect place = designed_(*child);
        int shift = 0;
        for (const auto& [pane, grows] : wider) {
            if (pane != child && pastEdge(place.left(), designed_(*pane).right() + 1))
                shift += grows;
        }
        place.translate(shift, 0);
        const auto own = wider.find(child);
        QSize grows(0, 0);
        if (own != wider.end())
            grows = QSize(own->second, extra.height());
        place.setSize(place.size() + grows);
        out_[child] = place;
        for (const Control* inside : child->children())
            out_[inside] = designed_(*inside);
        spread(*child, grows);
    }
}

// In a pane: what spans the pane's width widens with it; its lists share the extra height
// by their designed heights, and what lies under a list moves down by its growth.
void StretchLayout::spreadInPane(const Control& pane, QSize extra) {
    const int paneWidth = designed_(pane).width();
    std::vector<const Control*> lists;
    for (const Control* child : pane.children()) {
        if (isList(*child))
            lists.push_back(child);
    }
    const int listHeight =
        std::accumulate(lists.begin(), lists.end(), 0, [this](int sum, const Control* list) {
            return sum + designed_(*list).height();
        });
    std::map<const Control*, int> taller;
    int given = 0;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const int share = i + 1 == lists.size() ? extra.height() - given
                                                : extra.height() * designed_(*lists[i]).height() /
                                                      std::max(1, listHeight);
        taller[lists[i]] = share;
        given += share;
    }
    for (const Control* child : pane.children()) {
        QRect place = designed_(*child);
        int down = 0;
        for (const auto& [list, grows] : taller) {
            if (list != child && pastEdge(place.top(), designed_(*list).bottom() + 1))
                down += grows;
        }
        place.translate(0, down);
        const int wider = place.width() * 10 >= paneWidth * 8 ? extra.width() : 0;
        const auto own = taller.find(child);
        place.setSize(place.size() + QSize(wider, own == taller.end() ? 0 : own->second));
        out_[child] = place;
    }
}

// A strip of pictures grows as one picture would, by the smaller of its two stretches,
// centred across the strip's new width.
void StretchLayout::scaleStrip(const Control& strip, QSize extra) {
    const QRect frame = designed_(strip);
    if (frame.isEmpty())
        return;
    const double scale = std::min(double(frame.width() + extra.width()) / frame.width(),
                                  double(frame.height() + extra.height()) / frame.height());
    const int margin = (frame.width() + extra.width() - qRound(frame.width() * scale)) / 2;
    for (const Control* child : strip.children()) {
        const QRect place = designed_(*child);
        out_[child] = QRect(margin + qRound(place.left() * scale), qRound(place.top() * scale),
                            qRound(place.width() * scale), qRound(place.height() * scale));
    }
}

} // namespace quorvel
