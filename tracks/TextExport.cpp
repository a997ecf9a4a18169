#include "TextExport.h"

#include "Tables.h"
#include "core/NumberFormat.h"
#include "state/TrackModes.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tervo {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString line(const QString &label, const QString &value)
{
    return label + QLatin1Char('\t') + value + kCrLf;
}

QString heading(bool logarithm, int normalisation, const QString &logLabel,
                const QString &plainLabel, int unit)
{
    QString h;
    if (logarithm) {
        h = logLabel;
        if (normalisation == 1)
            h += QStringLiteral("Acm-2)");
        else if (normalisation == 2)
            h += QStringLiteral("Amg-1)");
    } else {
        h = plainLabel +
            (unit >= 0 && unit < UnitNames().size() ? UnitNames().at(unit) : QString());
        if (normalisation == 1)
            h += QStringLiteral("cm-2");
        else if (normalisation == 2)
            h += QStringLiteral("mg-1");
    }
    return h;
}

} // namespace

QString HeaderText(const TrackStore &store, int track)
{
    const TrackHeader &h = store[track];
    if (h.Mode == ModeNone)
        return QStringLiteral("No Data");
    const QChar sep = localeDecimalSeparator();
    QString t;
    t += line("Filename", store.CurrentFileTitle);
    t += line("Mode", modeCaption(h.Mode));
    t += line("Title", h.Title);
    t += line("MeasTime", h.MeasTime);
    if (h.Mode == ModeSSV)
        t += line("StepTime", formatGeneralSigned(h.StepTime));
    else
        t += line("Scanrate", formatGeneralSigned(h.Scanrate));
    t += line("Ref", refName(h.ref));
    if (h.Mode == ModePS) {
        t += line("V1st", formatPattern(h.V1st, "0.000", sep));
        t += line("V2nd", formatPattern(h.V2nd, "0.000", sep));
    }
    if (modeFacts(h.Mode).ringColumn)
        t += line("RingXValue=", formatGeneral(h.RingXValue));
    if (h.Mode == ModeRPMvsJ)
        t += line("DiskXValue=", formatGeneral(h.V1st));
    t += line("RPM", formatGeneralSigned(h.RPM));
    t += line("Conc/molcm-3", formatPattern(h.Conc, "0.000e+0", sep));
    t += line("Area/cm2", formatPattern(h.Area, "0.0000", sep));
    t += line("Weight/mg", formatPattern(h.Weight, "0.000e+0", sep));
    t += line("ne", formatGeneral(h.ne));
    if (h.Mode == ModeMulti)
        t += line("Track", formatGeneralSigned(track));
    return t;
}

QString TrackDataText(const TrackStore &store, int track, const DataTextOptions &o,
                      QChar decimalSep, const ProgressFn &progress)
{
    const TrackHeader &h = store[track];
    const double f1 = unitFactor(o.diskUnit);
    const double f2 = unitFactor(o.ringUnit);
    const ModeFacts &facts = modeFacts(h.Mode);
    const bool ringColumn = facts.ringColumn;
    int columns = 2;

    QString head;
    if (facts.xColumn == 0) {
        switch (facts.xAxis) {
        case ModeAxis::Potential:
            head = QStringLiteral("Potential/V");
            break;
        case ModeAxis::Time:
            head = QStringLiteral("time/s");
            break;
        case ModeAxis::RotationRate:
            head = QStringLiteral("rpm");
            break;
        case ModeAxis::None:
            break;
        }
    }
    head += QLatin1Char('\t') + heading(o.logarithm, o.normalisation, QStringLiteral("log10(idisk"),
                                        QStringLiteral("Disk/"), o.diskUnit);
    if (ringColumn) {
        head +=
            QLatin1Char('\t') + heading(o.logarithm, o.normalisation, QStringLiteral("log10(iring"),
                                        QStringLiteral("Ring/"), o.ringUnit);
        if (o.h2o)
            head += QStringLiteral("\t%H2O");
        columns = 3;
    } else if (facts.recordedTime && h.TimeRecording == 1) {
        head += QStringLiteral("\tTime/ms");
        columns = 3;
    } else if (facts.sharedTime && track == 0) {
        head += QStringLiteral("\tTime/s");
        columns = 3;
    } else if (facts.storedColumns == 3) {
        head += QStringLiteral("\tTime/s");
        columns = 3;
    }
    head += kCrLf;

    const char sep = static_cast<char>(decimalSep.unicode());
    static const NumberPattern p0 = NumberPattern::compile("0.0000");
    static const NumberPattern pLog = NumberPattern::compile("#0.0000");
    static const NumberPattern pCur = NumberPattern::compile("0.0000e+0");
    static const NumberPattern pH2O = NumberPattern::compile("##0.0");
    const double n = store.CollectionEfficiency;

    std::string out;
    const int pnum = std::clamp(h.pnum, 0, kMaxPoints);
    out.reserve(static_cast<std::size_t>(pnum) * 40);
    auto logValue = [&](double v) {
        double a = std::fabs(v);
        if (a == 0)
            a = 1e-9;
        appendPattern(out, std::log10(a), pLog, sep);
    };
    for (int i = 0; i < pnum; ++i) {
        if (progress && i % 100 == 0)
            progress(i);
        const double disk = store.data(1, track, i);
        if ((o.filter == 1 && disk > 0) || (o.filter == 2 && disk < 0))
            continue;
        appendPattern(out, store.data(0, track, i), p0, sep);
        for (int c = 1; c < columns; ++c) {
            out.push_back('\t');
            const double v = store.data(c, track, i);
            if (o.logarithm) {
                logValue(v);
                continue;
            }
            const double scaled = v * (c == 1 ? f1 : f2);
            if (c < columns - 1)
                appendPattern(out, o.absolute ? std::fabs(scaled) : scaled, pCur, sep);
            else
                appendGeneral(out, scaled);
        }
        if (o.h2o && ringColumn) {
            const double d = std::fabs(store.data(1, track, i));
            const double r = std::fabs(store.data(2, track, i));
            if (n == 0) {
                // No ratio without a collection efficiency: the dash the O2 window shows.
                out.append("\t\u2014");
            } else if (r / n + d != 0) {
                out.push_back('\t');
                appendPattern(out, 100.0 * (d - r / n) / (r / n + d), pH2O, sep);
            }
        }
        out.append("\r\n");
    }
    return head + QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

QString copyAllText(const TrackStore &store, int track, QChar decimalSep,
                    const ProgressFn &progress)
{
    return HeaderText(store, track) + kCrLf +
           TrackDataText(store, track, DataTextOptions(), decimalSep, progress);
}

} // namespace tervo
