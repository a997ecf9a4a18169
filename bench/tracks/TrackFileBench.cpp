// Writing and reading a full store, and the whole tervo-tool export process.
#include "tracks/TrackFile.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>

using namespace tervo;

extern char **environ;

namespace {

std::unique_ptr<TrackStore> fullStore()
{
    auto s = std::make_unique<TrackStore>();
    for (int t = 0; t < kUserTracks; ++t) {
        s->ClearTrack(t);
        TrackHeader &h = (*s)[t];
        h.Mode = ModeRDE;
        h.Title = QStringLiteral("ORR 1600 rpm %1").arg(t);
        h.pnum = kMaxPoints;
        for (int i = 0; i < kMaxPoints; ++i) {
            const double e = 0.8 - 1.0 * i / kMaxPoints;
            s->data(0, t, i) = e;
            s->data(1, t, i) = -5.2e-4 / (1 + std::exp((e - 0.35) / 0.03)) + 1e-7 * std::sin(i);
            s->data(2, t, i) = 3.1e-5 / (1 + std::exp((e - 0.3) / 0.04));
        }
    }
    return s;
}

void BM_WriteFullStore(benchmark::State &state)
{
    QTemporaryDir dir;
    auto s = fullStore();
    const QString path = dir.filePath("full.tvd");
    for (auto _ : state) {
        const FileWriteResult r = writeTrackFile(*s, path, '.');
        if (!r.ok)
            state.SkipWithError("write failed");
    }
    state.counters["MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_WriteFullStore)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ReadFullStore(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("full.tvd");
    writeTrackFile(*fullStore(), path, '.');
    auto s = std::make_unique<TrackStore>();
    for (auto _ : state) {
        const TrackFileReadResult r = loadTrackFile(*s, path);
        if (!r.ok())
            state.SkipWithError("read failed");
    }
}
BENCHMARK(BM_ReadFullStore)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Loads the file named by TERVO_BENCH_FILE, for side-by-side runs with other readers
// (bench/tracks/compare_pandas.py).
void BM_LoadGivenFile(benchmark::State &state)
{
    const QString path = qEnvironmentVariable("TERVO_BENCH_FILE");
    if (path.isEmpty()) {
        state.SkipWithError("TERVO_BENCH_FILE is not set");
        return;
    }
    auto s = std::make_unique<TrackStore>();
    for (auto _ : state) {
        const TrackFileReadResult r = loadTrackFile(*s, path);
        if (!r.ok()) {
            state.SkipWithError("read failed");
            break;
        }
    }
    int points = 0;
    for (int t = 0; t < kUserTracks; ++t)
        points += s->isVacant(t) ? 0 : (*s)[t].pnum;
    state.counters["points"] = points;
}
BENCHMARK(BM_LoadGivenFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// tervo-tool export of one 20001-point RDE track, as a whole process.
void BM_ToolExportProcess(benchmark::State &state)
{
    QTemporaryDir dir;
    auto full = fullStore();
    auto one = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        one->ClearTrack(t);
    (*one)[0] = (*full)[0];
    for (int c = 0; c < 3; ++c)
        std::copy(full->data.column(c, 0), full->data.column(c, 0) + kMaxPoints,
                  one->data.column(c, 0));
    const QByteArray path = dir.filePath("one.tvd").toLocal8Bit();
    writeTrackFile(*one, QString::fromLocal8Bit(path), '.');
    const std::string tool = TERVO_BIN_DIR "/tervo-tool";
    for (auto _ : state) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        char *argv[] = {const_cast<char *>(tool.c_str()), const_cast<char *>("export"),
                        const_cast<char *>(path.constData()), const_cast<char *>("0"), nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start tervo-tool");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        posix_spawn_file_actions_destroy(&actions);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("tervo-tool failed");
    }
}
BENCHMARK(BM_ToolExportProcess)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

namespace {
void BM_FormatFullStore(benchmark::State &state)
{
    auto s = fullStore();
    for (auto _ : state)
        benchmark::DoNotOptimize(trackFileText(*s, '.'));
}
BENCHMARK(BM_FormatFullStore)->Unit(benchmark::kMillisecond)->MinTime(2.0);
} // namespace
