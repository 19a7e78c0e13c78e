#include "time/world_time.h"

namespace chronivo {

ZoneParts DecodeZoneCode(ZoneCode code) {
    // The bit is taken from the unsigned pattern so that -35999 reads as "daylight" too; the
    // subtraction makes the halving exact for negative codes as well.
    const std::int32_t bit = static_cast<std::int32_t>(static_cast<std::uint32_t>(code) & 1u);
    return {(code - bit) / 2, bit != 0};
}

bool ZoneCodeBefore(ZoneCode a, ZoneCode b) {
    if (a < 0) {
        return b >= 0 || a < b;
    }
    return b >= 0 && a > b;
}

} // namespace chronivo
