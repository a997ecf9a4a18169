#pragma once

#include "TrackProcessing.h"
#include "core/Prompts.h"

#include <QString>
#include <functional>
#include <vector>

namespace tervo {

// "aA(x)+c ? bB(x) = C".
struct CalcOperands {
    int a = 0; // track A
    int b = 0; // track B (its shifted copy is in the shift slot)
    double fa = 1, fb = 1, c = 0;
    double xBshift = 0;
    int op = 0; // 0 "+", 1 "-"
};

// "(1* Track3-0.5* Track4)[xBshift=0]"; provisional leaves out the shift part.
QString calcResultTitle(const CalcOperands &o, int bNumber, bool withShift);

// Copies B's header and points onto the shift slot and adds the shift to its x column.
void buildShiftedB(TrackStore &store, int b, double xBshift);

// Removes every point whose x equals its predecessor's at 3 decimals; returns the count removed.
int removeDuplicatePoints(TrackStore &store, int track);

// The sweep boundaries [0, e1, e2, ...] of a voltammetric track (at most 1000 entries).
std::vector<int> sweepBoundaries(const TrackStore &store, int track);

enum class CalcStatus {
    Done,
    Incompatible,     // A's mode needs another mode of B: silently nothing
    ScanrateMismatch, // "The scanrate of Track A is different from that of Track B!"
    EqualBracket,     // B's bracket has two equal x values
    NothingComputed,  // vacant A, Multi or SSVAll
};

// Combines A with the shift slot into the work slot, leaving out the points whose x repeats its
// predecessor's at 3 decimals and the points of A or B that are not finite (skipped counts
// them). Only the work slot changes, and only when the status is Done.
CalcStatus calculateTracks(TrackStore &store, const CalcOperands &o, int *computedPoints = nullptr,
                           int *skipped = nullptr);

inline constexpr char kScanrateMessage[] =
    "The scanrate of Track A is different from that of Track B!";

// "Calculation": the operands, the preview and "UpDate" into track C.
class TrackCalculationController {
public:
    TrackCalculationController(TrackStore &store, Prompts &prompts);

    void open(); // A = 0, B = 0, C = 20, the shifted B built

    CalcOperands operands() const { return m_o; }
    int trackC() const { return m_c; }
    void setTrackA(int t);
    void setTrackB(int t);
    void setTrackC(int t) { m_c = wrapTrack(t); }
    void setFactorA(double v);
    void setFactorB(double v);
    void setConstant(double v);
    void setXShift(double v);
    void setOperator(int op) { m_o.op = op == 1 ? 1 : 0; }

    QString titleC() const { return m_titleC; }
    void setTitleC(const QString &t) { m_titleC = t; }

    bool resultReady() const { return m_ready; }
    // Points of A and B the last calculation left out for not being finite.
    int skippedPoints() const { return m_skipped; }
    const TrackStore &store() const { return m_store; }
    bool calculate();
    // "UpDate": false (with a message) without a result of the present operands.
    bool update();

    void drawPreview(kurvex::KurvexControl &canvas) const;

    std::function<void(int)> trackChanged;

private:
    void clearResult() { m_ready = false; }

    TrackStore &m_store;
    Prompts &m_prompts;
    CalcOperands m_o;
    int m_c = 20;
    QString m_titleC;
    bool m_ready = false;
    int m_skipped = 0;
    // The work slot is shared with other windows: the result is kept here too.
    std::array<std::vector<double>, 3> m_result;
    TrackHeader m_resultHeader;
};

} // namespace tervo
