// A fractional accumulation: every window's averages divide by the readings they summed.
#include "MeasureRig.h"
#include "measure/CVModel.h"
#include "measure/MultipotentiostatModel.h"
#include "measure/PSModel.h"
#include "measure/RDEModel.h"
#include "measure/RPMvsjModel.h"
#include "measure/SSVModel.h"

#include <functional>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

// A card whose every input holds its own steady voltage: any average of it is that voltage.
class SteadyDask final : public PciDaskLibrary {
public:
    std::int16_t Register_Card(std::uint16_t, std::uint16_t) override { return 0; }
    std::int16_t Release_Card(std::uint16_t) override { return 0; }
    std::int16_t AI_VReadChannel(std::uint16_t, std::uint16_t channel, std::uint16_t,
                                 double &volts) override
    {
        volts = 0.15 * (channel + 1);
        return 0;
    }
    std::int16_t AO_9112_Config(std::uint16_t, std::uint16_t, double) override { return 0; }
    std::int16_t AO_VWriteChannel(std::uint16_t, std::uint16_t, double) override { return 0; }
    std::int16_t DO_WritePort(std::uint16_t, std::uint16_t, std::uint32_t) override { return 0; }
};

std::array<double, 3> firstSample(MeasureRig &r, MeasurementModel &)
{
    return r.app->AcquisitionBuffer[0];
}

struct Window {
    const char *name;
    std::function<std::unique_ptr<MeasurementModel>(MeasureRig &)> make;
    // What the monitor shows of its averaged readings.
    std::function<QString(MeasurementModel &)> monitor;
    // The first sample of a run.
    std::function<std::array<double, 3>(MeasureRig &, MeasurementModel &)> sample = firstSample;
};

QString monitorLabel(MeasurementModel &m)
{
    return m.monitorText();
}

template <typename Model> std::unique_ptr<MeasurementModel> make(MeasureRig &r)
{
    return std::make_unique<Model>(*r.context);
}

const Window kWindows[] = {
    {"CV", make<CVModel>, monitorLabel},
    {"RDE", make<RDEModel>, monitorLabel},
    {"PS", make<PSModel>, monitorLabel},
    {"RPMvsj", make<RPMvsjModel>, monitorLabel},
    {"SSV",
     [](MeasureRig &r) -> std::unique_ptr<MeasurementModel> {
         return std::make_unique<SSVModel>(*r.context, r.clipboard);
     },
     monitorLabel},
    {"Multi",
     [](MeasureRig &r) -> std::unique_ptr<MeasurementModel> {
         auto m = std::make_unique<MultipotentiostatModel>(*r.context);
         m->setCurrentMonitor(true);
         return m;
     },
     [](MeasurementModel &m) {
         const auto &texts = static_cast<MultipotentiostatModel &>(m).currentTexts();
         return QStringList(texts.begin(), texts.end()).join(' ');
     },
     [](MeasureRig &, MeasurementModel &m) {
         const auto &mm = static_cast<MultipotentiostatModel &>(m);
         return std::array<double, 3>{mm.point(0, 0)[0], mm.point(0, 0)[1], mm.point(9, 0)[1]};
     }},
};

struct Reading {
    QString monitor;
    std::array<double, 3> sample{};
};

// One monitor tick, then Start and the first sample of the run.
Reading readWith(const Window &w, double accum)
{
    MeasureRig r;
    SteadyDask dask;
    r.app->settings.ADBoard = 2;
    VendorLibraries libs = r.rig->libraries();
    libs.dask = &dask;
    r.rebuild(libs);
    std::unique_ptr<MeasurementModel> m = w.make(r);
    m->setTimerDriven(false);
    EXPECT_TRUE(m->open());
    if (auto *mm = dynamic_cast<MultipotentiostatModel *>(m.get()))
        mm->setAccumulation(accum); // the window keeps what it is given
    else
        m->setAccumulation(accum);
    r.ticks(*m, 1);
    Reading out;
    out.monitor = w.monitor(*m);
    m->start();
    r.ticks(*m, 1);
    out.sample = w.sample(r, *m);
    m->stop();
    r.ticks(*m, 1);
    return out;
}

} // namespace

TEST(Accumulation, FractionalCountAveragesOverTheReadingsTaken)
{
    for (const Window &w : kWindows) {
        const Reading single = readWith(w, 1);
        for (double accum : {1.5, 2.5}) {
            SCOPED_TRACE(std::string(w.name) + " at " + std::to_string(accum));
            const Reading r = readWith(w, accum);
            EXPECT_EQ(r.monitor, single.monitor);
            for (std::size_t c = 0; c < 3; ++c)
                EXPECT_DOUBLE_EQ(r.sample[c], single.sample[c]) << c;
        }
    }
}
