#pragma once

#include "BoardSettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace tervo {

// One remembered cyclic-voltammetry parameter set.
struct CVSet {
    QString CVTitle;
    double CVXScale = 0;
    double CVYScale = 0;
    double CVV0 = 0;
    double CVV1 = 0;
    double CVV2 = 0;
    double CVScanrate = 0;
    std::int32_t CVCyclenum = 0;
    double CVSamplingRate = 0;
    double CVAccum = 0;
    std::int32_t CVRef = 0;
    std::int32_t CVRetainTime = 0;
    std::int32_t CVRPM = 0;
};

constexpr int kCVSets = 6;
constexpr int kMMEntries = 20;      // entries 0..19 at start-up
constexpr int kMMListCapacity = 21; // entries 0..20 after the settings file is read
constexpr int kMMInputs = 64;

// Every key of "Parameters.txt", one variable per key; the board keys are the embedded
// BoardSettings.
struct Settings : BoardSettings {
    std::int32_t CVNum = 0;
    std::array<CVSet, kCVSets> CV;

    double DiskXScale = 0, DiskYScale = 0, RingXScale = 0, RingYScale = 0;
    double RDEV0 = 0, RDEV1 = 0, RDEV2 = 0, RDEScanrate = 0, RDECycleNum = 0;
    double RDESamplingRate = 0, RDEAccum = 0;
    std::int32_t RDERef = 0, RDERetainTime = 0, RDERPM = 0;

    double PSXScale = 0, PSYScale = 0, PSRPMScale = 0, PSMaxTime = 0, PSCoulomb = 0;
    double PSInitSamplingRate = 0, PSSamplinDivision = 0, PSAccum = 0, PSV0 = 0, PSV1 = 0;
    double PSRetainTime = 0;
    std::int32_t PSRPM = 0;
    std::int16_t PSGraphOn = 0;

    double RPjXScale = 0, RPjYScale = 0, RPjRPMScale = 0, RPjDiskPotential = 0, RPjRPMLimit = 0;
    double RPjSamplingRate = 0, RPjAccum = 0, RPjStartRPM = 0, RPjEndRPM = 0, RPjSpeed = 0;
    double RPjRetainTime = 0, RPjV = 0;

    std::vector<std::int16_t> MMAdch = std::vector<std::int16_t>(kMMEntries, 0);
    std::vector<double> MMScale = std::vector<double>(kMMEntries, 0.0);
    double MMMaxTime = 0, MMSamplingRate = 0, MMAccum = 0;

    double SSVDiskXScale = 0, SSVDiskYScale = 0, SSVRingXScale = 0, SSVRingYScale = 0;
    double SSVRPMScale = 0, SSVV1st = 0, SSVV2nd = 0, SSVVoltStep = 0, SSVStepTime = 0;
    double SSVAccelerateMode = 0, SSVCurrentTolerance = 0;
    std::int16_t SSVSkipMode = 0;
    double SSVAppliedCurrent = 0, SSVSamplingRate = 0, SSVAccum = 0;
    std::int32_t SSVRef = 0, SSVRPM = 0, SSVSegment = 0;
    std::int16_t SSVMinTime = 0, SSVRecordNextTrack = 0;

    double FFTFxmax = 0, FFTFymax = 0;

    double KLne = 0, KLVuse = 0, KLVrange = 0, KLElectrodeArea = 0, KLViscosity = 0, KLDm = 0;
    double KLConc = 0;
    std::int16_t KLMethod = 0, KLVariable = 0;

    // O2CE is the collection efficiency N of the %H2O column and analysis.
    double O2CE = 0, O2VStep = 0, O2Vrange = 0;
    double TaEred = 0, TaArea = 0;

    QString SoundFileName;
    std::int32_t PrevGraphDrawSetting = 0;
    // The SMTP server of the macros' Mail.Send.
    QString MailServer;
    std::int32_t MailPort = 0;
    QString MailFrom;
    std::int16_t MailStartTLS = 0;
    QString MailUser;
    // The server to which the password may go without STARTTLS; empty for none.
    QString MailAllowUnencrypted;
    // Kept in the secret store, never written to the settings file; one found there is read
    // so that it can be moved out.
    QString MailPassword;
    // The language of the program's texts: "auto" (English unless the system speaks Japanese),
    // "ja" or "en".
    QString Language;

    const CVSet &currentCV() const { return CV[static_cast<std::size_t>(CVNum)]; }
    CVSet &currentCV() { return CV[static_cast<std::size_t>(CVNum)]; }
};

// Whether the password may go to the present mail server without STARTTLS.
bool mailUnencryptedAllowed(const Settings &s);

// Sets every key that has a default (all six CV sets alike).
void ApplyDefaultSettings(Settings &s);

// The settings file text, keys in their fixed order.
QByteArray settingsText(const Settings &s);

// How much of a settings text was understood.
struct SettingsReadReport {
    int keysRead = 0;
    // Lines that are neither empty nor a known "key=value" (0 when none), and the first of them.
    int unreadLines = 0;
    int firstUnreadLine = 0;
    // Known keys whose values were refused for being beyond the range of numbers.
    QStringList refused;
    bool complete() const { return unreadLines == 0; }
};

// Parses settings text into s: keys up to a "Table" line, unknown keys ignored, values clamped to
// what the program can hold; values beyond the range of numbers are refused.
SettingsReadReport parseSettingsText(const QByteArray &text, Settings &s);

// The text with the value of every MailPassword line taken out, for a copy kept aside: the
// password itself goes to the secret store.
QByteArray settingsTextWithoutPassword(const QByteArray &text);

} // namespace tervo
