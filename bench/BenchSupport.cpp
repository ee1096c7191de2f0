#include "BenchSupport.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>

namespace velkaro::bench {

namespace {

// Short enough that "surname first-name" fits the 20 characters of the name
// line, so no two combinations meet after the cut. Windows-1252.
const char* const kSurnames[] = {
    "Meier",     "Schulz",    "Adler",     "Becker",    "Hoffmann",  "Sch\xE4" "fer",
    "Koch",      "Bauer",     "Richter",   "Klein",     "Wolf",      "Schr\xF6" "der",
    "Neumann",   "Schwarz",   "Zimmermann", "Braun",    "Kr\xFC" "ger", "Hofmann",
    "Hartmann",  "Lange",     "Schmitt",   "Werner",    "Schmitz",   "Krause",
    "Meyer",     "Lehmann",   "Schmid",    "Schulze",   "Maier",     "K\xF6" "hler",
    "Herrmann",  "K\xF6" "nig", "Walter",  "Mayer",     "Huber",     "Kaiser",
    "Fuchs",     "Peters",    "Lang",      "Scholz",    "M\xF6" "ller", "Wei\xDF",
    "Jung",      "Hahn",      "Schubert",  "Vogel",     "Friedrich", "Keller",
    "G\xFC" "nther", "Frank", "Berger",    "Winkler",   "Roth",      "Beck",
    "Lorenz",    "Baumann",   "Franke",    "Albrecht",  "Schuster",  "Simon",
    "Ludwig",    "B\xF6" "hm", "Winter",   "Kraus",     "Martin",    "Schumacher",
    "Kr\xE4" "mer", "Vogt",   "Stein",     "J\xE4" "ger", "Otto",    "Sommer",
    "Gro\xDF",   "Seidel",    "Heinrich",  "Brandt",    "Haas",      "Schreiber",
    "Graf",      "Dietrich",
};
const char* const kFirstNames[] = {
    "Hans",    "Anna",    "Peter",   "Maria",   "Klaus",   "Ursula",  "J\xFC" "rgen", "Monika",
    "Wolfgang", "Petra",  "Michael", "Sabine",  "Thomas",  "Andrea",  "Stefan",  "Karin",
    "Frank",   "Birgit",  "Uwe",     "Gabriele", "Dieter", "Renate",  "Bernd",   "Heike",
    "Andreas", "Claudia", "Rainer",  "Susanne", "Horst",   "Brigitte", "Werner", "Helga",
    "J\xF6" "rg", "Martina", "Ralf", "Elke",    "G\xFC" "nter", "Ingrid", "Manfred", "Angelika",
    "Holger",  "Silke",   "Karl",    "Christa", "Heinz",   "Gisela",  "Dirk",    "Anja",
    "Markus",  "Nicole",  "Helmut",  "Doris",   "Matthias", "Bettina", "Sven",   "Ute",
    "Ren\xE9", "Tanja",   "Lars",    "Katrin",  "Tim",     "Julia",   "Jan",     "Lena",
    "Felix",   "Sophie",  "Lukas",   "Emma",    "Paul",    "Mia",
};
constexpr int kSurnameCount = static_cast<int>(std::size(kSurnames));
constexpr int kFirstNameCount = static_cast<int>(std::size(kFirstNames));

const char* const kStreets[] = {
    "Bahnhofstra\xDF" "e", "Hauptstra\xDF" "e", "Gartenweg", "Am Markt", "Lindenallee",
    "Kirchplatz", "Schillerstra\xDF" "e", "Goethestra\xDF" "e", "M\xFChlenweg", "Dorfstra\xDF" "e",
};
const char* const kTowns[] = {
    "26122 Oldenburg", "28195 Bremen", "20095 Hamburg", "30159 Hannover", "49074 Osnabr\xFC" "ck",
    "26382 Wilhelmshaven", "27568 Bremerhaven", "26603 Aurich", "26789 Leer", "49661 Cloppenburg",
};
const char* const kNotes[] = {
    "Geburtstag 12. M\xE4rz", "nur abends anrufen", "Schl\xFCssel beim Nachbarn",
    "Kundennummer 4711-0815", "Praxis Mi nachmittags zu", "Urlaub bis Ende August",
    "Rechnung per E-Mail", "Vertretung: Frau Koch", "Zufahrt \xFC" "ber den Hof",
    "Hund hei\xDFt Bello",
};

// Text of exactly `length` characters: the phrase, then its line number and
// dots, as a card whose every line is in use.
std::string FilledLine(const std::string& phrase, int line, int length)
{
    std::string text = phrase + " (" + std::to_string(line) + ")";
    text.resize(static_cast<std::size_t>(length), '.');
    return text;
}

std::string Telephone(int i)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "0441 %07d", (i * 7919 + 1234567) % 10000000);
    return buf;
}

std::string Mobile(int i)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "0171 %07d", (i * 104729 + 7654321) % 10000000);
    return buf;
}

std::string Street(int i)
{
    return std::string(kStreets[i % std::size(kStreets)]) + " " + std::to_string(i % 97 + 1);
}

std::string Mail(int i)
{
    return "post" + std::to_string(i) + "@beispiel.de";
}

}  // namespace

std::vector<std::string> PeopleNames(int n)
{
    std::vector<std::string> all;
    all.reserve(static_cast<std::size_t>(kSurnameCount * kFirstNameCount));
    for (const char* surname : kSurnames)
        for (const char* first : kFirstNames)
            all.push_back(std::string(surname) + " " + first);
    std::mt19937 random(20240611);
    std::shuffle(all.begin(), all.end(), random);
    // Beyond the combinations the names repeat, and the collection numbers
    // the duplicates as it does on an import.
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(std::max(n, 0)));
    for (int i = 0; i < n; ++i)
        names.push_back(all[static_cast<std::size_t>(i) % all.size()]);
    return names;
}

std::unique_ptr<CKarte> TypicalCard(const std::string& name, int i)
{
    auto card = std::make_unique<CKarte>();
    card->SetLine(0, name);
    card->SetLine(1, Telephone(i));
    card->SetLine(2, Street(i));
    card->SetLine(3, kTowns[i % std::size(kTowns)]);
    card->SetLine(4, "Mobil " + Mobile(i));
    card->SetLine(5, Mail(i));
    if (i % 7 == 0)
        card->SetMarked(true);
    return card;
}

std::unique_ptr<CKarte> FullCard(const std::string& name, int i)
{
    auto card = TypicalCard(name, i);
    for (int line = 2; line < kMaxLines; ++line)
        card->SetLine(line, FilledLine(kNotes[(i + line) % std::size(kNotes)], line, kLongLineLength));
    return card;
}

CCardList TypicalCollection(int n)
{
    CCardList list;
    std::vector<std::string> names = PeopleNames(n);
    for (int i = 0; i < n; ++i)
        list.InsertSorted(TypicalCard(names[static_cast<std::size_t>(i)], i), false);
    return list;
}

CCardList FullCollection(int n)
{
    CCardList list;
    std::vector<std::string> names = PeopleNames(n);
    for (int i = 0; i < n; ++i)
        list.InsertSorted(FullCard(names[static_cast<std::size_t>(i)], i), false);
    return list;
}

CImportTable ContactTable(int rows, int columns)
{
    static const char* const kHeader[] = {
        "Name", "Vorname", "Stra\xDF" "e", "PLZ", "Ort", "Telefon", "Mobil", "E-Mail", "Firma", "Notiz",
    };
    CImportTable table;
    for (int c = 0; c < columns; ++c)
        table.SetField(c < static_cast<int>(std::size(kHeader)) ? kHeader[c] : "Feld " + std::to_string(c + 1), 0, c);
    for (int r = 1; r < rows; ++r) {
        int i = r - 1;
        std::string town = kTowns[i % std::size(kTowns)];
        for (int c = 0; c < columns; ++c) {
            std::string text;
            switch (c) {
            case 0: text = kSurnames[i % kSurnameCount]; break;
            case 1: text = kFirstNames[(i / kSurnameCount) % kFirstNameCount]; break;
            case 2: text = Street(i); break;
            case 3: text = town.substr(0, 5); break;
            case 4: text = town.substr(6); break;
            case 5: text = Telephone(i); break;
            case 6: text = Mobile(i); break;
            case 7: text = Mail(i); break;
            // Now and then a company name with the separator in it, which
            // the exporting program puts in quotes.
            case 8: text = i % 10 == 0 ? std::string("M\xFCller; S\xF6hne GmbH") : "Firma " + std::to_string(i % 50); break;
            case 9: text = kNotes[i % std::size(kNotes)]; break;
            default: text = FilledLine(kNotes[(i + c) % std::size(kNotes)], c, kLongLineLength); break;
            }
            table.SetField(text, r, c);
        }
    }
    return table;
}

std::string SemicolonText(const CImportTable& table)
{
    std::string text;
    for (int r = 0; r < table.RecordCount(); ++r) {
        for (int c = 0; c < table.RecordLength(r); ++c) {
            if (c > 0)
                text += ';';
            const std::string& field = table.FieldText(r, c);
            if (field.find(';') != std::string::npos)
                text += '"' + field + '"';
            else
                text += field;
        }
        text += "\r\n";
    }
    return text;
}

MsgAnswer SilentUi::Message(const std::string& /*text*/, MsgButtons buttons, MsgIcon /*icon*/)
{
    ++messages;
    switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::YesNo: return MsgAnswer::No;
    default: return MsgAnswer::Cancel;
    }
}

std::optional<std::string> SilentUi::ChooseFile(FileRequest& /*request*/)
{
    return std::nullopt;
}

ScratchDir::ScratchDir()
{
    static int counter = 0;
    m_path = std::filesystem::temp_directory_path()
        / ("velkaro_bench_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    std::filesystem::create_directories(m_path);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace velkaro::bench
