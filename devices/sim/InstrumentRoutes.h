#pragma once

#include "core/Clock.h"
#include "devices/VendorLibraries.h"

#include <QString>
#include <memory>

namespace tervo {

class HardwareLibraries;

namespace sim {
class SimRig;
}

// Where the instruments lead: the simulated rig (the default) or this machine's real routes
// (the serial converter on a serial device, the I/O ports). Owns whichever it made.
class InstrumentRoutes {
public:
    static std::unique_ptr<InstrumentRoutes> simulated(MsClock &clock, std::uint64_t seed = 1);
    static std::unique_ptr<InstrumentRoutes> hardware(const QString &serialDevice);
    ~InstrumentRoutes();

    VendorLibraries libraries() const { return m_libs; }
    // The rig behind the simulated routes; null for the real ones.
    sim::SimRig *rig() const { return m_rig.get(); }

private:
    InstrumentRoutes() = default;
    std::unique_ptr<sim::SimRig> m_rig;
    std::unique_ptr<HardwareLibraries> m_hardware;
    VendorLibraries m_libs;
};

} // namespace tervo
