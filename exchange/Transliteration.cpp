#include "Transliteration.h"

#include "TextReader.h"

#include "text/Cp1252.h"
#include "model/Charset.h"

#include <unicode/brkiter.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/unistr.h>

#include <array>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace velkaro {

namespace {

// ICU's transliterators are not meant for use from several threads at once;
// the import reads on one thread, but the clipboard is read on another.
std::mutex g_mutex;

std::unique_ptr<icu::Transliterator> FromRules(const char* name, const char* rules)
{
    UErrorCode status = U_ZERO_ERROR;
    UParseError error {};
    std::unique_ptr<icu::Transliterator> t(icu::Transliterator::createFromRules(
        icu::UnicodeString::fromUTF8(name), icu::UnicodeString::fromUTF8(rules), UTRANS_FORWARD, error, status));
    return U_SUCCESS(status) ? std::move(t) : nullptr;
}

// What is left after the script's own convention: any other script in Latin,
// then plain letters. ICU writes the low quotes of German as two commas;
// they are quotes here.
icu::Transliterator* Plain()
{
    static auto t = FromRules("velkaro-plain", "\\u201E > \\u0022; \\u201A > \\u0027;"
                                               ":: Any-Latin; :: Latin-ASCII;");
    return t.get();
}

// Russian in German, as German newspapers and the Duden write it: Julija
// Schtscherbakowa, Chruschtschow, Tschaikowski. Applied to one lower-case
// word at a time.
icu::Transliterator* CyrillicGerman()
{
    // The first pass marks by context what the letters alone do not say (a
    // rule's context before the cursor sees letters already in Latin):
    // e after a vowel or at the start is je, o after a hushing sound, a
    // doubled s between vowels.
    static auto t = FromRules("velkaro-cyrillic-de",
                              "$vowel = [аеёиоуыэюяіїє];"
                              "[$vowel ьъ] { е > є; ^ е > є; ^ й > ј; [жчшщ] { ё > о; $vowel { с } $vowel > сс;"
                              ":: Null;"
                              "ј > j; ий $ > i; ый $ > y; й } [яюеёє] > ; й } $vowel > j; й > i;"
                              "ь } [иоё] > j; ь > ; ъ > ; кс > x;"
                              "а > a; б > b; в > w; г > g; д > d; е > e; ё > jo; ж > sch; з > s; и > i;"
                              "к > k; л > l; м > m; н > n; о > o; п > p; р > r; с > s; т > t; у > u;"
                              "ф > f; х > ch; ц > z; ч > tsch; ш > sch; щ > schtsch; ы > y; э > e;"
                              "ю > ju; я > ja; і > i; ї > ji; є > je; ґ > g; ў > u;");
    return t.get();
}

// Russian in English by BGN/PCGN (Yuliya Shcherbakova), with ё as yo, as
// English texts write it, and without the marks for the soft and hard sign.
icu::Transliterator* CyrillicEnglish()
{
    static auto t = FromRules("velkaro-cyrillic-en",
                              "ё > yo; :: Russian-Latin/BGN; [\\u02B9\\u02BA\\u00B7] > ;");
    return t.get();
}

// Greek as Greek passports and ELOT 743 write it (BGN/PCGN since 1996, the
// same in English and German): Ioannis Papadopoulos.
icu::Transliterator* Greek()
{
    static auto t = FromRules("velkaro-greek", ":: Greek-Latin/UNGEGN;");
    return t.get();
}

// Kana by Hepburn in the plain form of passports: the telephone has no
// macrons, so a long vowel is written once (Tokyo, Sato).
icu::Transliterator* Kana()
{
    static auto t = FromRules("velkaro-kana",
                              ":: Hiragana-Latin; n \\u0027 } n > n; ou > o; uu > u; \\u007E > ;");
    return t.get();
}

// The pinyin of one Han character, with its tone marks, from ICU's table.
icu::Transliterator* Pinyin()
{
    static auto t = FromRules("velkaro-pinyin", ":: Han-Latin; :: NFD; [\\u0300\\u0301\\u0304\\u030C] > ; :: NFC;");
    return t.get();
}

enum class Script { Han, Hangul, Kana, Cyrillic, Greek, Other };

Script ScriptOf(UChar32 c)
{
    if (c == 0x30FC || c == 0x30FB)  // the long-vowel sign and the middle dot of katakana
        return Script::Kana;
    UErrorCode status = U_ZERO_ERROR;
    switch (uscript_getScript(c, &status)) {
    case USCRIPT_HAN: return Script::Han;
    case USCRIPT_HANGUL: return Script::Hangul;
    case USCRIPT_HIRAGANA:
    case USCRIPT_KATAKANA: return Script::Kana;
    case USCRIPT_CYRILLIC: return Script::Cyrillic;
    case USCRIPT_GREEK: return Script::Greek;
    default: return Script::Other;
    }
}

void CapitaliseFirst(icu::UnicodeString& word)
{
    if (!word.isEmpty())
        word.replace(0, 1, icu::UnicodeString(u_toupper(word.char32At(0))));
}

void CapitaliseWords(icu::UnicodeString& text)
{
    for (int32_t i = 0; i < text.length(); ++i)
        if (i == 0 || text.charAt(i - 1) == u' ')
            text.replace(i, 1, icu::UnicodeString(u_toupper(text.charAt(i))));
}

// One word of Cyrillic or Greek through the language's rules, its case kept:
// the rules are written for lower case.
void Alphabetic(icu::UnicodeString& word, icu::Transliterator* transform)
{
    int letters = 0, upper = 0;
    for (int32_t i = 0; i < word.length(); i = word.moveIndex32(i, 1)) {
        const UChar32 c = word.char32At(i);
        letters += u_isalpha(c) ? 1 : 0;
        upper += u_isupper(c) ? 1 : 0;
    }
    const bool allCaps = letters > 1 && upper == letters;
    const bool title = !allCaps && letters > 0 && u_isupper(word.char32At(0));
    word.toLower(icu::Locale::getRoot());
    if (transform)
        transform->transliterate(word);
    if (allCaps)
        word.toUpper(icu::Locale::getRoot());
    else if (title)
        CapitaliseFirst(word);
}

// Korean by the Revised Romanization, syllable by syllable, with the
// sound changes between the syllables of a word: a final consonant carried
// over to a vowel (Hangugeo), nasal and lateral assimilation (Silla,
// Jongno, Dongnimmun).
constexpr std::array<const char*, 19> kInitial = { "g", "kk", "n", "d", "tt", "r", "m", "b", "pp", "s",
                                                   "ss", "", "j", "jj", "ch", "k", "t", "p", "h" };
constexpr std::array<const char*, 21> kVowel = { "a", "ae", "ya", "yae", "eo", "e", "yeo", "ye", "o", "wa", "wae",
                                                 "oe", "yo", "u", "wo", "we", "wi", "yu", "eu", "ui", "i" };
// A final consonant before a consonant or at the end of the word.
constexpr std::array<const char*, 28> kFinal = { "", "k", "k", "k", "n", "n", "n", "t", "l", "k", "m", "l", "l", "l",
                                                 "p", "l", "m", "p", "p", "t", "t", "ng", "t", "t", "k", "t", "p", "t" };
// The same before a vowel: what stays, and the initial (index) it lends the
// next syllable, -1 for none.
struct Linked {
    const char* stays;
    int lends;
};
constexpr std::array<Linked, 28> kFinalBeforeVowel = { {
    { "", -1 }, { "", 0 }, { "", 1 }, { "k", 9 }, { "", 2 }, { "n", 12 }, { "", 2 }, { "", 3 }, { "", 5 },
    { "l", 0 }, { "l", 6 }, { "l", 7 }, { "l", 9 }, { "l", 16 }, { "l", 17 }, { "", 5 }, { "", 6 }, { "", 7 },
    { "p", 9 }, { "", 9 }, { "", 10 }, { "ng", -1 }, { "", 12 }, { "", 14 }, { "", 15 }, { "", 16 }, { "", 17 },
    { "", -1 },
} };

std::string Korean(const icu::UnicodeString& word)
{
    std::string out;
    int lent = -1;              // the initial the previous syllable's final lends this one
    bool afterFinalL = false;   // an r after a final l is written l (Silla)
    const int32_t n = word.length();
    for (int32_t i = 0; i < n; ++i) {
        const UChar c = word.charAt(i);
        if (c < 0xAC00 || c > 0xD7A3) {
            icu::UnicodeString(c).toUTF8String(out);
            lent = -1;
            afterFinalL = false;
            continue;
        }
        const int s = c - 0xAC00;
        const int initial = lent >= 0 ? lent : s / (21 * 28);
        const int vowel = s / 28 % 21;
        const int final = s % 28;
        out += initial == 5 && afterFinalL ? "l" : kInitial[static_cast<std::size_t>(initial)];
        out += kVowel[static_cast<std::size_t>(vowel)];

        const UChar next = i + 1 < n ? word.charAt(i + 1) : 0;
        const int nextInitial = next >= 0xAC00 && next <= 0xD7A3 ? (next - 0xAC00) / (21 * 28) : -1;
        std::string finalText = kFinal[static_cast<std::size_t>(final)];
        lent = -1;
        if (nextInitial == 11) {  // a vowel follows: the final is carried over
            finalText = kFinalBeforeVowel[static_cast<std::size_t>(final)].stays;
            lent = kFinalBeforeVowel[static_cast<std::size_t>(final)].lends;
        } else if (nextInitial >= 0 && !finalText.empty()) {
            const char sound = finalText == "ng" ? 'g' : finalText[0];
            if (nextInitial == 2 || nextInitial == 6) {  // before n or m: k t p sound ng n m
                finalText = sound == 'k' ? "ng" : sound == 't' ? "n" : sound == 'p' ? "m" : finalText;
                if (sound == 'l' && nextInitial == 2)
                    lent = 5;  // l n sounds l l
            } else if (nextInitial == 5) {  // before r
                if (sound == 'l' || sound == 'n') {
                    finalText = "l";  // Silla, Seollal
                } else {
                    lent = 2;  // Jongno, Dongnip
                    finalText = sound == 'k' ? "ng" : sound == 't' ? "n" : sound == 'p' ? "m" : finalText;
                }
            }
        }
        out += finalText;
        afterFinalL = finalText == "l";
    }
    return out;
}

// The commonest Chinese family names: a three-character word that begins
// with one is a whole name.
constexpr std::u16string_view kFamilyNames =
    u"李王张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金"
    u"石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤"
    u"張劉陳楊黃趙吳孫馬鄭謝許韓馮鄧蕭葉蘇呂盧鍾譚陸賈韋鄒龔錢嚴湯";

bool IsFamilyName(UChar c)
{
    return kFamilyNames.find(static_cast<char16_t>(c)) != std::u16string_view::npos;
}

// Pinyin of one word, its syllables joined (an apostrophe where a syllable
// after the first begins with a vowel, as in Xi'an) and capitalised.
std::string PinyinWord(const icu::UnicodeString& word, std::unordered_map<UChar32, std::string>& cache)
{
    std::string out;
    for (int32_t i = 0; i < word.length(); i = word.moveIndex32(i, 1)) {
        const UChar32 c = word.char32At(i);
        auto found = cache.find(c);
        if (found == cache.end()) {
            icu::UnicodeString one(c);
            if (Pinyin())
                Pinyin()->transliterate(one);
            one.trim();
            std::string syllable;
            one.toUTF8String(syllable);
            found = cache.emplace(c, std::move(syllable)).first;
        }
        const std::string& syllable = found->second;
        if (!out.empty() && !syllable.empty() && std::string_view("aoe").find(syllable[0]) != std::string_view::npos)
            out += '\'';
        out += syllable;
    }
    icu::UnicodeString result = icu::UnicodeString::fromUTF8(out);
    CapitaliseFirst(result);
    std::string text;
    result.toUTF8String(text);
    return text;
}

// A run of Han words as ICU's dictionary splits them, each in pinyin. A
// name's given name is no dictionary word: the single characters after the
// first word are one word (Zhou Jielun), and a three-character word that
// begins with a common family name is a family name and a given name
// (Mao Zedong).
std::string HanRun(const std::vector<icu::UnicodeString>& words)
{
    static std::unordered_map<UChar32, std::string> cache;
    std::vector<icu::UnicodeString> joined;
    for (std::size_t k = 0; k < words.size(); ++k) {
        const icu::UnicodeString& w = words[k];
        if (k > 1 && w.countChar32() == 1 && joined.back().countChar32() >= 1 && words[k - 1].countChar32() == 1)
            joined.back() += w;
        else
            joined.push_back(w);
    }
    if (joined.size() == 1 && joined[0].length() == 3 && IsFamilyName(joined[0].charAt(0))) {
        icu::UnicodeString given(joined[0], 1);
        joined[0].truncate(1);
        joined.push_back(given);
    }
    std::string out;
    for (const auto& w : joined) {
        if (!out.empty())
            out += ' ';
        out += PinyinWord(w, cache);
    }
    return out;
}

// Katakana as hiragana, which ICU's Hepburn table reads best.
void KatakanaToHiragana(icu::UnicodeString& word)
{
    for (int32_t i = 0; i < word.length(); ++i) {
        const UChar c = word.charAt(i);
        if (c >= 0x30A1 && c <= 0x30F6)
            word.setCharAt(i, static_cast<UChar>(c - 0x60));
        else if (c == 0x30FB)
            word.setCharAt(i, u' ');
    }
}

// The text is taken a block at a time, cut at a blank where there is one, so
// that neither the word break nor a transform ever sees more than this.
constexpr int32_t kBlock = 4096;

void TransliterateBlock(const icu::UnicodeString& block, int language, icu::UnicodeString& out)
{
    UErrorCode status = U_ZERO_ERROR;
    static std::unique_ptr<icu::BreakIterator> words(icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
    if (!words) {
        out += block;
        return;
    }
    words->setText(block);
    // Han words are taken a run at a time (a name is several of them), kana
    // too, as the word break splits a kana name into syllables.
    std::vector<icu::UnicodeString> han;
    icu::UnicodeString kana;
    const auto flush = [&] {
        if (!han.empty())
            out += icu::UnicodeString::fromUTF8(HanRun(han));
        han.clear();
        if (!kana.isEmpty()) {
            KatakanaToHiragana(kana);
            if (Kana())
                Kana()->transliterate(kana);
            CapitaliseWords(kana);
            out += kana;
        }
        kana.remove();
    };
    int32_t start = words->first();
    for (int32_t end = words->next(); end != icu::BreakIterator::DONE; start = end, end = words->next()) {
        icu::UnicodeString word(block, start, end - start);
        const Script script = ScriptOf(word.char32At(0));
        if (script == Script::Han && kana.isEmpty()) {
            han.push_back(word);
            continue;
        }
        if (script == Script::Kana && han.empty()) {
            kana += word;
            continue;
        }
        flush();
        if (script == Script::Han) {
            han.push_back(word);
            continue;
        }
        if (script == Script::Kana) {
            kana += word;
            continue;
        }
        switch (script) {
        case Script::Hangul: {
            icu::UnicodeString latin = icu::UnicodeString::fromUTF8(Korean(word));
            CapitaliseFirst(latin);
            out += latin;
            break;
        }
        case Script::Cyrillic:
            Alphabetic(word, language == kLangGerman ? CyrillicGerman() : CyrillicEnglish());
            out += word;
            break;
        case Script::Greek:
            Alphabetic(word, Greek());
            out += word;
            break;
        default:
            out += word;
            break;
        }
    }
    flush();
}

bool BlankOnTelephone(unsigned char c)
{
    return c != ' ' && MapToDeviceCharset(c) == ' ';
}

}  // namespace

std::string TransliterateToAnsi(std::string_view utf8, int language)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    icu::UnicodeString latin;
    for (int32_t at = 0; at < text.length();) {
        int32_t end = std::min(text.length(), at + kBlock);
        if (end < text.length()) {
            const int32_t blank = text.lastIndexOf(u' ', at, end - at);
            if (blank > at)
                end = blank;
            else if (U16_IS_LEAD(text.charAt(end - 1)))
                --end;
        }
        icu::UnicodeString block(text, at, end - at);
        icu::UnicodeString part;
        TransliterateBlock(block, language, part);
        if (Plain())
            Plain()->transliterate(part);
        latin += part;
        at = end;
    }
    // What Windows-1252 still lacks is left out, and so is a blank that its
    // leaving out would double.
    std::string out;
    out.reserve(static_cast<std::size_t>(latin.length()));
    bool dropped = false;
    for (int32_t i = 0; i < latin.length(); i = latin.moveIndex32(i, 1)) {
        const int ansi = UnicodeToCp1252(static_cast<char32_t>(latin.char32At(i)));
        if (ansi < 0) {
            dropped = true;
            continue;
        }
        if (ansi == ' ' && dropped && (out.empty() || out.back() == ' '))
            continue;
        dropped = false;
        out.push_back(static_cast<char>(ansi));
    }
    if (dropped && !out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string ReadableForDevice(const std::string& ansi)
{
    std::string out;
    out.reserve(ansi.size());
    std::size_t i = 0;
    while (i < ansi.size()) {
        if (!BlankOnTelephone(static_cast<unsigned char>(ansi[i]))) {
            out.push_back(ansi[i++]);
            continue;
        }
        // A run of such characters goes through ICU as one: some scripts'
        // transliteration depends on the neighbouring letters.
        std::size_t end = i;
        while (end < ansi.size() && BlankOnTelephone(static_cast<unsigned char>(ansi[end])))
            ++end;
        out += TransliterateToAnsi(AnsiToUtf8(ansi.substr(i, end - i)));
        i = end;
    }
    return out;
}

std::string ReadableForDeviceFromUtf8(std::string_view utf8)
{
    return ReadableForDevice(Utf8FieldToAnsi(utf8));
}

}  // namespace velkaro
