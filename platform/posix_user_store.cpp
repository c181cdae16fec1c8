// The per-user store off Windows: one file per key under the user's configuration
// folder ($XDG_CONFIG_HOME or ~/.config), "velmora/" followed by the key path with
// its backslashes as slashes; one "name=value" line per value, in the order the
// values were first written.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <algorithm>
#include <sstream>
#include <string>
#include <utility>
#include <vector>
#include <sys/stat.h>

#include "platform/user_store.h"

struct UserStoreKey {
    std::string file;
    std::vector<std::pair<std::string, std::string>> values;  // as the file holds them

    std::pair<std::string, std::string>* Find(const std::string& name) {
        auto found = std::find_if(values.begin(), values.end(), [&](const auto& v) { return v.first == name; });
        return found == values.end() ? nullptr : &*found;
    }
    void Set(const std::string& name, const std::string& value) {
        if (auto* existing = Find(name)) existing->second = value;
        else values.emplace_back(name, value);
    }
    bool writable = false;
    bool changed = false;
};

static std::string KeyFile(const char* keyPath) {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home) base = std::string(home) + "/.config";
    else return std::string();
    std::string path = base + "/velmora/";
    for (const char* c = keyPath; *c; ++c) path += (*c == '\\') ? '/' : *c;
    return path;
}

// A value counts only when its text is a whole number that fits 32 bits.
static bool ParseValue(const std::string& text, uint32_t* value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long number = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || number < INT32_MIN || number > UINT32_MAX) return false;
    *value = static_cast<uint32_t>(number);
    return true;
}

static void LoadValues(UserStoreKey* key) {
    std::ifstream in(key->file);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq != std::string::npos) key->Set(line.substr(0, eq), line.substr(eq + 1));
    }
}

static bool MakeParentFolders(const std::string& file) {
    for (size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1)) {
        if (mkdir(file.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

UserStoreKey* OpenUserKeyForReading(const char* keyPath) {
    std::string file = KeyFile(keyPath);
    struct stat info;
    if (file.empty() || stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    UserStoreKey* key = new UserStoreKey;
    key->file = file;
    LoadValues(key);
    return key;
}

UserStoreKey* CreateUserKeyForWriting(const char* keyPath) {
    std::string file = KeyFile(keyPath);
    if (file.empty() || !MakeParentFolders(file)) return nullptr;
    UserStoreKey* key = new UserStoreKey;
    key->file = file;
    key->writable = true;
    LoadValues(key);
    std::ofstream touch(file, std::ios::app);
    if (!touch) {
        delete key;
        return nullptr;
    }
    return key;
}

bool ReadUserValue(UserStoreKey* key, const char* name, uint32_t* value) {
    const auto* found = key->Find(name);
    return found && ParseValue(found->second, value);
}

bool WriteUserValue(UserStoreKey* key, const char* name, uint32_t value) {
    if (!UserValueWriteAllowed(name)) return false;
    if (!key->writable) return false;
    key->Set(name, std::to_string(value));
    key->changed = true;
    return true;
}

bool ReadUserText(UserStoreKey* key, const char* name, std::string* text) {
    const auto* found = key->Find(name);
    if (!found) return false;
    *text = found->second;
    return true;
}

bool WriteUserText(UserStoreKey* key, const char* name, const std::string& text) {
    if (!UserValueWriteAllowed(name)) return false;
    if (!key->writable || text.find_first_of("\r\n") != std::string::npos) return false;
    key->Set(name, text);
    key->changed = true;
    return true;
}

bool DeleteUserValue(UserStoreKey* key, const char* name) {
    if (!UserValueWriteAllowed(name)) return false;
    if (!key->writable) return false;
    auto& values = key->values;
    const auto kept = std::remove_if(values.begin(), values.end(), [&](const auto& v) { return v.first == name; });
    key->changed = key->changed || kept != values.end();
    values.erase(kept, values.end());
    return true;
}

void CloseUserKey(UserStoreKey* key) {
    if (!key) return;
    if (key->changed) {
        std::ostringstream text;
        for (const auto& [name, value] : key->values) text << name << '=' << value << '\n';
        std::ofstream(key->file, std::ios::trunc) << text.str();
    }
    delete key;
}

bool DeleteUserKey(const char* keyPath) {
    std::string file = KeyFile(keyPath);
    return !file.empty() && (std::remove(file.c_str()) == 0 || errno == ENOENT);
}
