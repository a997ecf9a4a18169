#pragma once

#include "TrackProcessing.h"
#include "core/Prompts.h"
#include "state/Settings.h"
#include "tracks/TextExport.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace tervo {

// The point thinning's parameters: "degree", "Distance", "Order:".
struct ThinningOptions {
    double degree = 5;
    double distance = 0.05;
    int order = 2;
    bool logarithm = false;
};

// Indices of the points of r0..r1-1 the thinning keeps, in order; none for modes other than
// CV, RDE, PS, RPMvs.j and SSV.
std::vector<int> thinPoints(const TrackStore &store, int track, int r0, int r1,
                            const ThinningOptions &options);

struct SpecialCopyOptions {
    int diskUnit = 1; // index into UnitNames
    int ringUnit = 1;
    int conversion = 0; // 0 "No Conversion", 1 "Area /cm2", 2 "Weight /mg"
    bool logarithm = false;
    bool absolute = false;
    bool h2o = false;
    int polarity = 0; // 0 "bipolar", 1 "cathodic", 2 "anodic"
    int cycle = -1;   // -1 "All", otherwise the cycle's index in the list
    ThinningOptions thinning;
    bool information = false; // "Information Data"
};

// The "Cycle" entries of the list: one per cycle of the track.
QStringList cycleEntries(const TrackStore &store, int track);

// Builds the special copy of a track in the work slot and returns the clipboard text. On a
// refusal the text is null and message holds what to show.
QString specialCopyText(TrackStore &store, int track, const SpecialCopyOptions &options,
                        double collectionEfficiency, QChar decimalSep, QString *message);

// "Special Copy" of the main window's current track.
class SpecialCopyController {
public:
    SpecialCopyController(TrackStore &store, Settings &settings, Clipboard &clipboard,
                          Prompts &prompts);

    SpecialCopyOptions options;

    // Activation: area and collection efficiency from the track and settings, the cycle list.
    void activate();
    int track() const { return m_store.CurrentTrack; }
    double area() const;
    double weight() const;
    void setArea(double cm2);
    void setWeight(double mg);
    // One value for the whole program; written to the settings at close.
    double collectionEfficiency() const { return m_store.CollectionEfficiency; }
    void setCollectionEfficiency(double n) { m_store.CollectionEfficiency = n; }
    QStringList cycles() const { return m_cycles; }

    // "cmdGo": true when the text went onto the clipboard.
    bool go(QChar decimalSep);

    void drawPreview(kurvex::KurvexControl &canvas) const;

private:
    TrackStore &m_store;
    Settings &m_settings;
    Clipboard &m_clipboard;
    Prompts &m_prompts;
    QStringList m_cycles;
};

} // namespace tervo
