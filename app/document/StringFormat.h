#pragma once
// printf-style formatting with type-checked arguments, for the log window's
// appendFormat family.  Each argument is converted to what its conversion
// reads (an int given to %lg is formatted as a double, a double given to %d as
// an integer), so a mismatch is never undefined behaviour.  "%@" writes an
// argument's description: a string as it is, a number in its shortest form.
// A conversion without an argument writes nothing.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace strfmt {

struct Arg {
    enum class Kind { Signed, Unsigned, Real, Text } kind = Kind::Text;
    long long i = 0;
    unsigned long long u = 0;
    double d = 0.0;
    std::string s;

    Arg(const char* v) : s(v ? v : "") {}
    Arg(const std::string& v) : s(v) {}
    Arg(std::string_view v) : s(v) {}
    Arg(char v) : kind(Kind::Signed), i(v) {}
    Arg(bool v) : kind(Kind::Signed), i(v ? 1 : 0) {}
    template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T>, int> = 0>
    Arg(T v) : kind(Kind::Signed), i(static_cast<long long>(v)) {}
    template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_unsigned_v<T>, int> = 0>
    Arg(T v) : kind(Kind::Unsigned), u(static_cast<unsigned long long>(v)) {}
    template <class T, std::enable_if_t<std::is_floating_point_v<T>, int> = 0>
    Arg(T v) : kind(Kind::Real), d(static_cast<double>(v)) {}

    long long asSigned() const;
    unsigned long long asUnsigned() const;
    double asReal() const;
    std::string description() const;
};

std::string formatArgs(std::string_view format, const std::vector<Arg>& args);

template <class... Args>
std::string format(std::string_view fmt, const Args&... args) {
    return formatArgs(fmt, std::vector<Arg>{Arg(args)...});
}

}  // namespace strfmt
