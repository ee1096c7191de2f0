#include "PhoneNumbers.h"

#include "text/Ascii.h"
#include "text/Cp1252.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <cstdlib>

namespace velkaro {

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

constexpr std::size_t kSuffixDigits = 6;

}  // namespace

CPhoneNumbers::CPhoneNumbers(const std::string& homeCountry)
    : m_country(IsKnownCountry(homeCountry) ? AsciiUpper(homeCountry) : std::string())
{
}

PhoneNumberKey CPhoneNumbers::Understand(const std::string& number) const
{
    PhoneNumberKey result;
    const std::string digits = DigitsOf(number);
    // Without a digit there is no number, whatever a parser would make of
    // letters ("Anna" dials 2662 on a keypad, but names are not numbers).
    if (digits.empty())
        return result;
    const PhoneNumberUtil* util = PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    // "ZZ" is libphonenumber's unknown region: only "+..." numbers parse.
    if (util->Parse(AnsiToUtf8(number), m_country.empty() ? "ZZ" : m_country, &parsed)
        == PhoneNumberUtil::NO_PARSING_ERROR) {
        util->Format(parsed, PhoneNumberUtil::E164, &result.key);
        util->GetNationalSignificantNumber(parsed, &result.suffix);
        if (parsed.has_extension() && !parsed.extension().empty()) {
            result.key += ";ext=" + parsed.extension();
            result.suffix += parsed.extension();
        }
        // A country's rule may put an area code before a local number
        // written without it ("+261 4750268" is +261 20 4750268), so only the
        // last digits of the local number are sure to end every writing: the
        // tail the national digits share with these, six at the most.
        std::size_t tail = 0;
        while (tail < kSuffixDigits && tail < result.suffix.size() && tail < digits.size()
               && result.suffix[result.suffix.size() - 1 - tail] == digits[digits.size() - 1 - tail])
            ++tail;
        result.suffix.erase(0, result.suffix.size() - tail);
        return result;
    }
    result.key = "digits:" + digits;
    result.suffix = digits;
    return result;
}

std::string CPhoneNumbers::Dialable(const std::string& number, const std::string& outsideLine) const
{
    if (m_country.empty() || HasLetter(number) || DigitsOf(number).empty())
        return number;
    // "+49 (0)30 ...": the national prefix in brackets is dialled only from
    // inside the country, which the formatting below knows by itself.
    std::string text = AnsiToUtf8(number);
    for (std::size_t at; (at = text.find("(0)")) != std::string::npos;)
        text.erase(at, 3);
    const PhoneNumberUtil* util = PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    if (util->Parse(text, m_country, &parsed) != PhoneNumberUtil::NO_PARSING_ERROR
        || !util->IsValidNumber(parsed))
        return number;
    std::string formatted;
    util->FormatOutOfCountryCallingNumber(parsed, m_country, &formatted);
    std::string dialled = outsideLine;
    for (char ch : formatted)
        if ((ch >= '0' && ch <= '9') || ch == '*' || ch == '#')
            dialled += ch;
    // A country without one international prefix is written with "+",
    // which the telephone cannot dial: such a number stays as written.
    if (formatted.find('+') != std::string::npos)
        return number;
    return dialled;
}

std::string CPhoneNumbers::DigitsOf(const std::string& text)
{
    std::string digits;
    for (char ch : text)
        if (ch >= '0' && ch <= '9')
            digits += ch;
    return digits;
}

bool CPhoneNumbers::HasLetter(const std::string& text)
{
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0)
            return true;
    }
    return false;
}

bool CPhoneNumbers::IsKnownCountry(const std::string& code)
{
    if (code.size() != 2)
        return false;
    return PhoneNumberUtil::GetInstance()->GetCountryCodeForRegion(AsciiUpper(code)) != 0;
}

std::string CPhoneNumbers::CountryOfLocale(const std::string& locale)
{
    // language[_TERRITORY][.codeset][@modifier]
    const std::size_t underscore = locale.find('_');
    if (underscore == std::string::npos)
        return {};
    std::size_t end = locale.find_first_of(".@", underscore + 1);
    if (end == std::string::npos)
        end = locale.size();
    std::string territory = AsciiUpper(locale.substr(underscore + 1, end - underscore - 1));
    return IsKnownCountry(territory) ? territory : std::string();
}

std::string CPhoneNumbers::CountryFromEnvironment()
{
    // The first one set decides, as for the C library's own categories.
    for (const char* name : { "LC_ALL", "LC_TELEPHONE", "LANG" }) {
        const char* value = std::getenv(name);
        if (value && *value)
            return CountryOfLocale(value);
    }
    return {};
}

std::string CPhoneNumbers::HomeCountry(const std::string& setting)
{
    return IsKnownCountry(setting) ? AsciiUpper(setting) : CountryFromEnvironment();
}

}  // namespace velkaro
