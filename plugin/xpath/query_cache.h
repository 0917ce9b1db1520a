// A small cache of values by text, least recently used evicted first, never
// holding more than its capacity. One-shot selection keeps compiled queries
// in it so that host code selecting with the same text in a loop compiles
// once.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <utility>

template <class Value>
class LruCache {
public:
    // At least one entry.
    explicit LruCache(size_t capacity) : capacity_(capacity > 0 ? capacity : 1) {}

    // The value stored under `key`, now the most recently used; null when
    // there is none.
    Value* Find(std::string_view key) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->first.size() != key.size() || it->first != key) continue;
            entries_.splice(entries_.begin(), entries_, it);
            return &entries_.front().second;
        }
        return nullptr;
    }

    // Stores `value` under `key` (not yet present) as the most recently used,
    // evicting the least recently used entry when full. When it throws
    // (exhausted memory) `value` is left as it was and the cache holds what
    // it held before, minus at most the entry that was to be evicted.
    Value& Insert(std::string_view key, Value&& value) {
        if (entries_.size() < capacity_) {
            std::string text(key);
            entries_.emplace_front(std::move(text), std::move(value));
        } else {
            // Reuse the oldest node: no allocation but the key's.
            entries_.splice(entries_.begin(), entries_, std::prev(entries_.end()));
            Entry& reused = entries_.front();
            reused.second = Value();
            try {
                reused.first.assign(key);
            } catch (...) {
                entries_.pop_front();  // no entry may keep a key without its value
                throw;
            }
            reused.second = std::move(value);
        }
        return entries_.front().second;
    }

    size_t size() const { return entries_.size(); }
    size_t capacity() const { return capacity_; }

private:
    using Entry = std::pair<std::string, Value>;
    std::list<Entry> entries_;  // most recently used first
    size_t capacity_;
};
