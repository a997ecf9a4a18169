#include "tracks/TextExport.h"

#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {
std::unique_ptr<TrackStore> store()
{
    auto s = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        s->ClearTrack(t);
    s->CurrentFileTitle = QStringLiteral("run.tvd");
    return s;
}
} // namespace

TEST(TextExport, CopyAllOfThreePointCV)
{
    auto s = store();
    TrackHeader &h = (*s)[0];
    h.Mode = ModeCV;
    h.Title = QStringLiteral("Pt in H2SO4");
    h.MeasTime = QStringLiteral("2026/12/07 10:00:00");
    h.Scanrate = 50;
    h.ref = 2;
    h.RPM = 0;
    h.Conc = 1.5e-6;
    h.Area = 0.28274;
    h.Weight = 0;
    h.ne = 1;
    h.pnum = 3;
    const double pts[3][2] = {{0.6, 1e-6}, {0.6025, -2.5e-7}, {0.605, 0}};
    for (int i = 0; i < 3; ++i) {
        s->data(0, 0, i) = pts[i][0];
        s->data(1, 0, i) = pts[i][1];
    }
    const QString expected = QStringLiteral("Filename\trun.tvd\r\n"
                                            "Mode\tMode:CV\r\n"
                                            "Title\tPt in H2SO4\r\n"
                                            "MeasTime\t2026/12/07 10:00:00\r\n"
                                            "Scanrate\t 50\r\n"
                                            "Ref\tAg|AgCl|sat.\r\n"
                                            "RPM\t 0\r\n"
                                            "Conc/molcm-3\t1.500e-6\r\n"
                                            "Area/cm2\t0.2827\r\n"
                                            "Weight/mg\t0.000e+0\r\n"
                                            "ne\t1\r\n"
                                            "\r\n"
                                            "Potential/V\tDisk/A\r\n"
                                            "0.6000\t1E-06\r\n"
                                            "0.6025\t-2.5E-07\r\n"
                                            "0.6050\t0\r\n");
    int progressCalls = 0;
    EXPECT_EQ(copyAllText(*s, 0, QChar('.'), [&](int) { ++progressCalls; }), expected);
    EXPECT_EQ(progressCalls, 1);
    EXPECT_EQ(HeaderText(*s, 1), QStringLiteral("No Data"));
}

TEST(TextExport, HeadingsByModeAndOptions)
{
    auto s = store();
    (*s)[1].Mode = ModePS;
    (*s)[1].V1st = 0.8;
    (*s)[1].V2nd = 0.1;
    (*s)[1].pnum = 1;
    const QString ps = copyAllText(*s, 1, QChar('.'));
    EXPECT_TRUE(ps.contains("\r\nV1st\t0.800\r\nV2nd\t0.100\r\n"));
    EXPECT_TRUE(ps.contains("\r\n\r\ntime/s\tDisk/A\r\n"));

    (*s)[2].Mode = ModeRDE;
    (*s)[2].RingXValue = 1.2;
    (*s)[2].pnum = 2;
    s->data(0, 2, 0) = 0.5;
    s->data(1, 2, 0) = -1e-3;
    s->data(2, 2, 0) = 1e-4;
    s->data(0, 2, 1) = 0.6;
    s->data(1, 2, 1) = 2e-3;
    s->data(2, 2, 1) = 0;
    EXPECT_TRUE(HeaderText(*s, 2).contains("RingXValue=\t1.2\r\n"));
    DataTextOptions o;
    o.diskUnit = 2;
    o.ringUnit = 3;
    o.h2o = true;
    o.absolute = true;
    s->CollectionEfficiency = 0.4;
    o.filter = 1;
    const QString rde = TrackDataText(*s, 2, o, QChar('.'));
    // Cathodic point only; disk as absolute mA, ring (last column) in general form as µA.
    EXPECT_EQ(rde, QString::fromUtf8("Potential/V\tDisk/mA\tRing/µA\t%H2O\r\n"
                                     "0.5000\t1.0000e+0\t100\t60.0\r\n"));

    o = DataTextOptions();
    o.logarithm = true;
    o.normalisation = 1;
    const QString lg = TrackDataText(*s, 2, o, QChar(','));
    EXPECT_TRUE(lg.startsWith("Potential/V\tlog10(idiskAcm-2)\tlog10(iringAcm-2)\r\n"
                              "0,5000\t-3,0000\t-4,0000\r\n"
                              "0,6000\t-2,6990\t-9,0000\r\n"));

    (*s)[3].Mode = ModeRPMvsJ;
    (*s)[3].TimeRecording = 1;
    (*s)[3].V1st = -0.1;
    EXPECT_TRUE(copyAllText(*s, 3, QChar('.')).contains("DiskXValue=\t-.1\r\n"));
    EXPECT_TRUE(copyAllText(*s, 3, QChar('.')).endsWith("rpm\tDisk/A\tTime/ms\r\n"));
    (*s)[0].Mode = ModeMulti;
    EXPECT_TRUE(copyAllText(*s, 0, QChar('.')).contains("Track\t 0\r\n\r\n\tDisk/A\tTime/s\r\n"));
}
