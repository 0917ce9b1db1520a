// The output sink of every ToString: pugixml writes into one growable byte
// buffer, which is then copied once into the host String.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <pugixml.hpp>

#include "base/strings.h"

class xml_string_writer : public pugi::xml_writer {
public:
    xml_string_writer() = default;
    ~xml_string_writer() override { std::free(data_); }
    xml_string_writer(const xml_string_writer&) = delete;
    xml_string_writer& operator=(const xml_string_writer&) = delete;

    // pugixml flushes in chunks of a few KB. The buffer grows geometrically
    // with realloc, which for large buffers can extend or remap in place
    // where a std::string would always copy.
    void write(const void* data, size_t size) override {
        if (size > capacity_ - size_) Grow(size);
        std::memcpy(data_ + size_, data, size);
        size_ += size;
    }

    // The collected text as a new UTF-8 host String for a member's result.
    REALstring ToHostString() const { return ResultString(data_ ? data_ : "", size_); }

private:
    void Grow(size_t more) {
        size_t capacity = capacity_ < 4096 ? 4096 : capacity_;
        while (capacity - size_ < more) {
            if (capacity > static_cast<size_t>(-1) / 2) throw std::bad_alloc();
            capacity *= 2;
        }
        void* grown = std::realloc(data_, capacity);
        if (!grown) throw std::bad_alloc();
        data_ = static_cast<char*>(grown);
        capacity_ = capacity;
    }

    char* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
