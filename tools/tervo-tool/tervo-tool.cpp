// Command-line companion for scripts: lists, exports and checks track files.
#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "tracks/Tables.h"
#include "tracks/TextExport.h"
#include "tracks/TrackFile.h"

#include <QString>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace tervo;

namespace {

const char kUsage[] =
    "Usage: tervo-tool COMMAND FILE.tvd [TRACK]\n"
    "\n"
    "Commands:\n"
    "  info FILE.tvd          List the occupied tracks, one per line, TAB-separated:\n"
    "                         track, mode, title, RPM, scan rate (mV/s), measurement time,\n"
    "                         point count.\n"
    "  export FILE.tvd TRACK  Print the track as \"Copy All as Text Data\" puts it on the\n"
    "                         clipboard: header block, an empty line, then the data table\n"
    "                         (currents in A, CR LF line ends, TAB between fields).\n"
    "  check FILE.tvd         Exit 0 when the file loads completely; otherwise print the line\n"
    "                         where reading stopped and why, and exit 1.\n"
    "  --help                 Show this text.\n";

// A TAB or line break inside a title would shift the columns of the listing.
QString field(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

void writeOut(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<std::size_t>(utf8.size()), stdout);
}

void writeErr(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<std::size_t>(utf8.size()), stderr);
    std::fputc('\n', stderr);
}

// Loads the file; reports and returns false when it did not load completely.
bool load(TrackStore &store, const QString &path, bool &anything)
{
    const TrackFileReadResult r = loadTrackFile(store, path);
    anything = r.status == TrackFileReadResult::Ok || r.status == TrackFileReadResult::StoppedEarly;
    if (r.ok())
        return true;
    if (r.status == TrackFileReadResult::StoppedEarly)
        writeErr(QStringLiteral("%1: line %2: %3").arg(path).arg(r.line).arg(r.reason));
    else
        writeErr(QStringLiteral("%1: %2").arg(path, r.message(path)));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const QString command = QString::fromLocal8Bit(argv[1]);
    if (argc < 3) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[2]);
    auto store = std::make_unique<TrackStore>();
    bool anything = false;

    if (command == QLatin1String("check")) {
        return load(*store, path, anything) ? 0 : 1;
    }
    if (command == QLatin1String("info")) {
        const bool complete = load(*store, path, anything);
        if (!anything)
            return 1;
        for (int t = 0; t < kUserTracks; ++t) {
            const TrackHeader &h = (*store)[t];
            if (h.Mode == ModeNone)
                continue;
            writeOut(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\n")
                         .arg(t)
                         .arg(modeName(h.Mode), field(h.Title), formatGeneral(h.RPM),
                              formatGeneral(h.Scanrate), field(h.MeasTime))
                         .arg(h.pnum));
        }
        return complete ? 0 : 1;
    }
    if (command == QLatin1String("export")) {
        if (argc < 4) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        const QString trackText = QString::fromLocal8Bit(argv[3]).trimmed();
        bool isNumber = false;
        const int track = trackText.toInt(&isNumber);
        if (!isNumber || track < 0 || track >= kUserTracks) {
            writeErr(QStringLiteral("TRACK must be a track number from 0 to 20."));
            return 2;
        }
        const bool complete = load(*store, path, anything);
        if (!anything)
            return 1;
        if ((*store)[track].Mode == ModeNone) {
            writeErr(QStringLiteral("%1: track %2 is vacant.").arg(path).arg(track));
            return 1;
        }
        writeOut(copyAllText(*store, track, localeDecimalSeparator()));
        return complete ? 0 : 1;
    }
    writeErr(QStringLiteral("Unknown command \"%1\".").arg(command));
    std::fputs(kUsage, stderr);
    return 2;
}
