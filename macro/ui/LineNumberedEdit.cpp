#include "LineNumberedEdit.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>
#include <algorithm>

namespace tervo {

class LineNumberArea : public QWidget {
public:
    explicit LineNumberArea(LineNumberedEdit *editor) : QWidget(editor), m_editor(editor)
    {
        setObjectName(QStringLiteral("lineNumberArea"));
    }
    QSize sizeHint() const override { return {m_editor->lineNumberAreaWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent *event) override { m_editor->paintLineNumbers(event); }

private:
    LineNumberedEdit *m_editor;
};

LineNumberedEdit::LineNumberedEdit(QWidget *parent)
    : QPlainTextEdit(parent), m_gutter(new LineNumberArea(this))
{
    connect(this, &QPlainTextEdit::blockCountChanged, this, &LineNumberedEdit::updateMargin);
    connect(this, &QPlainTextEdit::updateRequest, this, &LineNumberedEdit::scrollGutter);
    updateMargin();
}

int LineNumberedEdit::lineNumberAreaWidth() const
{
    const int digits = static_cast<int>(QString::number(std::max(1, blockCount())).size());
    // Room for three digits from the start, so the text does not jump at line 10 and 100.
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(3, digits);
}

void LineNumberedEdit::updateMargin()
{
    setViewportMargins(lineNumberAreaWidth(), 0, 0, 0);
    placeGutter();
}

void LineNumberedEdit::placeGutter()
{
    const QRect r = contentsRect();
    m_gutter->setGeometry(r.left(), r.top(), lineNumberAreaWidth(), r.height());
}

void LineNumberedEdit::scrollGutter(const QRect &rect, int dy)
{
    if (dy != 0)
        m_gutter->scroll(0, dy);
    else
        m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
    if (rect.contains(viewport()->rect()))
        updateMargin();
}

void LineNumberedEdit::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    placeGutter();
}

void LineNumberedEdit::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    // The digits' width follows the editor's font.
    if (event->type() == QEvent::FontChange)
        updateMargin();
}

QList<LineNumberedEdit::VisibleLine> LineNumberedEdit::visibleLines() const
{
    QList<VisibleLine> lines;
    QTextBlock block = firstVisibleBlock();
    const int bottom = viewport()->height();
    while (block.isValid()) {
        const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
        if (box.top() > bottom)
            break;
        if (block.isVisible())
            lines.append({block.blockNumber() + 1, qRound(box.top()), qRound(box.height())});
        block = block.next();
    }
    return lines;
}

QStringList LineNumberedEdit::visibleLineNumbers() const
{
    QStringList numbers;
    for (const VisibleLine &l : visibleLines())
        numbers << QString::number(l.number);
    return numbers;
}

void LineNumberedEdit::paintLineNumbers(QPaintEvent *event)
{
    QPainter p(m_gutter);
    p.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
    p.setPen(palette().color(QPalette::PlaceholderText));
    p.setFont(font());
    const int right = m_gutter->width() - 4;
    for (const VisibleLine &l : visibleLines())
        if (l.top + l.height >= event->rect().top() && l.top <= event->rect().bottom())
            p.drawText(0, l.top, right, l.height, Qt::AlignRight | Qt::AlignVCenter,
                       QString::number(l.number));
}

} // namespace tervo
