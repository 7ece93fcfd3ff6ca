#include "Monitor/Assists/FalseColorScale.hpp"

namespace Quillfen::Monitor {

const FalseColorBand& falseColorBand(double level) {
    for (const auto& band : falseColorScale) {
        if (level < band.below) return band;
    }
    return falseColorScale.back();
}

}  // namespace Quillfen::Monitor
