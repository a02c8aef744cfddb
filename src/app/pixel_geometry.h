#pragma once

#include <QRect>

#include "app/main_layout.h"

namespace frostel::app {

[[nodiscard]] inline QRect pixel_rect(TwipsRect r) {
    return {twips_to_pixels(r.left), twips_to_pixels(r.top), twips_to_pixels(r.width),
            twips_to_pixels(r.height)};
}

}  // namespace frostel::app
