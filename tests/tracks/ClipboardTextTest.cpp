#include "tracks/ClipboardText.h"
#include "state/TrackModes.h"
#include "tracks/ReferenceConversion.h"
#include "tracks/TextExport.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

std::unique_ptr<TrackStore> emptyStore()
{
    auto s = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        s->ClearTrack(t);
    return s;
}

QString numericLines(int count)
{
    QString t;
    for (int i = 0; i < count; ++i)
        t += QStringLiteral("%1\t%2\r\n").arg(i * 0.001).arg(i * 1e-6);
    return t;
}

} // namespace

TEST(Paste, ModeLabelTakesTheHighestNameFound)
{
    EXPECT_EQ(modeFromText(QStringLiteral("Mode:SSVAll")), ModeSSVAll);
    EXPECT_EQ(modeFromText(QStringLiteral("Mode:SSV")), ModeSSV);
    EXPECT_EQ(modeFromText(QStringLiteral("Mode:CV")), ModeCV);
    EXPECT_EQ(modeFromText(QStringLiteral("Mode:RPMvs.j")), ModeRPMvsJ);
    EXPECT_EQ(modeFromText(QStringLiteral("Mode:")), ModeNone);
    EXPECT_EQ(modeFromText(QStringLiteral("cv")), ModeNone);
}

TEST(Paste, CopyAllTextRoundTripKeepsHeaderAndPoints)
{
    auto s = emptyStore();
    s->CurrentFileTitle = QStringLiteral("run.tvd");
    TrackHeader &h = (*s)[3];
    h.Mode = ModeRDE;
    h.Title = QStringLiteral("Pt/C, O2 sat.");
    h.MeasTime = QStringLiteral("2026/12/07 10:00:00");
    h.Scanrate = 10;
    h.RingXValue = 1.2;
    h.RPM = 1600;
    h.Conc = 1.2e-6;
    h.Area = 0.2475;
    h.Weight = 0.025;
    h.ne = 4;
    h.pnum = 5;
    const double pts[5][3] = {{0.9, -1e-5, 1e-7},
                              {0.5, -3e-4, 2e-6},
                              {0.05, -5.5e-4, 4e-6},
                              {0.5, -3.1e-4, 2.2e-6},
                              {0.7, -2e-4, 1e-6}};
    for (int i = 0; i < 5; ++i)
        for (int c = 0; c < 3; ++c)
            s->data(c, 3, i) = pts[i][c];
    const QString text = copyAllText(*s, 3, QChar('.'));

    const PasteResult r = pasteTrackText(*s, 7, text);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(r.points, 5);
    EXPECT_FALSE(r.truncated);
    EXPECT_EQ(r.stoppedAtLine, 0);
    const TrackHeader &p = (*s)[7];
    EXPECT_EQ(p.Mode, ModeRDE);
    EXPECT_EQ(p.Title, h.Title);
    EXPECT_EQ(p.MeasTime, h.MeasTime);
    EXPECT_DOUBLE_EQ(p.Scanrate, 10);
    EXPECT_DOUBLE_EQ(p.RPM, 1600);
    EXPECT_DOUBLE_EQ(p.Conc, 1.2e-6);
    EXPECT_DOUBLE_EQ(p.Area, 0.2475);
    EXPECT_DOUBLE_EQ(p.ne, 4);
    // The two labels only Copy All writes come back too.
    EXPECT_DOUBLE_EQ(p.RingXValue, 1.2);
    EXPECT_DOUBLE_EQ(p.Weight, 0.025);
    ASSERT_EQ(p.pnum, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(s->data(0, 7, i), pts[i][0], 1e-9);
        EXPECT_NEAR(s->data(1, 7, i), pts[i][1], 1e-12);
        EXPECT_NEAR(s->data(2, 7, i), pts[i][2], 1e-15);
    }
    // Start, turning point, and the next turn come from the sweep itself.
    EXPECT_DOUBLE_EQ(p.V1st, 0.9);
    EXPECT_DOUBLE_EQ(p.V2nd, 0.05);
    EXPECT_DOUBLE_EQ(p.V3rd, 0);
    EXPECT_NEAR(p.Vxmin, 0.05, 1e-12);
    EXPECT_NEAR(p.Vxmax, 0.9, 1e-12);
    EXPECT_NEAR(p.Vymin, -5.5e-4, 1e-15);
    EXPECT_NEAR(p.Vymax, -1e-5, 1e-15);
}

TEST(Paste, PlotRangeStartsFromTenAndMinusTen)
{
    auto s = emptyStore();
    pasteTrackText(*s, 0, QStringLiteral("Mode\tCV\r\n0.1\t0.001\r\n0.3\t0.002\r\n0.5\t0.003\r\n"));
    EXPECT_DOUBLE_EQ((*s)[0].Vxmin, 0.1);
    EXPECT_DOUBLE_EQ((*s)[0].Vxmax, 0.5);
    EXPECT_DOUBLE_EQ((*s)[0].Vymin, 0.001);
    EXPECT_DOUBLE_EQ((*s)[0].Vymax, 0.003);

    pasteTrackText(*s, 1,
                   QStringLiteral("Mode\tMode:RPMvs.j\n100\t-1e-4\n550\t-2e-4\n1000\t-3e-4\n"));
    EXPECT_EQ((*s)[1].Mode, ModeRPMvsJ);
    EXPECT_DOUBLE_EQ((*s)[1].Vxmin, 10);
    EXPECT_DOUBLE_EQ((*s)[1].Vxmax, 1000);
}

TEST(Paste, WithoutModeTheTrackStaysVacant)
{
    auto s = emptyStore();
    const PasteResult r = pasteTrackText(*s, 4, QStringLiteral("0.1\t1e-6\r\n0.2\t2e-6\r\n"));
    EXPECT_EQ(r.points, 2);
    EXPECT_TRUE(s->isVacant(4));
    EXPECT_DOUBLE_EQ((*s)[4].Vxmax, 0); // no range computed for a vacant track

    const PasteResult empty = pasteTrackText(*s, 5, QString());
    EXPECT_FALSE(empty.changed);
}

TEST(Paste, AByteOrderMarkIsNotPartOfTheFirstLabel)
{
    auto s = emptyStore();
    const PasteResult r = pasteTrackText(
        *s, 2, QChar(0xFEFF) + QStringLiteral("Mode\tCV\r\nTitle\tpasted\r\n0.1\t1e-6\r0.2\t2e-6"));
    EXPECT_EQ(r.points, 2);
    EXPECT_EQ((*s)[2].Mode, ModeCV);
    EXPECT_EQ((*s)[2].Title, QStringLiteral("pasted"));
}

TEST(Paste, GivenProgrammePotentialsAreKept)
{
    auto s = emptyStore();
    pasteTrackText(*s, 0,
                   QStringLiteral("Mode\tCV\nV1st\t0.2\nV2nd\t1.1\nV3rd\t-0.1\n"
                                  "0.0\t0\n0.5\t0\n0.2\t0\n"));
    EXPECT_DOUBLE_EQ((*s)[0].V1st, 0.2);
    EXPECT_DOUBLE_EQ((*s)[0].V2nd, 1.1);
    EXPECT_DOUBLE_EQ((*s)[0].V3rd, -0.1);
}

TEST(Paste, UnreadableLineStopsAndKeepsThePointsBefore)
{
    auto s = emptyStore();
    const PasteResult r = pasteTrackText(
        *s, 0, QStringLiteral("Mode\tCV\r\n0.1\t1e-6\r\n0.2\t2e-6\r\n0.3\tn/a\r\n0.4\t4e-6\r\n"));
    EXPECT_EQ(r.points, 2);
    EXPECT_EQ(r.stoppedAtLine, 4);
    EXPECT_EQ((*s)[0].pnum, 2);
    EXPECT_DOUBLE_EQ((*s)[0].Vxmax, 0.2);
    // Lines that neither carry a label nor start with a number are passed over.
    const PasteResult r2 = pasteTrackText(
        *s, 1, QStringLiteral("Mode\tCV\r\nPotential/V\tDisk/A\r\nlonely\r\n0,25\t1e-6\r\n"));
    EXPECT_EQ(r2.stoppedAtLine, 0);
    EXPECT_EQ(r2.points, 1);
    EXPECT_DOUBLE_EQ(s->data(0, 1, 0), 0.25);
}

TEST(Paste, NeverWritesBeyondTheTrack)
{
    auto s = emptyStore();
    // The scratch slot's points lie right after the last column of track 20.
    s->data(0, 21, 0) = 42;
    const PasteResult r =
        pasteTrackText(*s, 20, QStringLiteral("Mode\tCV\r\n") + numericLines(kMaxPoints + 5));
    EXPECT_TRUE(r.truncated);
    EXPECT_EQ(r.points, kMaxPoints);
    EXPECT_EQ((*s)[20].pnum, kMaxPoints);
    EXPECT_DOUBLE_EQ(s->data(0, 21, 0), 42);
}

TEST(ReferenceConversion, PotentialsAgainstSHE)
{
    EXPECT_DOUBLE_EQ(referencePotential(2, 7) - referencePotential(1, 7), 0.199);
    EXPECT_NEAR(referencePotential(3, 13) - referencePotential(kRefRHE, 13), 1.008, 1e-12);
    EXPECT_DOUBLE_EQ(referencePotential(0, 7), 0);
    EXPECT_DOUBLE_EQ(referencePotential(99, 7), 0);
    EXPECT_TRUE(modeFacts(ModeCV).convertsReference);
    EXPECT_TRUE(modeFacts(ModeSSVAll).convertsReference);
    EXPECT_FALSE(modeFacts(ModePS).convertsReference);
    EXPECT_FALSE(modeFacts(ModeMulti).convertsReference);
    EXPECT_FALSE(modeFacts(ModeRPMvsJ).convertsReference);
}

TEST(MultiTable, CurrentAgainstTimeAndPotential)
{
    auto s = emptyStore();
    s->CurrentFileTitle = QStringLiteral("mm.tvd");
    for (int c = 0; c < 10; ++c) {
        (*s)[c].Mode = ModeMulti;
        (*s)[c].Title = QStringLiteral("ch%1").arg(c);
        (*s)[c].pnum = 2;
        for (int i = 0; i < 2; ++i) {
            s->data(0, c, i) = 0.5 + 0.25 * i;
            s->data(1, c, i) = (c + 1) * 1e-6 * (i + 1);
            s->data(2, c, i) = i * 1.5;
        }
    }
    (*s)[3].MeasTime = QStringLiteral("2026/12/07");
    int lines = 0;
    const QString it = multiTableText(*s, 3, MultiTable::CurrentVsTime, [&](int) { ++lines; });
    EXPECT_EQ(lines, 2);
    const QStringList rows = it.split(QStringLiteral("\r\n"));
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0], QStringLiteral("Filename\tmm.tvd"));
    EXPECT_EQ(rows[1], QStringLiteral("MeasTime\t2026/12/07"));
    EXPECT_EQ(rows[2], QStringLiteral("\tch0\tch1\tch2\tch3\tch4\tch5\tch6\tch7\tch8\tch9"));
    EXPECT_EQ(rows[3], QStringLiteral("0\t1E-06\t2E-06\t3E-06\t4E-06\t5E-06\t6E-06\t7E-06\t8E-06"
                                      "\t9E-06\t1E-05"));
    EXPECT_TRUE(rows[4].startsWith(QStringLiteral("1.5\t2E-06\t")));
    EXPECT_TRUE(rows[5].isEmpty());
    const QString vi = multiTableText(*s, 3, MultiTable::CurrentVsPotential);
    EXPECT_TRUE(vi.split(QStringLiteral("\r\n"))[3].startsWith(QStringLiteral(".5\t1E-06")));
    EXPECT_TRUE(vi.split(QStringLiteral("\r\n"))[4].startsWith(QStringLiteral(".75\t2E-06")));
}
