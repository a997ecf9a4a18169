// The macro text: split into lines, every line parsed, the whole checked as Run checks it.
#include "FuzzInput.h"
#include "macro/MacroLanguage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tervo;
    const QString text = QString::fromLatin1(fuzz::bytes(data, size));
    const QStringList lines = splitMacroLines(text);
    for (int i = 0; i < lines.size(); ++i)
        (void)parseMacroLine(lines.at(i), i + 1);
    QString message;
    (void)checkMacro(lines, &message);
    return 0;
}
