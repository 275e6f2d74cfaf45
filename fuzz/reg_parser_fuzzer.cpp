// Fuzz target: the host registry's .reg parser. Any text is parsed; a text it accepts must come
// back from the writer as a text that parses to the same keys and values, byte for byte, and that
// writes the same way again. A refused text must name a line of the file.
#include "fuzz_check.h"
#include "registry_store.h"

#include <stddef.h>
#include <stdint.h>

#include <algorithm>
#include <string>

// The same live keys in the same order, with the same names, values, types and bytes.
static bool SameKey(const RegStore& a, int keyA, const RegStore& b, int keyB) {
    const RegKey& x = a.keys[static_cast<size_t>(keyA)];
    const RegKey& y = b.keys[static_cast<size_t>(keyB)];
    if (x.name != y.name || x.deleted || y.deleted || x.children.size() != y.children.size() ||
        x.values.size() != y.values.size()) {
        return false;
    }
    for (size_t i = 0; i < x.values.size(); ++i) {
        if (x.values[i].name != y.values[i].name || x.values[i].type != y.values[i].type ||
            x.values[i].data != y.values[i].data) {
            return false;
        }
    }
    for (size_t i = 0; i < x.children.size(); ++i) {
        if (!SameKey(a, x.children[i], b, y.children[i])) {
            return false;
        }
    }
    return true;
}

static bool SameRegistry(const RegStore& a, const RegStore& b) {
    for (int root = 0; root < REG_ROOT_COUNT; ++root) {
        if (!SameKey(a, root, b, root)) {
            return false;
        }
    }
    return a.regedit4 == b.regedit4;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    RegStore store;
    RegStoreInit(&store);
    int line = 0;
    std::string what;
    if (!RegParseText(text, &store, &line, &what)) {
        int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
        FUZZ_CHECK(line >= 1 && line <= lines, "a refusal names a line outside the file");
        FUZZ_CHECK(!what.empty(), "a refusal without a reason");
        return 0;
    }
    std::string written = RegFormatText(store);
    RegStore again;
    RegStoreInit(&again);
    FUZZ_CHECK(RegParseText(written, &again, &line, &what), what.c_str());
    FUZZ_CHECK(SameRegistry(store, again), "the written text reads back differently");
    FUZZ_CHECK(RegFormatText(again) == written, "a second save writes a different text");
    return 0;
}
