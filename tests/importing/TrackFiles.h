#pragma once

#include "tracks/EditFixtures.h"
#include "tracks/TrackFile.h"

#include <QCoreApplication>
#include <QString>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>

namespace tervo::testing {

struct TrackSpec {
    int slot;
    int mode;
    const char *title;
    double rpm = 0;
    double scanrate = 0;
    int points = 2;
};

// Writes a track file holding the given tracks; point i of a track holds slot + i/10 and i.
inline void writeTracks(const QString &path, std::initializer_list<TrackSpec> tracks)
{
    static TrackStore *store = new TrackStore;
    for (int t = 0; t < kTrackSlots; ++t)
        store->ClearTrack(t);
    for (const TrackSpec &s : tracks) {
        TrackHeader &h = (*store)[s.slot];
        h.Mode = s.mode;
        h.Title = QString::fromUtf8(s.title);
        h.RPM = s.rpm;
        h.Scanrate = s.scanrate;
        h.pnum = s.points;
        h.Vxmin = s.slot;
        h.Vxmax = s.slot + s.points / 10.0;
        h.Vymin = -s.points;
        h.Vymax = s.points;
        for (int i = 0; i < s.points; ++i) {
            store->data(0, s.slot, i) = s.slot + i / 10.0;
            store->data(1, s.slot, i) = i;
            store->data(2, s.slot, i) = -i;
        }
    }
    ASSERT_TRUE(writeTrackFile(*store, path, '.').ok);
}

// An event loop for the signals of the search worker.
class CoreApplication : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "importing_tests";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            m_app = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QCoreApplication> m_app;
};

} // namespace tervo::testing
