#pragma once

#include <QWidget>

class QTextBrowser;

namespace tervo {

// "Getting started": the guide of the Help menu, read-only.
class frmGuide : public QWidget {
    Q_OBJECT
public:
    explicit frmGuide(const QString &markdown, QWidget *parent = nullptr);

    QTextBrowser *txtGuide() const { return m_text; }

private:
    QTextBrowser *m_text = nullptr;
};

} // namespace tervo
