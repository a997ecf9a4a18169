// "Parameters.txt": read, written, read again.
#include "FuzzInput.h"
#include "app/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tervo;
    Settings s;
    ApplyDefaultSettings(s);
    parseSettingsText(fuzz::bytes(data, size), s);
    Settings again;
    parseSettingsText(settingsText(s), again);
    return 0;
}
