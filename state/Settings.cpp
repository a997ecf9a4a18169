#include "Settings.h"

#include "core/LineReader.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tervo {

namespace {

template <typename Owner>
using Field =
    std::variant<std::int16_t Owner::*, std::int32_t Owner::*, double Owner::*, QString Owner::*>;

template <typename Owner> struct Key {
    const char *name;
    Field<Owner> field;
    std::optional<double> numberDefault;
    const char *textDefault = nullptr;
};

using K = Key<Settings>;
using C = Key<CVSet>;
constexpr std::nullopt_t none = std::nullopt;

const std::vector<C> &cvKeys()
{
    static const std::vector<C> keys{
        {"CVTitle", &CVSet::CVTitle, none, "Initial Setting"},
        {"CVXScale", &CVSet::CVXScale, 1},
        {"CVYScale", &CVSet::CVYScale, 0.001},
        {"CVV0", &CVSet::CVV0, 0.6},
        {"CVV1", &CVSet::CVV1, 1.2},
        {"CVV2", &CVSet::CVV2, -0.2},
        {"CVScanrate", &CVSet::CVScanrate, 50},
        {"CVCyclenum", &CVSet::CVCyclenum, 2},
        {"CVSamplingRate", &CVSet::CVSamplingRate, 100},
        {"CVAccum", &CVSet::CVAccum, 100},
        {"CVRef", &CVSet::CVRef, none},
        {"CVRetainTime", &CVSet::CVRetainTime, 10},
        {"CVRPM", &CVSet::CVRPM, none},
    };
    return keys;
}

// The keys after the CV sets, in the order they are written. MMAdch and MMScale are lists and
// stand between RPjV and MMMaxTime.
const std::vector<K> &keysBeforeLists()
{
    static const std::vector<K> keys{
        {"DiskXScale", &Settings::DiskXScale, 1},
        {"DiskYScale", &Settings::DiskYScale, 0.001},
        {"RingXScale", &Settings::RingXScale, 1},
        {"RingYScale", &Settings::RingYScale, 1e-05},
        {"RPMScale", &Settings::RPMScale, 1000},
        {"RDEV0", &Settings::RDEV0, 0.8},
        {"RDEV1", &Settings::RDEV1, -0.2},
        {"RDEV2", &Settings::RDEV2, 0.8},
        {"RDEScanrate", &Settings::RDEScanrate, 50},
        {"RDECycleNum", &Settings::RDECycleNum, 1},
        {"RDESamplingRate", &Settings::RDESamplingRate, 2},
        {"RDEAccum", &Settings::RDEAccum, 500},
        {"RDERef", &Settings::RDERef, none},
        {"RDERetainTime", &Settings::RDERetainTime, 10},
        {"RDERPM", &Settings::RDERPM, none},
        {"PSXScale", &Settings::PSXScale, 1},
        {"PSYScale", &Settings::PSYScale, 0.001},
        {"PSRPMScale", &Settings::PSRPMScale, 1000},
        {"PSMaxTime", &Settings::PSMaxTime, 100},
        {"PSCoulomb", &Settings::PSCoulomb, 0.1},
        {"PSInitSamplingRate", &Settings::PSInitSamplingRate, 10},
        {"PSSamplinDivision", &Settings::PSSamplinDivision, 1.2},
        {"PSAccum", &Settings::PSAccum, 500},
        {"PSV0", &Settings::PSV0, 0.8},
        {"PSV1", &Settings::PSV1, 0.1},
        {"PSRetainTime", &Settings::PSRetainTime, 10},
        {"PSRPM", &Settings::PSRPM, none},
        {"PSGraphOn", &Settings::PSGraphOn, 1},
        {"RPjXScale", &Settings::RPjXScale, 1},
        {"RPjYScale", &Settings::RPjYScale, 0.001},
        {"RPjRPMScale", &Settings::RPjRPMScale, 1000},
        {"RPjDiskPotential", &Settings::RPjDiskPotential, -0.1},
        {"RPjRPMLimit", &Settings::RPjRPMLimit, 1500},
        {"RPjSamplingRate", &Settings::RPjSamplingRate, 10},
        {"RPjAccum", &Settings::RPjAccum, 250},
        {"RPjStartRPM", &Settings::RPjStartRPM, 200},
        {"RPjEndRPM", &Settings::RPjEndRPM, 1200},
        {"RPjSpeed", &Settings::RPjSpeed, 10},
        {"RPjRetainTime", &Settings::RPjRetainTime, 15},
        {"RPjV", &Settings::RPjV, -0.2},
    };
    return keys;
}

const std::vector<K> &keysAfterLists()
{
    static const std::vector<K> keys{
        {"MMMaxTime", &Settings::MMMaxTime, 600},
        {"MMSamplingRate", &Settings::MMSamplingRate, 1},
        {"MMAccum", &Settings::MMAccum, 20},
        {"SSVDiskXScale", &Settings::SSVDiskXScale, 1},
        {"SSVDiskYScale", &Settings::SSVDiskYScale, 0.001},
        {"SSVRingXScale", &Settings::SSVRingXScale, 1},
        {"SSVRingYScale", &Settings::SSVRingYScale, 1e-05},
        {"SSVRPMScale", &Settings::SSVRPMScale, 1000},
        {"SSVV1st", &Settings::SSVV1st, 1},
        {"SSVV2nd", &Settings::SSVV2nd, -0.2},
        {"SSVVoltStep", &Settings::SSVVoltStep, 0.005},
        {"SSVStepTime", &Settings::SSVStepTime, 30},
        {"SSVAccelerateMode", &Settings::SSVAccelerateMode, 1},
        {"SSVCurrentTolerance", &Settings::SSVCurrentTolerance, 0.5},
        {"SSVSkipMode", &Settings::SSVSkipMode, 1},
        {"SSVAppliedCurrent", &Settings::SSVAppliedCurrent, 5},
        {"SSVSamplingRate", &Settings::SSVSamplingRate, 2},
        {"SSVAccum", &Settings::SSVAccum, 500},
        {"SSVRef", &Settings::SSVRef, none},
        {"SSVRPM", &Settings::SSVRPM, none},
        {"SSVSegment", &Settings::SSVSegment, 2},
        {"SSVMinTime", &Settings::SSVMinTime, 1},
        {"SSVRecordNextTrack", &Settings::SSVRecordNextTrack, 1},
        {"FFTFxmax", &Settings::FFTFxmax, 25},
        {"FFTFymax", &Settings::FFTFymax, 2},
        {"KLne", &Settings::KLne, 4},
        {"KLVuse", &Settings::KLVuse, -0.1},
        {"KLVrange", &Settings::KLVrange, -0.02},
        {"KLElectrodeArea", &Settings::KLElectrodeArea, 0.28274},
        {"KLViscosity", &Settings::KLViscosity, 0.01},
        {"KLDm", &Settings::KLDm, 2e-05},
        {"KLConc", &Settings::KLConc, 1.5e-06},
        {"KLMethod", &Settings::KLMethod, 0},
        {"KLVariable", &Settings::KLVariable, 0},
        {"O2CE", &Settings::O2CE, 0.4},
        {"O2VStep", &Settings::O2VStep, 0.1},
        {"O2Vrange", &Settings::O2Vrange, 0.02},
        {"TaEred", &Settings::TaEred, 1},
        {"TaArea", &Settings::TaArea, 1},
        {"SoundFileName", &Settings::SoundFileName, none,
         "A:\\Windows\\MEDIA\\The Microsoft Sound.wav"},
        {"PrevGraphDrawSetting", &Settings::PrevGraphDrawSetting, 0},
        {"ADBoard", &Settings::ADBoard, 0},
        {"DeviceName", &Settings::DeviceName, none, "AIO00"},
        {"CardNumber", &Settings::CardNumber, none},
        {"DynamicRange", &Settings::DynamicRange, 0},
        {"GPIBControl", &Settings::GPIBControl, 0},
        {"GPIBAddress", &Settings::GPIBAddress, 7},
        {"FGKind", &Settings::FGKind, 0},
        {"DABoard", &Settings::DABoard, none},
        {"RPMvsVoltageFile", &Settings::RPMvsVoltageFile, none},
        {"PowerControl", &Settings::PowerControl, 0},
        {"MailServer", &Settings::MailServer, none, ""},
        {"MailPort", &Settings::MailPort, 25},
        {"MailFrom", &Settings::MailFrom, none, ""},
        {"MailStartTLS", &Settings::MailStartTLS, 1},
        {"MailUser", &Settings::MailUser, none, ""},
        {"MailAllowUnencrypted", &Settings::MailAllowUnencrypted, none, ""},
        {"Language", &Settings::Language, none, "auto"},
    };
    return keys;
}

template <typename Owner> void applyDefault(Owner &o, const Key<Owner> &k)
{
    std::visit(
        [&](auto member) {
            using T = std::remove_cvref_t<decltype(o.*member)>;
            if constexpr (std::is_same_v<T, QString>) {
                if (k.textDefault)
                    o.*member = QString::fromUtf8(k.textDefault);
            } else if (k.numberDefault) {
                o.*member = static_cast<T>(*k.numberDefault);
            }
        },
        k.field);
}

template <typename Owner> void appendValue(std::string &out, const Owner &o, const Key<Owner> &k)
{
    out.append(k.name).push_back('=');
    std::visit(
        [&](auto member) {
            using T = std::remove_cvref_t<decltype(o.*member)>;
            if constexpr (std::is_same_v<T, QString>) {
                QByteArray utf8 = (o.*member).toUtf8();
                for (char &c : utf8)
                    if (c == '\r' || c == '\n')
                        c = ' ';
                out.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
            } else {
                appendGeneralSigned(out, static_cast<double>(o.*member));
                out.push_back(' ');
            }
        },
        k.field);
    out.append("\r\n");
}

// False when a number is beyond the range of numbers; the key then keeps its value.
template <typename Owner> bool assignValue(Owner &o, const Key<Owner> &k, std::string_view v)
{
    return std::visit(
        [&](auto member) {
            using T = std::remove_cvref_t<decltype(o.*member)>;
            if constexpr (std::is_same_v<T, QString>) {
                o.*member = QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size()));
                return true;
            } else {
                double x = 0;
                if (!readDecimal(v, x))
                    return false;
                if constexpr (std::is_same_v<T, std::int16_t>)
                    o.*member = roundHalfEven16(x);
                else if constexpr (std::is_same_v<T, std::int32_t>)
                    o.*member = roundHalfEven(x);
                else
                    o.*member = x;
                return true;
            }
        },
        k.field);
}

enum class Assigned { Unknown, Taken, Refused };

template <typename Owner>
Assigned assignKey(Owner &o, const std::vector<Key<Owner>> &keys, std::string_view key,
                   std::string_view v)
{
    for (const Key<Owner> &k : keys)
        if (key == k.name)
            return assignValue(o, k, v) ? Assigned::Taken : Assigned::Refused;
    return Assigned::Unknown;
}

template <typename T, typename Conv>
bool readList(std::vector<T> &target, std::string_view v, Conv conv)
{
    std::vector<double> read;
    if (!readDecimalList(v, kMMListCapacity, read))
        return false;
    std::vector<T> values;
    for (double x : read)
        values.push_back(conv(x));
    target = std::move(values);
    return true;
}

template <typename T> void appendList(std::string &out, const char *key, const std::vector<T> &v)
{
    out.append(key);
    for (T x : v) {
        out.push_back(' ');
        appendGeneral(out, static_cast<double>(x));
    }
    out.append("\r\n");
}

} // namespace

bool mailUnencryptedAllowed(const Settings &s)
{
    const QString server = s.MailServer.trimmed();
    return !server.isEmpty() &&
           s.MailAllowUnencrypted.trimmed().compare(server, Qt::CaseInsensitive) == 0;
}

void ApplyDefaultSettings(Settings &s)
{
    s.CVNum = 0;
    for (CVSet &set : s.CV)
        for (const C &k : cvKeys())
            applyDefault(set, k);
    for (const K &k : keysBeforeLists())
        applyDefault(s, k);
    for (const K &k : keysAfterLists())
        applyDefault(s, k);
    s.MMAdch.resize(std::max<std::size_t>(s.MMAdch.size(), kMMEntries));
    s.MMScale.resize(std::max<std::size_t>(s.MMScale.size(), kMMEntries));
    for (int k = 0; k < kMMEntries; ++k) {
        s.MMAdch[static_cast<std::size_t>(k)] = static_cast<std::int16_t>(k);
        s.MMScale[static_cast<std::size_t>(k)] = k % 2 == 0 ? 1.0 : 0.005;
    }
}

QByteArray settingsText(const Settings &s)
{
    std::string out;
    out.reserve(8192);
    out.append("CVNum=");
    appendGeneralSigned(out, s.CVNum);
    out.append(" \r\n");
    for (int set = 0; set < kCVSets; ++set) {
        out.append("CVSetNum=");
        appendGeneralSigned(out, set);
        out.append(" \r\n");
        for (const C &k : cvKeys())
            appendValue(out, s.CV[static_cast<std::size_t>(set)], k);
    }
    for (const K &k : keysBeforeLists())
        appendValue(out, s, k);
    appendList(out, "MMAdch=", s.MMAdch);
    appendList(out, "MMScale=", s.MMScale);
    for (const K &k : keysAfterLists())
        appendValue(out, s, k);
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

QByteArray settingsTextWithoutPassword(const QByteArray &text)
{
    static const QByteArray key = QByteArrayLiteral("MailPassword=");
    QByteArray out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (from < text.size()) {
        // Lines end at LF, CR LF or a lone CR, as the reader takes them.
        qsizetype end = from;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        const QByteArray line = text.mid(from, end - from);
        out += line.startsWith(key) ? key : line;
        qsizetype next = end;
        if (next < text.size() && text[next] == '\r')
            ++next;
        if (next < text.size() && text[next] == '\n')
            ++next;
        out += text.mid(end, next - end);
        from = next;
    }
    return out;
}

SettingsReadReport parseSettingsText(const QByteArray &text, Settings &s)
{
    SettingsReadReport report;
    LineReader reader(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    int cvSet = 0;
    int lineNumber = 0;
    auto unread = [&] {
        if (report.unreadLines++ == 0)
            report.firstUnreadLine = lineNumber;
    };
    std::string_view line;
    while (reader.next(line)) {
        ++lineNumber;
        if (line == "Table")
            break;
        const std::size_t eq = line.find('=');
        // A NUL byte is no text: a damaged or binary file.
        if (line.find('\0') != std::string_view::npos) {
            unread();
            continue;
        }
        if (eq == std::string_view::npos || eq == 0) {
            if (line.find_first_not_of(" \t") != std::string_view::npos)
                unread();
            continue;
        }
        const std::string_view key = line.substr(0, eq);
        const std::string_view v = line.substr(eq + 1);
        Assigned a = Assigned::Taken;
        double x = 0;
        if (key == "CVNum") {
            if (readDecimal(v, x))
                s.CVNum = std::clamp(roundHalfEven(x), 0, kCVSets - 1);
            else
                a = Assigned::Refused;
        } else if (key == "CVSetNum") {
            cvSet = readDecimal(v, x) ? roundHalfEven(x) : -1;
            a = cvSet == -1 && x == 0 ? Assigned::Refused : Assigned::Taken;
        } else if (key.starts_with("CV")) {
            if (cvSet >= 0 && cvSet < kCVSets)
                a = assignKey(s.CV[static_cast<std::size_t>(cvSet)], cvKeys(), key, v);
        } else if (key == "MMAdch") {
            if (!readList<std::int16_t>(s.MMAdch, v, [](double y) {
                    return static_cast<std::int16_t>(
                        std::clamp<int>(roundHalfEven16(y), 0, kMMInputs - 1));
                }))
                a = Assigned::Refused;
        } else if (key == "MailPassword") {
            s.MailPassword = QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size()));
        } else if (key == "MMScale") {
            if (!readList<double>(s.MMScale, v, [](double y) { return y; }))
                a = Assigned::Refused;
        } else {
            a = assignKey(s, keysBeforeLists(), key, v);
            if (a == Assigned::Unknown)
                a = assignKey(s, keysAfterLists(), key, v);
        }
        if (a == Assigned::Refused)
            report.refused << QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
        else if (a == Assigned::Unknown)
            unread();
        else
            ++report.keysRead;
    }
    s.MMAdch.resize(kMMListCapacity, 0);
    s.MMScale.resize(kMMListCapacity, 0.0);
    return report;
}

} // namespace tervo
