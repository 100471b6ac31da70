// libFuzzer target for the tag reader every data file goes through: any file, then scopes
// entered and values read by the names the game's files use and by names taken from the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_file.h"
#include "libs/common/xml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = tk_fuzz::WriteInput(data, size, ".xml");
    common::CXmlReader reader;
    reader.Load(path);
    // A tag name from the input itself, so that its own elements are entered.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t open = text.find('<');
    const std::size_t close = text.find('>', open == std::string::npos ? 0 : open);
    const std::string own = open != std::string::npos && close != std::string::npos && close > open
                                ? text.substr(open + 1, close - open - 1)
                                : std::string("Item");
    for (const char* name : {"VelmConfig", "VelmGraphic", "Settings", "FX"}) {
        reader.Enter(name);
        reader.GetValue("FileName");
        reader.GetValue(own);
    }
    reader.Enter(own);
    reader.GetValue(own);
    reader.Enter(own);
    volatile std::uint32_t scopes = reader.GetScopeCount();
    (void)scopes;
    return 0;
}
