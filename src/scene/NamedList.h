// An ordered list of named links, found by name with the letters A-Z compared without regard to
// case; the first registration of a name wins.
#pragma once

#include <cstddef>
#include <iterator>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

// Header-only, so that the texture cache of the picture layer can use it without linking the
// scene layer.

constexpr char FoldNameLetter(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The name with A-Z turned into a-z and every other byte kept: the key under which two names
// that differ only in the case of those letters meet.
inline std::string FoldNameCase(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        c = FoldNameLetter(c);
    }
    return folded;
}

// True when a and b are equal byte for byte, A-Z being equal to a-z.
inline bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldNameLetter(a[i]) != FoldNameLetter(b[i])) {
            return false;
        }
    }
    return true;
}

// Holds links (T*), never the objects: whoever registers an object keeps owning it. Entries stay
// in registration order. Find is a hash lookup, so registering many names stays linear.
template <typename T>
class NamedList {
public:
    // The value registered under name, or null.
    T* Find(std::string_view name) const {
        const auto found = index.find(FoldNameCase(name));
        return found == index.end() ? nullptr : found->second->value;
    }

    // Registers value under a copy of name and returns it; when the name is already present
    // nothing is registered and the value registered first is returned.
    T* Add(std::string_view name, T* value) {
        std::string key = FoldNameCase(name);
        if (const auto found = index.find(key); found != index.end()) {
            return found->second->value;
        }
        entries.push_back(Entry{value, std::string(name)});
        index.emplace(std::move(key), std::prev(entries.end()));
        return value;
    }

    // Takes the entry of name out of the list and gives its value (null when there is none).
    T* Remove(std::string_view name) {
        const auto found = index.find(FoldNameCase(name));
        if (found == index.end()) {
            return nullptr;
        }
        T* value = found->second->value;
        entries.erase(found->second);
        index.erase(found);
        return value;
    }

    std::size_t Size() const { return entries.size(); }

    struct Entry {
        T* value;
        std::string name;
    };

    // Iteration in registration order over the values; it ends at the end of the list or at the
    // first entry whose value is null, whatever follows it.
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T*;
        using difference_type = std::ptrdiff_t;
        using pointer = T**;
        using reference = T*;

        Iterator() = default;
        Iterator(typename std::list<Entry>::const_iterator at,
                 typename std::list<Entry>::const_iterator end)
            : at(at), end(end) {
            StopAtNull();
        }
        T* operator*() const { return at->value; }
        const Entry& GetEntry() const { return *at; }
        Iterator& operator++() {
            ++at;
            StopAtNull();
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.at == b.at; }

    private:
        void StopAtNull() {
            if (at != end && at->value == nullptr) {
                at = end;
            }
        }
        typename std::list<Entry>::const_iterator at;
        typename std::list<Entry>::const_iterator end;
    };

    Iterator begin() const { return Iterator(entries.begin(), entries.end()); }
    Iterator end() const { return Iterator(entries.end(), entries.end()); }

private:
    std::list<Entry> entries;
    std::unordered_map<std::string, typename std::list<Entry>::iterator> index;
};
