#pragma once

#include <cstddef>
#include <string_view>

// The longest prefix of `text` of at most `maxBytes` bytes that does not end inside a UTF-8
// sequence. Text is also cut at its first NUL, as every field is a C string.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes);

// Copies `text` into a C buffer of `capacity` bytes with the same rule; returns the bytes kept.
std::size_t Utf8CopyTo(char* buffer, std::size_t capacity, std::string_view text);
