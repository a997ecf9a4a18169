#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tervo {
namespace sim {
class SimPanelController;
class SimCellController;
} // namespace sim

// "Simulated Instrument": the cell behind the potentiostat, the potentiostat's own sweep,
// started by hand, and what the rig is doing.
class frmSimRig : public QWidget {
    Q_OBJECT
public:
    explicit frmSimRig(sim::SimPanelController &controller, sim::SimCellController *cells = nullptr,
                       QWidget *parent = nullptr);

    QLineEdit *field(const QString &name) const;
    QPushButton *cmdStartSweep() const { return m_start; }
    QPushButton *cmdStopSweep() const { return m_stop; }
    QLabel *lblStatus() const { return m_status; }
    QPlainTextEdit *faultList() const { return m_faults; }
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void takeFields();
    void showFields();
    QWidget *buildCellPanel();
    void showCellFields();

    sim::SimPanelController &m_controller;
    sim::SimCellController *m_cells;
    QPushButton *m_start;
    QPushButton *m_stop;
    QLabel *m_status;
    QPlainTextEdit *m_faults;
    QTimer *m_timer;
};

} // namespace tervo
