#pragma once

// Telephone numbers compared as numbers, not as text: for a user at home in
// Switzerland "+41 44 123 45 67", "0041441234567" and "044 123 45 67" are
// one number. The telephone sends the numbers of its call list as it dialled
// or received them; the cards hold them as the user wrote them. Standard
// library only at this interface; libphonenumber does the parsing.

#include <cstddef>
#include <string>

namespace velkaro {

// The number understood: its key, and digits that any way of writing it
// ends with (the last of the national number and the extension, as they
// stand at the end of the text), which lets a search skip texts that cannot
// be the number without parsing them.
struct PhoneNumberKey {
    std::string key;     // empty: the text holds no digit
    std::string suffix;  // digits
};

class CPhoneNumbers {
public:
    // homeCountry: a two-letter region ("CH", any case). Empty or unknown:
    // only numbers written with their country code ("+41 ...") are
    // understood; the others compare by their digits.
    explicit CPhoneNumbers(const std::string& homeCountry);

    const std::string& HomeCountry() const { return m_country; }

    // Two texts (Windows-1252) are the same number when their keys are equal
    // and not empty. A text libphonenumber cannot parse as a number keys by
    // its digits alone.
    PhoneNumberKey Understand(const std::string& number) const;
    std::string Key(const std::string& number) const { return Understand(number).key; }

    // The number as the telephone dials it from the home country: only
    // digits (and the keypad's * and #), the national form for a number of
    // the home country ("+49 (0)30 1234567" is "0301234567" in Germany), the
    // home country's international prefix for another ("0049301234567" from
    // Switzerland), and outsideLine (the digit a private exchange wants for an outside line)
    // before every number that leaves the house. A text that is no such
    // number (an internal short number, "110", a text with letters, a
    // number libphonenumber does not know as valid, any number while no home
    // country is known) comes back unchanged.
    std::string Dialable(const std::string& number, const std::string& outsideLine = {}) const;

    // The digits of a text, in their order.
    static std::string DigitsOf(const std::string& text);
    // A text without letters ends with the suffix of the number it is
    // understood as; one with letters ("0800 FLOWERS", "044 1234567 Büro")
    // need not.
    static bool HasLetter(const std::string& text);

    // A region libphonenumber knows ("CH", "DE"); case as given.
    static bool IsKnownCountry(const std::string& code);
    // The region of a locale name: "de_CH.UTF-8@euro" is "CH"; empty for
    // "C", "POSIX" or a name without one.
    static std::string CountryOfLocale(const std::string& locale);
    // The locale telephone numbers are written in: LC_ALL, else
    // LC_TELEPHONE, else LANG.
    static std::string CountryFromEnvironment();
    // The setting when it names a known region, else the environment's.
    static std::string HomeCountry(const std::string& setting);

private:
    std::string m_country;
};

}  // namespace velkaro
