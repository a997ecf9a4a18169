#pragma once

#include <cstring>
#include <string_view>

namespace tervo {

// Splits text into lines at CR LF, LF or a lone CR, so files written on any system read alike.
// A UTF-8 byte-order mark before the first line is not part of it. The lines are views into the
// text, which must outlive the reader.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(withoutBom(text)) { rewind(); }

    bool next(std::string_view &line)
    {
        if (m_done)
            return false;
        const std::size_t end = lineEnd();
        if (end == std::string_view::npos) {
            line = m_rest;
            m_done = true;
            ++m_lineNo;
            return true;
        }
        line = m_rest.substr(0, end);
        std::size_t skip = end + 1;
        if (m_rest[end] == '\r' && skip < m_rest.size() && m_rest[skip] == '\n')
            ++skip;
        m_rest.remove_prefix(skip);
        // Text that ends with a line end has no empty line after it.
        if (m_rest.empty())
            m_done = true;
        ++m_lineNo;
        return true;
    }
    bool atEnd() const { return m_done; }
    // 1-based number of the line last returned.
    int lineNumber() const { return m_lineNo; }
    // Starts again so that the next line returned is the one after lineNumber.
    void rewindTo(int lineNumber)
    {
        rewind();
        std::string_view skip;
        while (m_lineNo < lineNumber && next(skip)) {
        }
    }

private:
    static std::string_view withoutBom(std::string_view text)
    {
        if (text.substr(0, 3) == "\xEF\xBB\xBF")
            text.remove_prefix(3);
        return text;
    }
    void rewind()
    {
        m_rest = m_text;
        m_done = m_text.empty();
        m_lineNo = 0;
    }
    // The first CR or LF; two vectorised scans beat a scan for either character.
    std::size_t lineEnd() const
    {
        const char *p = m_rest.data();
        const std::size_t n = m_rest.size();
        const void *lf = std::memchr(p, '\n', n);
        const std::size_t limit =
            lf ? static_cast<std::size_t>(static_cast<const char *>(lf) - p) : n;
        const void *cr = std::memchr(p, '\r', limit);
        if (cr)
            return static_cast<std::size_t>(static_cast<const char *>(cr) - p);
        return lf ? limit : std::string_view::npos;
    }

    std::string_view m_text;
    std::string_view m_rest;
    bool m_done = true;
    int m_lineNo = 0;
};

} // namespace tervo
