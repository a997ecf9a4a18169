#include "AdjustRpmController.h"

#include "Instruments.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "core/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace tervo {

AdjustRpmController::AdjustRpmController(Instruments &instruments, Prompts &prompts,
                                         QString settingsFolder)
    : m_instruments(instruments), m_prompts(prompts), m_folder(std::move(settingsFolder))
{
}

bool AdjustRpmController::open()
{
    if (m_instruments.ADOpen() != 0) {
        m_prompts.message(QCoreApplication::translate("Measurement", kAdBoardMessageJa));
        return false;
    }
    if (m_instruments.settings().DABoard > 0 && m_instruments.DAOpen() != 0) {
        m_prompts.message(QString::fromLatin1(kDaBoardMessage));
        return false;
    }
    m_row = 0;
    m_historyIndex = 0;
    m_running = false;
    showRow();
    notify();
    return true;
}

void AdjustRpmController::showRow()
{
    const auto &table = m_instruments.rpmTable();
    m_voltage = m_row < static_cast<int>(table.size()) ? table[std::size_t(m_row)].volt : 0.0;
}

QString AdjustRpmController::rateText() const
{
    const auto &table = m_instruments.rpmTable();
    if (m_row >= static_cast<int>(table.size()))
        return QString();
    return formatPattern(table[std::size_t(m_row)].rpm, "###0");
}

QString AdjustRpmController::voltageText() const
{
    return formatPattern(m_voltage, "0.000");
}

void AdjustRpmController::notify()
{
    if (changed)
        changed();
}

void AdjustRpmController::motorOn()
{
    m_running = true;
    std::uint8_t on = 1;
    m_instruments.power().Power(0, on);
    m_instruments.DAWrite(0, m_voltage);
    notify();
}

void AdjustRpmController::motorOff()
{
    m_running = false;
    std::uint8_t off = 0;
    m_instruments.power().Power(0, off);
    notify();
}

void AdjustRpmController::rowUp()
{
    const int rows = static_cast<int>(m_instruments.rpmTable().size());
    if (!m_running || m_row + 1 >= rows)
        return;
    ++m_row;
    std::int32_t rpm = roundHalfEven(m_instruments.rpmTable()[std::size_t(m_row)].rpm);
    m_instruments.RpmSet(rpm);
    showRow();
    notify();
}

void AdjustRpmController::rowDown()
{
    if (!m_running || m_row <= 0)
        return;
    --m_row;
    std::int32_t rpm = roundHalfEven(m_instruments.rpmTable()[std::size_t(m_row)].rpm);
    m_instruments.RpmSet(rpm);
    showRow();
    notify();
}

void AdjustRpmController::voltageUp()
{
    if (!m_running || !(m_voltage < 4.9))
        return;
    m_voltage += kCalibrationVoltStep;
    m_instruments.DAWrite(0, m_voltage);
    notify();
}

void AdjustRpmController::voltageDown()
{
    if (!m_running || !(m_voltage > 0))
        return;
    m_voltage -= kCalibrationVoltStep;
    m_instruments.DAWrite(0, m_voltage);
    notify();
}

void AdjustRpmController::update()
{
    auto &table = m_instruments.rpmTable();
    if (m_row < static_cast<int>(table.size()))
        table[std::size_t(m_row)].volt = m_voltage;
}

QString AdjustRpmController::calibrationPath() const
{
    QString path = m_instruments.settings().RPMvsVoltageFile;
    if (!path.isEmpty() && QFileInfo(path).isRelative() && !m_folder.isEmpty())
        path = QDir(m_folder).filePath(path);
    return path;
}

bool AdjustRpmController::save()
{
    const QString path = calibrationPath();
    if (m_readOnly) {
        m_prompts.message(QStringLiteral("The settings folder is open read-only: the calibration "
                                         "is used but not saved to \"%1\".")
                              .arg(path));
        return false;
    }
    QSaveFile file(path);
    // Replaced only once the whole table is written, so a failed save keeps the old file.
    const QByteArray text = rpmTableText(m_instruments.rpmTable());
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(text) != text.size() ||
        !file.commit()) {
        m_prompts.message(QStringLiteral("The calibration could not be saved to \"%1\": %2")
                              .arg(path, file.errorString()));
        return false;
    }
    return true;
}

void AdjustRpmController::tick()
{
    double sum = 0;
    for (int i = 0; i < kRpmReadingsPerTick; ++i)
        sum += m_instruments.ADRead(4);
    const double measured = sum / kRpmReadingsPerTick * m_instruments.settings().RPMScale;
    m_measured = formatPattern(measured, "###0");
    m_history[std::size_t(m_historyIndex)] = measured;
    double total = 0;
    for (double h : m_history)
        total += h;
    m_average = formatPattern(total / kRpmHistory, "###0");
    m_historyIndex = (m_historyIndex + 1) % kRpmHistory;
    notify();
}

} // namespace tervo
