#pragma once

#include <QCoreApplication>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

namespace tervo {

class Instruments;
class Prompts;

inline constexpr int kRpmReadingsPerTick = 500;
inline constexpr int kRpmHistory = 10;
inline constexpr double kCalibrationVoltStep = 0.002;

// The calibration window's state: run the motor, move through the table's rows, trim a row's
// voltage while watching the measured speed, and write the table back.
class AdjustRpmController {
public:
    // settingsFolder resolves a relative calibration file name, as the settings reader does.
    AdjustRpmController(Instruments &instruments, Prompts &prompts, QString settingsFolder);

    // Opens the boards; false (after the board message) when the window must close.
    bool open();
    void motorOn();
    void motorOff();
    void rowUp();
    void rowDown();
    void voltageUp();
    void voltageDown();
    void update();
    // Writes the table to the calibration file; false (after a message) when it failed or the
    // settings folder is only read.
    bool save();
    // Another program holds the settings folder: its calibration file is not written.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // One timer tick: the averaged speed and the mean of the recent ones.
    void tick();

    int row() const { return m_row; }
    double editedVoltage() const { return m_voltage; }
    bool motorRunning() const { return m_running; }
    QString rateText() const;
    QString voltageText() const;
    QString measuredText() const { return m_measured; }
    QString averageText() const { return m_average; }
    QString calibrationPath() const;

    // Told after every change the view shows.
    std::function<void()> changed;

private:
    void showRow();
    void notify();

    Instruments &m_instruments;
    Prompts &m_prompts;
    QString m_folder;
    bool m_readOnly = false;
    int m_row = 0;
    double m_voltage = 0;
    bool m_running = false;
    std::array<double, kRpmHistory> m_history{};
    int m_historyIndex = 0;
    QString m_measured;
    QString m_average;
};

inline constexpr char kAdBoardMessageJa[] = QT_TRANSLATE_NOOP("Measurement", "AD Board不良です");
inline constexpr char kDaBoardMessage[] = "DA Board Trouble!";
inline constexpr char kDigitalOutMessage[] = "DigitalOut Board Trouble!";

} // namespace tervo
