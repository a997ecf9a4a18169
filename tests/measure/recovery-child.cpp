// A measuring program that the recovery tests kill with SIGKILL at chosen moments.
//   recovery-child run FOLDER     a CV run in progress, printing "points N" as it records;
//                                 SIGTERM stores it and prints "closed"
//   recovery-child finished FOLDER  a finished CV run, then "stored N", then idling
//   recovery-child save FILE        saving a full store over FILE again and again ("saved K")
#include "MeasureRig.h"
#include "app/SignalClose.h"
#include "measure/CVModel.h"
#include "measure/RunRecorder.h"
#include "tracks/TrackFile.h"

#include <QTimer>
#include <cstdio>

using namespace tervo;

namespace {

void say(const QByteArray &text)
{
    std::fputs(text.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void prepareCV(CVModel &m)
{
    m.setTimerDriven(false);
    m.open();
    m.SetVoltage(0.6, -0.2, 0.6);
    double rate = 50;
    m.scanrate(rate);
    std::int32_t retain = 0;
    m.RetainTime(retain);
    m.SamplingRate(50);
    m.Accumlation(1);
    m.Title(QStringLiteral("killed run"));
    m.StartMeasurement();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    const QByteArray mode = argv[1];
    const QString where = QString::fromLocal8Bit(argv[2]);
    MeasureRig r;
    if (mode == "save") {
        auto store = std::make_unique<TrackStore>();
        for (int t = 0; t < kUserTracks; ++t) {
            (*store)[t].Mode = ModeRDE;
            (*store)[t].pnum = kMaxPoints;
        }
        for (int k = 1;; ++k) {
            (*store)[0].Title = QStringLiteral("version %1").arg(k);
            if (!writeTrackFile(*store, where, '.').ok)
                return 1;
            say("saved " + QByteArray::number(k));
        }
    }
    r.useCard(false);
    CVModel m(*r.context);
    RunRecorder recorder(*r.context, where);
    recorder.watch(m);
    prepareCV(m);
    if (mode == "finished") {
        r.runToEnd(m);
        say("stored " + QByteArray::number(r.app->store[0].pnum));
    } else {
        // SIGTERM closes as the program's Quit does: the run is stored, the recovery kept.
        new SignalClose([&] {
            m.closeWindow();
            recorder.writeRecovery();
            say("closed");
            QCoreApplication::quit();
        });
        // Time passes on the rig as it does on the wall, so the journal's timer keeps up.
        auto *tick = new QTimer;
        QObject::connect(tick, &QTimer::timeout, [&] {
            r.ticks(m, 1);
            say("points " + QByteArray::number(m.pointCount()));
        });
        tick->start(m.timerIntervalMs());
    }
    return QCoreApplication::exec();
}
