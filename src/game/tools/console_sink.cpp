#include "game/tools/console_sink.h"

#include <cstdio>

namespace kelvo {

namespace {

ConsoleSink& Sink() {
    static ConsoleSink sink;
    return sink;
}

} // namespace

void SetConsoleSink(ConsoleSink sink) { Sink() = std::move(sink); }

void ConsolePrint(const std::string& line) {
    if (Sink()) {
        Sink()(line);
    } else {
        std::printf("%s\n", line.c_str());
    }
}

} // namespace kelvo
