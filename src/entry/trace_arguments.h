// Trace arguments of the entry points: each GL or WGL argument converted to the type its printf
// conversion reads (floats to double, small integers to int or unsigned, pointers to const void*),
// and a compile-time check that an entry's trace format has one matching conversion per argument,
// so a wrong format in the export list fails the build instead of reading a bad vararg.
#pragma once

#include <cstddef>
#include <type_traits>

namespace mora::api {

// The value a printf conversion receives for an argument of type T.
template <class T>
constexpr auto TraceArgument(T value) {
    if constexpr (std::is_pointer_v<T>) {
        if constexpr (std::is_same_v<std::remove_cv_t<std::remove_pointer_t<T>>, char>) {
            return static_cast<const char*>(value);  // "%s"
        } else {
            return static_cast<const void*>(value);  // "%p"
        }
    } else if constexpr (std::is_floating_point_v<T>) {
        return static_cast<double>(value);
    } else if constexpr (std::is_integral_v<T> && sizeof(T) <= sizeof(int) && !std::is_same_v<T, unsigned long>) {
        // (unsigned long stays itself, so "%lu" fits it where long is as wide as int: Windows)
        if constexpr (std::is_signed_v<T>) {
            return static_cast<int>(value);
        } else {
            return static_cast<unsigned int>(value);
        }
    } else {
        static_assert(std::is_integral_v<T>, "trace arguments are numbers or pointers");
        return value;
    }
}

template <class T>
using TraceArgumentType = decltype(TraceArgument(std::declval<T>()));

enum class TraceConversion : unsigned char {
    Int,
    Unsigned,
    UnsignedLong,
    UnsignedLongLong,
    Double,
    Pointer,
    String,
    Bad
};

template <class T>
constexpr TraceConversion ConversionFor() {
    if constexpr (std::is_same_v<T, int>) {
        return TraceConversion::Int;
    } else if constexpr (std::is_same_v<T, unsigned int>) {
        return TraceConversion::Unsigned;
    } else if constexpr (std::is_same_v<T, unsigned long>) {
        return TraceConversion::UnsignedLong;
    } else if constexpr (std::is_same_v<T, unsigned long long>) {
        return TraceConversion::UnsignedLongLong;
    } else if constexpr (std::is_same_v<T, double>) {
        return TraceConversion::Double;
    } else if constexpr (std::is_same_v<T, const void*>) {
        return TraceConversion::Pointer;
    } else if constexpr (std::is_same_v<T, const char*>) {
        return TraceConversion::String;
    } else {
        return TraceConversion::Bad;
    }
}

// Reads the conversion that starts at format[i] (just after '%'); advances i past it.
constexpr TraceConversion ParseConversion(const char* format, std::size_t& i) {
    while (format[i] == '-' || format[i] == '0' || format[i] == ' ' || format[i] == '+' || format[i] == '#') {
        ++i;
    }
    while (format[i] >= '0' && format[i] <= '9') {
        ++i;
    }
    int longs = 0;
    while (format[i] == 'l') {
        ++longs;
        ++i;
    }
    const char c = format[i];
    if (c == '\0') {
        return TraceConversion::Bad;
    }
    ++i;
    switch (c) {
        case 'd':
        case 'i': return longs == 0 ? TraceConversion::Int : TraceConversion::Bad;
        case 'u':
        case 'x':
        case 'X':
            return longs == 0   ? TraceConversion::Unsigned
                   : longs == 1 ? TraceConversion::UnsignedLong
                                : TraceConversion::UnsignedLongLong;
        case 'f': return longs == 0 ? TraceConversion::Double : TraceConversion::Bad;
        case 'p': return longs == 0 ? TraceConversion::Pointer : TraceConversion::Bad;
        case 's': return longs == 0 ? TraceConversion::String : TraceConversion::Bad;
        default: return TraceConversion::Bad;
    }
}

// True when `format` has exactly one conversion per argument type, in order, each matching.
template <class... Converted>
constexpr bool TraceFormatMatches(const char* format) {
    constexpr TraceConversion wanted[] = {ConversionFor<Converted>()..., TraceConversion::Bad};
    std::size_t argument = 0;
    for (std::size_t i = 0; format[i] != '\0';) {
        if (format[i] != '%') {
            ++i;
            continue;
        }
        ++i;
        if (format[i] == '%') {
            ++i;
            continue;
        }
        const TraceConversion got = ParseConversion(format, i);
        if (argument >= sizeof...(Converted) || got == TraceConversion::Bad || got != wanted[argument]) {
            return false;
        }
        ++argument;
    }
    return argument == sizeof...(Converted);
}

}  // namespace mora::api
