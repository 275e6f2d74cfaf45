// Host side: the emulated registry's in-memory model and its .reg text form (parser and writer).
#include "registry_store.h"

#include <stdio.h>

#include <algorithm>

struct RootNames {
    const char* longName;
    const char* shortName;
};

static const RootNames kRootNames[REG_ROOT_COUNT] = {
    {"HKEY_CLASSES_ROOT", "HKCR"},
    {"HKEY_CURRENT_USER", "HKCU"},
    {"HKEY_LOCAL_MACHINE", "HKLM"},
    {"HKEY_USERS", "HKU"},
    {"HKEY_CURRENT_CONFIG", "HKCC"},
};

static const char kHeader5[] = "Windows Registry Editor Version 5.00";
static const char kHeader4[] = "REGEDIT4";

void RegStoreInit(RegStore* store) {
    store->keys.clear();
    store->regedit4 = false;
    for (int root = 0; root < REG_ROOT_COUNT; ++root) {
        RegKey key;
        key.name = kRootNames[root].longName;
        key.parent = -1;
        key.deleted = false;
        store->keys.push_back(key);
    }
}

static char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool RegNamesEqual(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

int RegFindRoot(const std::string& name, bool allowShort) {
    for (int root = 0; root < REG_ROOT_COUNT; ++root) {
        if (RegNamesEqual(name, kRootNames[root].longName) ||
            (allowShort && RegNamesEqual(name, kRootNames[root].shortName))) {
            return root;
        }
    }
    return -1;
}

const char* RegRootName(int root) { return kRootNames[root].longName; }

int RegFindSubkey(const RegStore& store, int key, const std::string& name) {
    for (int child : store.keys[key].children) {
        if (RegNamesEqual(store.keys[child].name, name)) {
            return child;
        }
    }
    return -1;
}

int RegAddSubkey(RegStore* store, int key, const std::string& name) {
    RegKey child;
    child.name = name;
    child.parent = key;
    child.deleted = false;
    store->keys.push_back(child);
    int index = static_cast<int>(store->keys.size()) - 1;
    store->keys[key].children.push_back(index);
    return index;
}

const RegValue* RegFindValue(const RegKey& key, const std::string& name) {
    for (const RegValue& value : key.values) {
        if (RegNamesEqual(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

void RegSetValue(RegKey* key, const std::string& name, uint32_t type, const std::string& data) {
    for (RegValue& value : key->values) {
        if (RegNamesEqual(value.name, name)) {
            value.type = type;
            value.data = data;
            return;
        }
    }
    RegValue value;
    value.name = name;
    value.type = type;
    value.data = data;
    key->values.push_back(value);
}

// Marks the subtree deleted; its own links stay, so only the parent's list needs changing.
static void MarkDeleted(RegStore* store, int key) {
    store->keys[key].deleted = true;
    for (int child : store->keys[key].children) {
        MarkDeleted(store, child);
    }
}

void RegDeleteTree(RegStore* store, int key) {
    MarkDeleted(store, key);
    int parent = store->keys[key].parent;
    if (parent < 0) {
        return;
    }
    std::vector<int>& siblings = store->keys[parent].children;
    for (size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i] == key) {
            siblings.erase(siblings.begin() + static_cast<long>(i));
            break;
        }
    }
}

std::vector<std::string> RegKeyComponents(const RegStore& store, int key) {
    std::vector<std::string> components;
    for (int at = key; at >= 0; at = store.keys[at].parent) {
        components.push_back(store.keys[at].name);
    }
    std::reverse(components.begin(), components.end());
    return components;
}

int RegKeyDepth(const RegStore& store, int key) {
    int depth = 0;
    for (int at = store.keys[key].parent; at >= 0; at = store.keys[at].parent) {
        ++depth;
    }
    return depth;
}

// ---- parser ----

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

static void SkipBlanks(const std::string& line, size_t* at) {
    while (*at < line.size() && IsBlank(line[*at])) {
        ++*at;
    }
}

static bool OnlyBlanksFrom(const std::string& line, size_t at) {
    SkipBlanks(line, &at);
    return at == line.size();
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads 1 to `maxDigits` hex digits at *at into *number.
static bool ParseHexNumber(const std::string& line, size_t* at, int maxDigits, uint32_t* number) {
    uint32_t result = 0;
    int digits = 0;
    while (*at < line.size() && HexDigit(line[*at]) >= 0) {
        if (++digits > maxDigits) {
            return false;
        }
        result = result * 16 + static_cast<uint32_t>(HexDigit(line[*at]));
        ++*at;
    }
    *number = result;
    return digits > 0;
}

// True when the line continues at *at with `word`, in any letter case; *at then moves past it.
static bool TakeWord(const std::string& line, size_t* at, const char* word) {
    size_t length = std::string(word).size();
    if (line.size() - *at < length || !RegNamesEqual(line.substr(*at, length), word)) {
        return false;
    }
    *at += length;
    return true;
}

// A quoted name or string at *at (on the opening quote): only \\ and \" are escapes.
static bool ParseQuoted(const std::string& line, size_t* at, std::string* out, std::string* what) {
    out->clear();
    for (size_t i = *at + 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            *at = i + 1;
            return true;
        }
        if (c == '\\') {
            if (i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
                out->push_back(line[++i]);
                continue;
            }
            *what = "a backslash in a quoted text must be followed by \\ or \"";
            return false;
        }
        out->push_back(c);
    }
    *what = "quoted text without its closing quote";
    return false;
}

// The comma-separated bytes of a hex value, starting at *at on line *index and following backslash
// continuations onto the next lines (*index moves to the last line used).
static bool ParseByteList(const std::vector<std::string>& lines, size_t* index, size_t at, std::string* data,
                          std::string* what) {
    bool expectByte = true;  // at the start or after a comma
    bool sawComma = false;
    for (;;) {
        const std::string& line = lines[*index];
        SkipBlanks(line, &at);
        if (at == line.size()) {
            if (expectByte && sawComma) {
                *what = "a comma not followed by a byte";
                return false;
            }
            return true;
        }
        if (line[at] == '\\') {
            if (!OnlyBlanksFrom(line, at + 1)) {
                *what = "text after a line continuation";
                return false;
            }
            if (*index + 1 == lines.size()) {
                *what = "a line continuation at the end of the file";
                return false;
            }
            ++*index;
            at = 0;
            continue;
        }
        if (expectByte) {
            uint32_t byte;
            if (!ParseHexNumber(line, &at, 2, &byte)) {
                *what = "expected a byte of two hex digits";
                return false;
            }
            data->push_back(static_cast<char>(byte));
            expectByte = false;
        } else if (line[at] == ',') {
            ++at;
            expectByte = true;
            sawComma = true;
        } else {
            *what = "expected a comma between bytes";
            return false;
        }
    }
}

// The data part of a value line (after '='), which may take more lines for a hex list.
static bool ParseValueData(const std::vector<std::string>& lines, size_t* index, size_t at, uint32_t* type,
                           std::string* data, std::string* what) {
    const std::string& line = lines[*index];
    data->clear();
    if (at < line.size() && line[at] == '"') {
        if (!ParseQuoted(line, &at, data, what)) {
            return false;
        }
        data->push_back('\0');
        *type = 1;  // REG_SZ
    } else if (at < line.size() && line[at] == '-') {
        *what = "value deletion entries are not supported";
        return false;
    } else if (TakeWord(line, &at, "dword:")) {
        uint32_t number;
        if (!ParseHexNumber(line, &at, 8, &number)) {
            *what = "a dword needs 1 to 8 hex digits";
            return false;
        }
        for (int shift = 0; shift < 32; shift += 8) {
            data->push_back(static_cast<char>((number >> shift) & 0xFF));
        }
        *type = 4;  // REG_DWORD
    } else if (TakeWord(line, &at, "hex")) {
        *type = 3;  // REG_BINARY
        if (at < line.size() && line[at] == '(') {
            ++at;
            if (!ParseHexNumber(line, &at, 8, type) || at >= line.size() || line[at] != ')') {
                *what = "a value type must read hex(N) with N in hex";
                return false;
            }
            ++at;
        }
        if (at >= line.size() || line[at] != ':') {
            *what = "expected ':' after hex";
            return false;
        }
        return ParseByteList(lines, index, at + 1, data, what);
    } else {
        *what = "unknown value data (expected \"text\", dword:, hex: or hex(N):)";
        return false;
    }
    if (!OnlyBlanksFrom(line, at)) {
        *what = "text after the value";
        return false;
    }
    return true;
}

// A "[ROOT\path]" line: makes the key and its missing parents, and returns it in *key.
static bool ParseSection(const std::string& line, size_t at, RegStore* store, int* key, std::string* what) {
    size_t close = line.rfind(']');
    if (close == std::string::npos || close < at) {
        *what = "a key name without its closing ]";
        return false;
    }
    if (!OnlyBlanksFrom(line, close + 1)) {
        *what = "text after the key name";
        return false;
    }
    std::string path = line.substr(at + 1, close - at - 1);
    if (!path.empty() && path[0] == '-') {
        *what = "key deletion entries are not supported";
        return false;
    }
    size_t slash = path.find('\\');
    std::string rootName = path.substr(0, slash);
    int root = RegFindRoot(rootName, false);
    if (root < 0) {
        *what = "unknown root key `" + rootName + "'";
        return false;
    }
    int node = root;
    int depth = 0;
    while (slash != std::string::npos) {
        if (++depth > REG_MAX_DEPTH) {
            *what = "a key path deeper than 512 levels";
            return false;
        }
        size_t next = path.find('\\', slash + 1);
        std::string name =
            path.substr(slash + 1, next == std::string::npos ? std::string::npos : next - slash - 1);
        if (name.empty()) {
            *what = "an empty key name in the path";
            return false;
        }
        int child = RegFindSubkey(*store, node, name);
        node = child >= 0 ? child : RegAddSubkey(store, node, name);
        slash = next;
    }
    *key = node;
    return true;
}

static std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool RegParseText(const std::string& text, RegStore* store, int* line, std::string* what) {
    std::vector<std::string> lines = SplitLines(text);
    if (lines.empty()) {
        return true;  // an empty file is an empty registry
    }
    std::string header = lines[0];
    if (header.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        header.erase(0, 3);
    }
    while (!header.empty() && IsBlank(header.back())) {
        header.pop_back();
    }
    if (header != kHeader5 && header != kHeader4) {
        *line = 1;
        *what = std::string("the first line must be `") + kHeader5 + "' or `" + kHeader4 + "'";
        return false;
    }
    store->regedit4 = header == kHeader4;
    int key = -1;
    for (size_t index = 1; index < lines.size(); ++index) {
        const std::string& current = lines[index];
        size_t at = 0;
        SkipBlanks(current, &at);
        bool ok = true;
        if (at == current.size() || current[at] == ';') {
            continue;
        }
        if (current[at] == '[') {
            ok = ParseSection(current, at, store, &key, what);
        } else if (key < 0) {
            *what = "a value before the first [key] line";
            ok = false;
        } else {
            std::string name;
            if (current[at] == '@') {
                ++at;
            } else if (current[at] == '"') {
                ok = ParseQuoted(current, &at, &name, what);
            } else {
                *what = "expected a [key] line, a value, a comment or a blank line";
                ok = false;
            }
            if (ok) {
                SkipBlanks(current, &at);
                if (at == current.size() || current[at] != '=') {
                    *what = "expected '=' after the value name";
                    ok = false;
                }
            }
            uint32_t type = 0;
            std::string data;
            if (ok) {
                ++at;
                SkipBlanks(current, &at);
                ok = ParseValueData(lines, &index, at, &type, &data, what);
            }
            if (ok) {
                RegSetValue(&store->keys[key], name, type, data);
            }
        }
        if (!ok) {
            // Inside a continued hex list, index has moved on to the line where the fault is.
            *line = static_cast<int>(index + 1);
            return false;
        }
    }
    return true;
}

// ---- writer ----

static void AppendQuoted(std::string* out, const std::string& text) {
    out->push_back('"');
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out->push_back('\\');
        }
        out->push_back(c);
    }
    out->push_back('"');
}

// A REG_SZ can be written as "text" when it is one zero-terminated line with no other zero.
static bool FitsQuotedString(const RegValue& value) {
    if (value.type != 1 || value.data.empty() || value.data.back() != '\0') {
        return false;
    }
    for (size_t i = 0; i + 1 < value.data.size(); ++i) {
        char c = value.data[i];
        if (c == '\0' || c == '\n' || c == '\r') {
            return false;
        }
    }
    return true;
}

static void AppendValue(std::string* out, const RegValue& value) {
    if (value.name.empty()) {
        out->push_back('@');
    } else {
        AppendQuoted(out, value.name);
    }
    out->push_back('=');
    char piece[32];
    if (FitsQuotedString(value)) {
        AppendQuoted(out, value.data.substr(0, value.data.size() - 1));
    } else if (value.type == 4 && value.data.size() == 4) {
        uint32_t number = 0;
        for (int i = 3; i >= 0; --i) {
            number = number * 256 + static_cast<unsigned char>(value.data[static_cast<size_t>(i)]);
        }
        snprintf(piece, sizeof piece, "dword:%08x", number);
        out->append(piece);
    } else {
        if (value.type == 3) {
            out->append("hex:");
        } else {
            snprintf(piece, sizeof piece, "hex(%x):", value.type);
            out->append(piece);
        }
        // Long lists are wrapped the way regedit does, with a backslash at the end of each line.
        for (size_t i = 0; i < value.data.size(); ++i) {
            if (i > 0) {
                out->append(i % 25 == 0 ? ",\\\n  " : ",");
            }
            snprintf(piece, sizeof piece, "%02x", static_cast<unsigned char>(value.data[i]));
            out->append(piece);
        }
    }
    out->push_back('\n');
}

static void AppendKey(std::string* out, const RegStore& store, int key) {
    const RegKey& node = store.keys[key];
    // A root needs no line of its own unless it holds values; every other key gets one, so that
    // keys without values survive too.
    if (node.parent >= 0 || !node.values.empty()) {
        std::vector<std::string> components = RegKeyComponents(store, key);
        out->push_back('[');
        for (size_t i = 0; i < components.size(); ++i) {
            if (i > 0) {
                out->push_back('\\');
            }
            out->append(components[i]);
        }
        out->append("]\n");
        for (const RegValue& value : node.values) {
            AppendValue(out, value);
        }
        out->push_back('\n');
    }
    for (int child : node.children) {
        AppendKey(out, store, child);
    }
}

std::string RegFormatText(const RegStore& store) {
    std::string out = store.regedit4 ? kHeader4 : kHeader5;
    out.append("\n\n");
    for (int root = 0; root < REG_ROOT_COUNT; ++root) {
        AppendKey(&out, store, root);
    }
    return out;
}
