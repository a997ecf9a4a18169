#include "InstrumentRoutes.h"

#include "SimRig.h"
#include "devices/LinuxRoutes.h"

namespace tervo {

std::unique_ptr<InstrumentRoutes> InstrumentRoutes::simulated(MsClock &clock, std::uint64_t seed)
{
    std::unique_ptr<InstrumentRoutes> r(new InstrumentRoutes);
    r->m_rig = std::make_unique<sim::SimRig>(clock, seed);
    r->m_libs = r->m_rig->libraries();
    return r;
}

std::unique_ptr<InstrumentRoutes> InstrumentRoutes::hardware(const QString &serialDevice)
{
    std::unique_ptr<InstrumentRoutes> r(new InstrumentRoutes);
    r->m_hardware = std::make_unique<HardwareLibraries>(
        serialDevice.isEmpty() ? QString::fromLatin1(kDefaultSerialDevice) : serialDevice);
    r->m_libs = r->m_hardware->libraries();
    return r;
}

InstrumentRoutes::~InstrumentRoutes() = default;

} // namespace tervo
