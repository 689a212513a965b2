#include "saver/x11/outline_strips.h"

#include <algorithm>

namespace kel::x11 {

OutlineStrips::OutlineStrips(const FT_Outline& outline) : outline_(outline) {
    contours_.reserve(static_cast<std::size_t>(std::max<int>(outline.n_contours, 0)));
    for (int c = 0, first = 0; c < outline.n_contours; first = outline.contours[c] + 1, ++c) {
        Rows rows{outline.points[first].y, outline.points[first].y};
        for (int i = first; i <= outline.contours[c]; ++i) {  // the control points bound the curves
            rows.low = std::min(rows.low, outline.points[i].y);
            rows.high = std::max(rows.high, outline.points[i].y);
        }
        contours_.push_back(rows);
    }
}

const FT_Outline& OutlineStrips::Within(FT_Pos low, FT_Pos high, FT_Pos shift) {
    points_.clear();
    tags_.clear();
    ends_.clear();
    for (int c = 0, first = 0; c < outline_.n_contours; first = outline_.contours[c] + 1, ++c) {
        const Rows& rows = contours_[static_cast<std::size_t>(c)];
        if (rows.high <= low || rows.low >= high) continue;
        for (int i = first; i <= outline_.contours[c]; ++i) {
            points_.push_back(FT_Vector{outline_.points[i].x, outline_.points[i].y - shift});
            tags_.push_back(outline_.tags[i]);
        }
        ends_.push_back(static_cast<short>(points_.size() - 1));
    }
    strip_ = FT_Outline{};
    strip_.n_contours = static_cast<short>(ends_.size());
    strip_.n_points = static_cast<short>(points_.size());
    strip_.points = points_.data();
    strip_.tags = tags_.data();
    strip_.contours = ends_.data();
    strip_.flags = outline_.flags;
    return strip_;
}

}  // namespace kel::x11
