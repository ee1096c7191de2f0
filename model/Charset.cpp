#include "Charset.h"

#include <array>
#include <string_view>

namespace velkaro {

namespace {

// The telephone's collating sequence over Windows-1252. Upper and lower case
// of a letter share one value; the accented letters the telephone knows sit
// right after their base letter, the Nordic letters after Z.
constexpr std::array<uint8_t, 256> MakeOrderTable()
{
    std::array<uint8_t, 256> t {};
    for (auto& v : t)
        v = kNotOnTelephone;
    uint8_t next = 2;
    for (unsigned char c : std::string_view(" !\"#$%&'()*+,-./:;<=>?@~"))
        t[c] = next++;
    t[0x80] = next++;  // euro sign
    for (unsigned char c = '0'; c <= '9'; ++c)
        t[c] = next++;
    auto letter = [&t, &next](unsigned char upper, unsigned char lower) {
        if (upper)
            t[upper] = next;
        if (lower)
            t[lower] = next;
        ++next;
    };
    letter('A', 'a');
    letter(0xC4, 0xE4);  // Ä ä
    letter(0, 0xE0);     // à (À is not on the telephone)
    letter('B', 'b');
    letter('C', 'c');
    letter(0, 0xE7);     // ç
    letter('D', 'd');
    letter('E', 'e');
    letter(0, 0xE9);     // é
    letter(0, 0xE8);     // è
    for (unsigned char c = 'F'; c <= 'N'; ++c)
        letter(c, static_cast<unsigned char>(c + 32));
    letter(0xD1, 0xF1);  // Ñ ñ
    letter('O', 'o');
    letter(0xD6, 0xF6);  // Ö ö
    for (unsigned char c = 'P'; c <= 'U'; ++c)
        letter(c, static_cast<unsigned char>(c + 32));
    letter(0xDC, 0xFC);  // Ü ü
    for (unsigned char c = 'V'; c <= 'Z'; ++c)
        letter(c, static_cast<unsigned char>(c + 32));
    letter(0xC6, 0xE6);  // Æ æ
    letter(0xD8, 0xF8);  // Ø ø
    letter(0xC5, 0xE5);  // Å å
    return t;
}

constexpr std::array<uint8_t, 256> kOrder = MakeOrderTable();
static_assert(kOrder[' '] == 2 && kOrder['/'] == 17 && kOrder[':'] == 18 && kOrder['@'] == 24);
static_assert(kOrder['~'] == 25 && kOrder[0x80] == 26 && kOrder['0'] == 27 && kOrder['9'] == 36);
static_assert(kOrder['a'] == 37 && kOrder[0xE8] == 46 && kOrder['N'] == 55 && kOrder['u'] == 64);
static_assert(kOrder['Z'] == 70 && kOrder[0xE5] == 73 && kOrder['['] == kNotOnTelephone);

// Windows-1252 -> telephone (code page 437 positions). Looked up in this
// order, and reversed for the other direction.
constexpr std::array<std::array<uint8_t, 2>, 18> kDevicePairs { {
    { 0xC4, 0x8E }, { 0xC5, 0x8F }, { 0xC6, 0x92 }, { 0xD1, 0xA5 }, { 0xD6, 0x99 }, { 0xD8, 0xED },
    { 0xDC, 0x9A }, { 0xE0, 0x85 }, { 0xE4, 0x84 }, { 0xE5, 0x86 }, { 0xE6, 0x91 }, { 0xE7, 0x87 },
    { 0xE8, 0x8A }, { 0xE9, 0x82 }, { 0xF1, 0xA4 }, { 0xF6, 0x94 }, { 0xF8, 0xE5 }, { 0xFC, 0x81 },
} };

// Code page 850 0x80..0xFF as Windows-1252. Box-drawing characters become
// + - |, shades and blocks '?', the dotless i 'i', the double low line '_';
// everything else has its own Windows-1252 character.
constexpr std::array<uint8_t, 128> kOem850 { {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xF8, 0xA3, 0xD8, 0xD7, 0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAE, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x3F, 0x3F, 0x3F, 0x7C, 0x2B, 0xC1, 0xC2, 0xC0, 0xA9, 0x2B, 0x7C, 0x2B, 0x2B, 0xA2, 0xA5, 0x2B,
    0x2B, 0x2B, 0x2B, 0x2B, 0x2D, 0x2B, 0xE3, 0xC3, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2D, 0x2B, 0xA4,
    0xF0, 0xD0, 0xCA, 0xCB, 0xC8, 0x69, 0xCD, 0xCE, 0xCF, 0x2B, 0x2B, 0x3F, 0x3F, 0xA6, 0xCC, 0x3F,
    0xD3, 0xDF, 0xD4, 0xD2, 0xF5, 0xD5, 0xB5, 0xFE, 0xDE, 0xDA, 0xDB, 0xD9, 0xFD, 0xDD, 0xAF, 0xB4,
    0xAD, 0xB1, 0x5F, 0xBE, 0xB6, 0xA7, 0xF7, 0xB8, 0xB0, 0xA8, 0xB7, 0xB9, 0xB3, 0xB2, 0x3F, 0xA0,
} };

}  // namespace

uint8_t CharOrder(unsigned char c)
{
    return kOrder[c];
}

const std::array<uint8_t, 256>& CharOrderTable()
{
    return kOrder;
}

bool IsAnsiAlpha(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
        return true;
    switch (c) {
    case 0x83:  // ƒ
    case 0x8A:  // Š
    case 0x8C:  // Œ
    case 0x8E:  // Ž
    case 0x9A:  // š
    case 0x9C:  // œ
    case 0x9E:  // ž
    case 0x9F:  // Ÿ
    case 0xAA:  // ª
    case 0xB5:  // µ
    case 0xBA:  // º
        return true;
    default:
        break;
    }
    return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

bool IsNameLetter(unsigned char c)
{
    // The telephone files é and à under E and A but does not take them as
    // the first letter of a name.
    return kOrder[c] != kNotOnTelephone && c != 0xE9 && c != 0xE0 && IsAnsiAlpha(c);
}

unsigned char AnsiToUpper(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    switch (c) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: break;
    }
    if (c >= 0xE0 && c != 0xF7)
        return static_cast<unsigned char>(c - 32);
    return c;
}

std::string AnsiToUpper(std::string_view s)
{
    std::string out(s);
    for (char& ch : out)
        ch = static_cast<char>(AnsiToUpper(static_cast<unsigned char>(ch)));
    return out;
}

unsigned char AnsiToDevice(unsigned char c)
{
    for (const auto& pair : kDevicePairs)
        if (pair[0] == c)
            return pair[1];
    return c;
}

unsigned char DeviceToAnsi(unsigned char c)
{
    for (const auto& pair : kDevicePairs)
        if (pair[1] == c)
            return pair[0];
    return c;
}

unsigned char MapToDeviceCharset(unsigned char c)
{
    if (kOrder[c] != kNotOnTelephone)
        return c;
    switch (c) {
    case '[': case '{': return '(';
    case '\\': case '|': return '/';
    case ']': case '}': return ')';
    case '_': return '-';
    case 0xC0: case 0xC1: case 0xC2: case 0xC3: return 'A';
    case 0xC7: return 'C';
    case 0xC8: case 0xC9: case 0xCA: case 0xCB: return 'E';
    case 0xCC: case 0xCD: case 0xCE: case 0xCF: return 'I';
    case 0xD2: case 0xD3: case 0xD4: case 0xD5: return 'O';
    case 0xD9: case 0xDA: case 0xDB: return 'U';
    case 0xDD: return 'Y';
    case 0xE1: case 0xE2: case 0xE3: return 'a';
    case 0xEA: case 0xEB: return 'e';
    case 0xEC: case 0xED: case 0xEE: case 0xEF: return 'i';
    case 0xF2: case 0xF3: case 0xF4: case 0xF5: return 'o';
    case 0xF9: case 0xFA: case 0xFB: return 'u';
    case 0xFD: case 0xFF: return 'y';
    default: return ' ';
    }
}

unsigned char OemToAnsi(unsigned char c)
{
    return c < 0x80 ? c : kOem850[c - 0x80];
}

std::string OemToAnsi(const std::string& s)
{
    std::string out = s;
    for (char& ch : out)
        ch = static_cast<char>(OemToAnsi(static_cast<unsigned char>(ch)));
    return out;
}

}  // namespace velkaro
