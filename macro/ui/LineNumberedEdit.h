#pragma once

#include <QPlainTextEdit>
#include <QStringList>

namespace tervo {

// A plain text editor with the line numbers in a gutter on its left, so a message naming a line
// of a long macro leads straight to it.
class LineNumberedEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LineNumberedEdit(QWidget *parent = nullptr);

    QWidget *lineNumberArea() const { return m_gutter; }
    int lineNumberAreaWidth() const;
    // The numbers the gutter shows, top to bottom, for the lines in view.
    QStringList visibleLineNumbers() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    friend class LineNumberArea;
    struct VisibleLine {
        int number; // 1-based
        int top;
        int height;
    };
    QList<VisibleLine> visibleLines() const;
    void paintLineNumbers(QPaintEvent *event);
    void updateMargin();
    void placeGutter();
    void scrollGutter(const QRect &rect, int dy);

    QWidget *m_gutter = nullptr;
};

} // namespace tervo
