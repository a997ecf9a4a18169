// Searching a folder of 2,000 track files (about 100 MB): the search itself, and the same search
// on the window's worker thread with its hits and progress delivered as signals.
#include "importing/TrackSearch.h"
#include "tracks/TrackFile.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

using namespace tervo;

namespace {

constexpr int kFiles = 2000;

// Four ring-disk tracks of 425 points per file; one file in fifty holds the word searched for.
class Folder {
public:
    Folder()
    {
        auto s = std::make_unique<TrackStore>();
        for (int t = 0; t < kTrackSlots; ++t)
            s->ClearTrack(t);
        for (int t = 0; t < 4; ++t) {
            TrackHeader &h = (*s)[t * 5];
            h.Mode = ModeRDE;
            h.RPM = 400 * (t + 1);
            h.Scanrate = 10;
            h.pnum = 425;
            for (int i = 0; i < h.pnum; ++i) {
                const double e = 0.8 - i / 425.0;
                s->data(0, t * 5, i) = e;
                s->data(1, t * 5, i) = -5.2e-4 / (1 + std::exp((e - 0.35) / 0.03));
                s->data(2, t * 5, i) = 3.1e-5 / (1 + std::exp((e - 0.3) / 0.04));
            }
        }
        for (int f = 0; f < kFiles; ++f) {
            for (int t = 0; t < 4; ++t)
                (*s)[t * 5].Title = QStringLiteral("ORR %1 run %2%3")
                                        .arg((*s)[t * 5].RPM)
                                        .arg(f)
                                        .arg(f % 50 == 0 && t == 1 ? " needle" : "");
            QFile out(m_dir.filePath(QStringLiteral("run%1.tvd").arg(f, 4, 10, QLatin1Char('0'))));
            const QByteArray bytes = trackFileText(*s, '.');
            if (out.open(QIODevice::WriteOnly))
                out.write(bytes);
            m_bytes += bytes.size();
        }
    }
    QString path() const { return m_dir.path(); }
    double megabytes() const { return static_cast<double>(m_bytes) / 1e6; }

private:
    QTemporaryDir m_dir;
    qint64 m_bytes = 0;
};

const Folder &folder()
{
    static const Folder f;
    return f;
}

SearchCriteria needle()
{
    SearchCriteria c;
    buildCriteria({.keywordsOn = true, .keywords = "NEEDLE orr", .modeOn = true, .modeIndex = 1},
                  c);
    return c;
}

void BM_SearchFolder(benchmark::State &state)
{
    const Folder &f = folder();
    const SearchCriteria c = needle();
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        const SearchSummary s =
            runSearch(searchFileList(f.path()), c, [&](const SearchHit &) { ++hits; });
        if (s.filesSearched != kFiles || hits != kFiles / 50)
            state.SkipWithError("wrong result");
    }
    state.counters["MB"] = f.megabytes();
    state.counters["hits"] = hits;
}
BENCHMARK(BM_SearchFolder)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_SearchFolderOnWorker(benchmark::State &state)
{
    static int argc = 1;
    static char name[] = "bench_importing";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    const Folder &f = folder();
    const SearchCriteria c = needle();
    TrackSearch search;
    int progressSignals = 0;
    QObject::connect(&search, &TrackSearch::progress, [&] { ++progressSignals; });
    for (auto _ : state) {
        QEventLoop loop;
        QObject::connect(&search, &TrackSearch::finished, &loop, &QEventLoop::quit);
        search.start(f.path(), c);
        loop.exec();
        if (search.hits().size() != kFiles / 50)
            state.SkipWithError("wrong result");
    }
    state.counters["progress"] =
        benchmark::Counter(progressSignals, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SearchFolderOnWorker)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace
