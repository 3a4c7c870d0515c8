#include "platform/win32/win32_user_locale.h"

#include "base/utf16.h"

#include <charconv>

namespace ornavox {

namespace {

std::string locale_text(LCTYPE item, const char* fallback)
{
    wchar_t text[LOCALE_NAME_MAX_LENGTH * 2] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, text, LOCALE_NAME_MAX_LENGTH * 2) <= 1)
        return fallback;
    return win32::utf8(text);
}

} // namespace

// The marker letters t and tt become AP; quoted text stays as it is.
std::string time_pattern_from_windows(const std::string& format)
{
    std::string pattern;
    bool quoted = false;
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '\'')
            quoted = !quoted;
        if (quoted || c != 't') {
            pattern += c;
            continue;
        }
        while (i + 1 < format.size() && format[i + 1] == 't')
            ++i;
        pattern += "AP";
    }
    return pattern;
}

Win32UserLocale::Win32UserLocale()
    : thousands_(locale_text(LOCALE_STHOUSAND, ",")), decimal_(locale_text(LOCALE_SDECIMAL, ".")),
      time_format_(time_pattern_from_windows(locale_text(LOCALE_STIMEFORMAT, "HH:mm:ss")))
{
}

std::string Win32UserLocale::grouped(uint64_t count) const
{
    const std::string digits = std::to_string(count);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += thousands_;
        text += digits[i];
    }
    return text;
}

std::string Win32UserLocale::shortest_decimal(double value) const
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, result.ptr);
    if (const size_t point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, decimal_);
    return text;
}

} // namespace ornavox
