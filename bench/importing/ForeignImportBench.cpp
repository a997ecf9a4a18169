// Converting a 1 MB export of each kind into a track: reading the file and writing the track.
#include "importing/foreign/ForeignFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

using namespace tervo;
using namespace tervo::foreign;

namespace {

constexpr qsizetype kTarget = 1 << 20;

double potential(int i)
{
    // Triangular sweeps between 0 and 1 V, 1 mV apart.
    const int p = i % 2000;
    return (p < 1000 ? p : 2000 - p) * 1e-3;
}

double current(int i)
{
    return 1e-5 * std::sin(i * 0.01) + (i % 2000 < 1000 ? 2e-6 : -2e-6);
}

QByteArray ecLab()
{
    QByteArray b = "EC-Lab ASCII FILE\r\nNb header lines : 6\r\n\r\nCyclic Voltammetry\r\n"
                   "\r\ntime/s\tEwe/V\t<I>/mA\tcycle number\t\r\n";
    for (int i = 0; b.size() < kTarget; ++i)
        b += QByteArray::number(i * 0.02, 'f', 4) + '\t' +
             QByteArray::number(potential(i), 'f', 6) + '\t' +
             QByteArray::number(current(i) * 1e3, 'e', 6) + "\t1\t\r\n";
    return b;
}

QByteArray gamry()
{
    QByteArray b = "EXPLAIN\r\nTAG\tCV\r\nCURVE1\tTABLE\r\n\tPt\tT\tVf\tIm\tOver\r\n"
                   "\t#\ts\tV vs. Ref.\tA\tbits\r\n";
    for (int i = 0; b.size() < kTarget; ++i)
        b += '\t' + QByteArray::number(i) + '\t' + QByteArray::number(i * 0.02, 'f', 3) + '\t' +
             QByteArray::number(potential(i), 'E', 5) + '\t' +
             QByteArray::number(current(i), 'E', 5) + "\t...........\r\n";
    return b;
}

QByteArray chi()
{
    QByteArray b =
        "Jul. 17, 2024   10:22:33\r\nCyclic Voltammetry\r\nInit E (V) = 0\r\n"
        "High E (V) = 1\r\nLow E (V) = 0\r\n\r\nPotential/V, Current/A, Charge/C\r\n\r\n";
    for (int i = 0; b.size() < kTarget; ++i)
        b += QByteArray::number(potential(i), 'f', 3) + ", " +
             QByteArray::number(current(i), 'e', 3) + ", " + QByteArray::number(i * 1e-9, 'e', 3) +
             "\r\n";
    return b;
}

QByteArray csv()
{
    QByteArray b = "Date and time:,2024-07-17\r\nNotes:,bench\r\nCurve:,1\r\nV,µA\r\n";
    for (int i = 0; b.size() < kTarget; ++i)
        b += QByteArray::number(potential(i), 'f', 4) + ',' +
             QByteArray::number(current(i) * 1e6, 'f', 4) + "\r\n";
    return b;
}

void convert(benchmark::State &state, const QByteArray &bytes, const char *name)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    f.close();
    auto store = std::make_unique<TrackStore>();
    int points = 0;
    for (auto _ : state) {
        const ReadResult r = readForeignFile(path);
        if (!r.ok() || checkChoices(*r.file)) {
            state.SkipWithError("read failed");
            break;
        }
        points = writeTrack(*store, 0, *r.file);
    }
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["points"] = points;
}

void BM_ConvertEcLab(benchmark::State &s)
{
    convert(s, ecLab(), "run.mpt");
}
void BM_ConvertGamry(benchmark::State &s)
{
    convert(s, gamry(), "run.DTA");
}
void BM_ConvertChi(benchmark::State &s)
{
    convert(s, chi(), "run.txt");
}
void BM_ConvertCsv(benchmark::State &s)
{
    convert(s, csv(), "run.csv");
}
BENCHMARK(BM_ConvertEcLab)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ConvertGamry)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ConvertChi)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ConvertCsv)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace
