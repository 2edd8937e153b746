#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace karvolt {

// Counts, and where `out` is given also writes, text for a web address. Used twice by the
// compile-time address builders: once to size the buffer, once to fill it.
class UrlWriter {
public:
    constexpr explicit UrlWriter(char* out = nullptr) : out_(out) {}

    constexpr UrlWriter& Plain(std::string_view text)
    {
        for (char c : text)
            Put(c);
        return *this;
    }

    // Letters, digits and the underscore stand as they are; everything else is "%" and
    // two lower-case hex digits of its code.
    constexpr UrlWriter& Encoded(std::string_view text)
    {
        constexpr char hex[] = "0123456789abcdef";
        for (char c : text) {
            if (StandsPlain(c)) {
                Put(c);
            } else {
                const auto code = static_cast<unsigned char>(c);
                Put('%');
                Put(hex[code >> 4]);
                Put(hex[code & 0xF]);
            }
        }
        return *this;
    }

    constexpr std::size_t Length() const { return length_; }

private:
    static constexpr bool StandsPlain(char c)
    {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_';
    }

    constexpr void Put(char c)
    {
        if (out_)
            out_[length_] = c;
        ++length_;
    }

    char* out_;
    std::size_t length_ = 0;
};

constexpr std::string PercentEncode(std::string_view text)
{
    std::string encoded(UrlWriter().Encoded(text).Length(), '\0');
    UrlWriter(encoded.data()).Encoded(text);
    return encoded;
}

// A text fixed at compile time, kept in the program's read-only data.
template <std::size_t N>
struct FixedText {
    char chars[N + 1]{};
    constexpr std::string_view View() const { return {chars, N}; }
};

// Builds a FixedText from a function that writes through a UrlWriter.
template <auto Write>
constexpr auto MakeFixedText()
{
    constexpr std::size_t length = [] {
        UrlWriter counter;
        Write(counter);
        return counter.Length();
    }();
    FixedText<length> text;
    UrlWriter writer(text.chars);
    Write(writer);
    return text;
}

} // namespace karvolt
