// Fuzz targets: seeding the host registry from the input and comparing registry contents.
#include "fuzz_registry.h"

#include "host_control.h"
#include "os_types.h"
#include "scratch_folder.h"

#include <stdlib.h>

#include <map>
#include <set>
#include <utility>

std::string UseFuzzRegistry(const std::string& text) {
    unsetenv("TARNBECK_REGISTRY_READONLY");
    HostResetFaults();
    std::string path = ScratchFolder() + "/registry.reg";
    WriteScratchFile(path, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    HostRegistryUseFile(path.c_str());
    return path;
}

void ArmRegistryFault(const std::string& setting) {
    static const struct {
        const char* name;
        HostService service;
    } kServices[] = {{"open", HOST_REG_OPEN},
                     {"create", HOST_REG_CREATE},
                     {"query", HOST_REG_QUERY},
                     {"set", HOST_REG_SET},
                     {"delete", HOST_REG_DELETE}};
    size_t colon = setting.find(':');
    if (colon == std::string::npos) {
        return;
    }
    int n = atoi(setting.substr(colon + 1, 3).c_str());
    for (const auto& service : kServices) {
        if (setting.compare(0, colon, service.name) == 0 && n > 0) {
            HostFailNthCall(service.service, n, OS_ERROR_ACCESS_DENIED);
        }
    }
}

bool LoadRegistryFile(const std::string& path, RegStore* store) {
    std::string problem;
    return RegLoadFile(path, store, &problem);
}

// Names compared the way the registry compares them: ASCII letters folded.
static std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return folded;
}

// The full path of a key, folded, '\' between the names.
static std::string KeyPath(const RegStore& store, int key) {
    std::string path;
    for (const std::string& name : RegKeyComponents(store, key)) {
        if (!path.empty()) {
            path.push_back('\\');
        }
        path += Folded(name);
    }
    return path;
}

static bool Inside(const std::string& path, const std::vector<std::string>& subtrees) {
    for (const std::string& subtree : subtrees) {
        std::string folded = Folded(subtree);
        if (path == folded || path.compare(0, folded.size() + 1, folded + "\\") == 0) {
            return true;
        }
    }
    return false;
}

typedef std::map<std::pair<std::string, std::string>, const RegValue*> ValueMap;

// (key path, value name), both folded -> the value, for the live keys outside the subtrees.
static ValueMap ValuesOutside(const RegStore& store, const std::vector<std::string>& subtrees) {
    ValueMap values;
    for (size_t key = 0; key < store.keys.size(); ++key) {
        if (store.keys[key].deleted) {
            continue;
        }
        std::string path = KeyPath(store, static_cast<int>(key));
        if (Inside(path, subtrees)) {
            continue;
        }
        for (const RegValue& value : store.keys[key].values) {
            values[std::make_pair(path, Folded(value.name))] = &value;
        }
    }
    return values;
}

// The folded paths of the live keys outside the subtrees.
static std::set<std::string> KeysOutside(const RegStore& store, const std::vector<std::string>& subtrees) {
    std::set<std::string> keys;
    for (size_t key = 0; key < store.keys.size(); ++key) {
        std::string path = KeyPath(store, static_cast<int>(key));
        if (!store.keys[key].deleted && !Inside(path, subtrees)) {
            keys.insert(path);
        }
    }
    return keys;
}

bool SameOutside(const RegStore& before, const RegStore& after, const std::vector<std::string>& mayChange,
                 std::string* what) {
    std::set<std::string> keysNow = KeysOutside(after, mayChange);
    for (const std::string& key : KeysOutside(before, mayChange)) {
        if (keysNow.count(key) == 0) {
            *what = "lost the key " + key;
            return false;
        }
    }
    ValueMap old = ValuesOutside(before, mayChange);
    ValueMap now = ValuesOutside(after, mayChange);
    for (const auto& entry : old) {
        auto found = now.find(entry.first);
        if (found == now.end() || found->second->type != entry.second->type ||
            found->second->data != entry.second->data) {
            *what = (found == now.end() ? "lost " : "changed ") + entry.first.first + " value " +
                    entry.first.second;
            return false;
        }
    }
    for (const auto& entry : now) {
        if (old.find(entry.first) == old.end()) {
            *what = "added " + entry.first.first + " value " + entry.first.second;
            return false;
        }
    }
    return true;
}
