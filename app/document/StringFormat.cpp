#include "app/document/StringFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace strfmt {

long long Arg::asSigned() const {
    switch (kind) {
    case Kind::Signed: return i;
    case Kind::Unsigned: return static_cast<long long>(u);
    case Kind::Real:
        if (std::isnan(d)) return 0;
        if (d >= 9.2e18) return INT64_MAX;
        if (d <= -9.2e18) return INT64_MIN;
        return static_cast<long long>(d);
    case Kind::Text: return std::strtoll(s.c_str(), nullptr, 10);
    }
    return 0;
}

unsigned long long Arg::asUnsigned() const {
    if (kind == Kind::Unsigned) return u;
    return static_cast<unsigned long long>(asSigned());
}

double Arg::asReal() const {
    switch (kind) {
    case Kind::Signed: return static_cast<double>(i);
    case Kind::Unsigned: return static_cast<double>(u);
    case Kind::Real: return d;
    case Kind::Text: {
        double v = 0;
        std::from_chars(s.data(), s.data() + s.size(), v);  // independent of the C locale
        return v;
    }
    }
    return 0;
}

std::string Arg::description() const {
    switch (kind) {
    case Kind::Signed: return std::to_string(i);
    case Kind::Unsigned: return std::to_string(u);
    case Kind::Real: {
        if (std::isnan(d)) return "nan";
        if (std::isinf(d)) return d > 0 ? "inf" : "-inf";
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, d);
        return std::string(buf, r.ptr);
    }
    case Kind::Text: return s;
    }
    return {};
}

namespace {
// snprintf into a std::string, whatever the length.
template <class T>
std::string printfOne(const std::string& conversion, T value) {
    char small[128];
    int n = std::snprintf(small, sizeof small, conversion.c_str(), value);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), conversion.c_str(), value);
    big.resize(static_cast<size_t>(n));
    return big;
}
}  // namespace

std::string formatArgs(std::string_view f, const std::vector<Arg>& args) {
    std::string out;
    size_t next = 0;
    auto take = [&]() -> const Arg* { return next < args.size() ? &args[next++] : nullptr; };
    size_t p = 0;
    while (p < f.size()) {
        char c = f[p];
        if (c != '%') {
            out += c;
            ++p;
            continue;
        }
        size_t start = p++;
        if (p < f.size() && f[p] == '%') {
            out += '%';
            ++p;
            continue;
        }
        std::string flags;
        while (p < f.size() && std::string_view("-+ #0").find(f[p]) != std::string_view::npos) flags += f[p++];
        while (p < f.size() && f[p] == '\'') ++p;  // thousands grouping is not supported: dropped
        std::string width;
        if (p < f.size() && f[p] == '*') {
            ++p;
            const Arg* a = take();
            long long w = a ? a->asSigned() : 0;
            if (w < 0) flags += '-', w = -w;
            width = std::to_string(std::min(w, 4096LL));
        } else {
            while (p < f.size() && f[p] >= '0' && f[p] <= '9') width += f[p++];
        }
        std::string precision;
        bool hasPrecision = false;
        if (p < f.size() && f[p] == '.') {
            hasPrecision = true;
            ++p;
            if (p < f.size() && f[p] == '*') {
                ++p;
                const Arg* a = take();
                long long pr = a ? a->asSigned() : 0;
                precision = std::to_string(std::clamp(pr, 0LL, 4096LL));
            } else {
                while (p < f.size() && f[p] >= '0' && f[p] <= '9') precision += f[p++];
            }
        }
        while (p < f.size() && std::string_view("hlLqjzt").find(f[p]) != std::string_view::npos) ++p;
        if (p >= f.size()) {  // a lone '%' at the end is written as it stands
            out.append(f.substr(start));
            break;
        }
        if (width.size() > 4) width = "4096";
        if (precision.size() > 4) precision = "4096";
        char conv = f[p++];
        std::string conversion = "%" + flags + width + (hasPrecision ? "." + precision : std::string());
        const Arg* a = nullptr;
        switch (conv) {
        case 'd':
        case 'i':
            if ((a = take())) out += printfOne(conversion + "lld", a->asSigned());
            break;
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            if ((a = take())) out += printfOne(conversion + "ll" + conv, a->asUnsigned());
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if ((a = take())) out += printfOne(conversion + conv, a->asReal());
            break;
        case 'c':
            if ((a = take())) {
                if (a->kind == Arg::Kind::Text) out += printfOne(conversion + "s", a->s.substr(0, 1).c_str());
                else out += printfOne(conversion + "c", static_cast<int>(a->asSigned() & 0xFF));
            }
            break;
        case 's':
        case '@':
            if ((a = take())) {
                std::string text = a->description();
                out += printfOne(conversion + "s", text.c_str());
            }
            break;
        default:  // not a conversion: written as it stands
            out.append(f.substr(start, p - start));
            break;
        }
    }
    return out;
}

}  // namespace strfmt
