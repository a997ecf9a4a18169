#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QLineEdit;

namespace tervo {

class PowerController;
class Prompts;

// "Power Control": one check box and one editable name per power output, over the power state.
class frmPower : public QWidget {
    Q_OBJECT
public:
    frmPower(PowerController &controller, Prompts &prompts, QWidget *parent = nullptr);
    ~frmPower() override;

    // Opens the digital output (once) and shows the window; on failure the board message is
    // shown instead and false returned.
    bool openWindow();

    QCheckBox *chkPower(int i) const { return m_chk[std::size_t(i)]; }
    QLineEdit *txtPower(int i) const { return m_txt[std::size_t(i)]; }

private:
    void follow();

    PowerController &m_controller;
    Prompts &m_prompts;
    std::array<QCheckBox *, 5> m_chk{};
    std::array<QLineEdit *, 5> m_txt{};
};

} // namespace tervo
