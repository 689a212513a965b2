#include "platform/label_size.h"

#include <cmath>
#include <cstdlib>

#include "platform/errors.h"

namespace kel {

int LabelPixelHeight(float points, double dpi) {
    const double pixels = std::floor(static_cast<double>(points) * dpi / 72.0 + 0.5);
    if (!(pixels >= 1.0) || pixels > 32767.0) {
        throw KelError(ErrorKind::InvalidValue, "setting the font size",
                       "size " + PointsText(points) + " points");
    }
    return static_cast<int>(pixels);
}

std::string PointsText(float points) {
    if (std::isnan(points)) return "NaN";
    // Hundredths of these no longer fit a long (32 bits on Windows).
    if (std::fabs(points) >= 1e7f) return points > 0 ? "1e7 or more" : "-1e7 or less";
    const long hundredths = std::lround(static_cast<double>(points) * 100.0);
    const long whole = std::labs(hundredths) / 100, part = std::labs(hundredths) % 100;
    return std::string(hundredths < 0 ? "-" : "") + std::to_string(whole) + (part < 10 ? ".0" : ".") +
           std::to_string(part);
}

}  // namespace kel
