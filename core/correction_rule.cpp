// Velmora — the correction rule.
#include "core/correction_rule.h"

#include <cmath>
#include <limits>

namespace velmora {

std::optional<std::int32_t> Brightness(const Channels &target, const Gains &d)
{
    const std::int64_t sum = std::int64_t{target.red} + target.green + target.blue;
    const double average = std::floor(static_cast<double>(sum) / 3);
    const double difference = std::floor(
        (static_cast<double>(d.green) + static_cast<double>(d.red) + static_cast<double>(d.blue)) / 3);
    const double brightness = difference + average;
    if (!(brightness >= std::numeric_limits<std::int32_t>::min()
          && brightness <= std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(brightness);
}

std::variant<Gains, Refusal> GainsFromDifferences(const Channels &target, const Gains &d)
{
    const std::optional<std::int32_t> brightness = Brightness(target, d);
    if (!brightness)
        return Refusal::OutOfRange;
    if (d.red > kDifferenceLimit || d.green > kDifferenceLimit || d.blue > kDifferenceLimit)
        return Refusal::TooLarge;
    // L stands for the reference colour's mean, which a real colour never makes negative; a
    // negative L would turn a darkening into a brightening.
    const double l = *brightness;
    if (l <= 0)
        return Refusal::TooDark;
    return Gains{static_cast<float>(d.red / l), static_cast<float>(d.green / l), static_cast<float>(d.blue / l)};
}

Gains DifferencesBetween(const std::array<double, 3> &reference, const Channels &target)
{
    return {static_cast<float>(reference[0] - target.red), static_cast<float>(reference[1] - target.green),
            static_cast<float>(reference[2] - target.blue)};
}

} // namespace velmora
