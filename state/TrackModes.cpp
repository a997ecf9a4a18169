#include "TrackModes.h"

#include <array>

namespace tervo {

namespace {

using A = ModeAxis;

// clang-format off
constexpr std::array<ModeFacts, kModeCount> kFacts{{
    // stored file  recorded shared ring   sweep  x axis            x  reference
    {2,      2,    false,   false, false, false, A::None,          0, false}, // None
    {2,      2,    false,   false, false, true,  A::Potential,     0, true},  // CV
    {3,      3,    false,   false, true,  true,  A::Potential,     0, true},  // RDE
    {2,      2,    false,   false, false, false, A::Time,          0, false}, // PS
    {2,      3,    true,    false, false, false, A::RotationRate,  0, false}, // RPMvs.j
    {2,      2,    false,   true,  false, false, A::Time,          2, false}, // Multi
    {3,      3,    false,   false, true,  true,  A::Potential,     0, true},  // SSV
    {3,      3,    false,   false, false, false, A::Potential,     0, true},  // SSVAll
}};
// clang-format on

} // namespace

const ModeFacts &modeFacts(int mode)
{
    if (mode < 0 || mode >= kModeCount)
        return kFacts[ModeNone];
    return kFacts[static_cast<std::size_t>(mode)];
}

} // namespace tervo
