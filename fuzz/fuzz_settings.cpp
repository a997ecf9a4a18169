// "Parameters.txt": read, written, read again.
#include "FuzzInput.h"
#include "state/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tervo;
    Settings s;
    ApplyDefaultSettings(s);
    parseSettingsText(fuzz::bytes(data, size), s);
    Settings again;
    // What the program writes it must read completely and to the same text.
    if (!parseSettingsText(settingsText(s), again).complete() ||
        settingsText(again) != settingsText(s))
        __builtin_trap();
    return 0;
}
