// File opening with backslash conversion and case-insensitive resolution of names.
#include "platform/FileSystem.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

namespace {

namespace fs = std::filesystem;

char FoldAsciiLetter(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAsciiLetter(a[i]) != FoldAsciiLetter(b[i])) {
            return false;
        }
    }
    return true;
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::path(path), error);
}

bool IsDirectory(const fs::directory_entry& entry) {
    std::error_code error;
    return entry.is_directory(error);
}

// `folder` joined with `component`; an empty folder stands for the current directory.
std::string Join(const std::string& folder, std::string_view component) {
    if (folder.empty()) {
        return std::string(component);
    }
    std::string joined = folder;
    if (joined.back() != '/') {
        joined += '/';
    }
    joined += component;
    return joined;
}

// The name of the entry of `folder` that equals `component` without regard to the case of A-Z,
// the first by byte value among several; nothing when none does (or the folder cannot be read).
std::optional<std::string> FindIgnoringCase(const std::string& folder, std::string_view component,
                                            bool wantFolder) {
    std::error_code error;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), error);
    std::optional<std::string> best;
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!EqualIgnoringAsciiCase(name, component)) {
            continue;
        }
        if (wantFolder && !IsDirectory(*it)) {
            continue;
        }
        if (!best || name < *best) {
            best = std::move(name);
        }
    }
    return best;
}

} // namespace

std::string ResolvePath(std::string_view name) {
    std::string path(name);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || Exists(path)) {
        return path;
    }

    std::vector<std::string_view> components;
    std::string_view rest(path);
    const bool absolute = rest.front() == '/';
    if (absolute) {
        rest.remove_prefix(1);
    }
    while (true) {
        const std::size_t slash = rest.find('/');
        components.push_back(rest.substr(0, slash));
        if (slash == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(slash + 1);
    }

    std::string resolved = absolute ? "/" : "";
    bool lost = false;
    for (std::size_t i = 0; i < components.size(); ++i) {
        const std::string_view component = components[i];
        const bool last = i + 1 == components.size();
        if (i > 0 && resolved.back() != '/') {
            resolved += '/';
        }
        if (lost || component.empty() || component == "." || component == "..") {
            resolved += component;
            continue;
        }
        const std::string asWritten = Join(resolved, component);
        if (Exists(asWritten)) {
            resolved += component;
            continue;
        }
        const std::optional<std::string> found = FindIgnoringCase(resolved, component, !last);
        if (found) {
            resolved += *found;
        } else {
            resolved += component;
            lost = true;
        }
    }
    return resolved;
}

std::FILE* OpenFile(const char* name, const char* mode) {
    if (name == nullptr || mode == nullptr) {
        return nullptr;
    }
    return std::fopen(ResolvePath(name).c_str(), mode);
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const char* name) {
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    const std::unique_ptr<std::FILE, Closer> file(OpenFile(name, "rb"));
    if (!file) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    try {
        std::uint8_t chunk[65536];
        while (true) {
            const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
            bytes.insert(bytes.end(), chunk, chunk + got);
            if (got < sizeof chunk) {
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (std::ferror(file.get())) {
        return std::nullopt;
    }
    return bytes;
}
