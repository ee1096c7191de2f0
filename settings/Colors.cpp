#include "Colors.h"

#include "Settings.h"

#include <array>
#include <cstdio>

namespace velkaro {

namespace {

struct ColorDef {
    const char* name;
    ColorRef defaultColor;
};

constexpr ColorDef kColorDefs[kColorEntries] = {
    { "Background", MakeRgb(170, 170, 170) },
    { "Display", MakeRgb(210, 210, 210) },
    { "ListGround", MakeRgb(149, 185, 234) },
    { "ListLine", MakeRgb(255, 255, 255) },
    { "ListFont", MakeRgb(0, 0, 0) },
    { "ListPrivat", MakeRgb(255, 255, 0) },
    { "ListAlpha", MakeRgb(224, 224, 224) },
    { "ListAlphaPriv", MakeRgb(255, 255, 128) },
    { "CardGround", MakeRgb(185, 240, 200) },
    { "CardLine", MakeRgb(255, 255, 255) },
    { "CardFont", MakeRgb(0, 0, 0) },
    { "CardGroundPage", MakeRgb(64, 0, 64) },
    { "PageNumber", MakeRgb(255, 0, 0) },
    { "StructureGround", MakeRgb(255, 255, 160) },
    { "StructureLine", MakeRgb(255, 255, 255) },
    { "StructureFont", MakeRgb(0, 0, 0) },
    { "SoftkeyBackground", MakeRgb(224, 224, 224) },
    { "SoftkeyGround", MakeRgb(192, 192, 192) },
    { "SoftkeySelected", MakeRgb(66, 66, 66) },
    { "UnusedMargin", MakeRgb(192, 192, 192) },
};

std::array<ColorRef, kColorEntries> DefaultTable()
{
    std::array<ColorRef, kColorEntries> t {};
    for (int i = 0; i < kColorEntries; ++i)
        t[static_cast<std::size_t>(i)] = kColorDefs[i].defaultColor;
    return t;
}

std::array<ColorRef, kColorEntries>& Table()
{
    static std::array<ColorRef, kColorEntries> table = DefaultTable();
    return table;
}

bool ValidIndex(int index) { return index >= 0 && index < kColorEntries; }

}  // namespace

const char* ColorValueName(int index)
{
    return ValidIndex(index) ? kColorDefs[index].name : "";
}

ColorRef DefaultColor(int index)
{
    return ValidIndex(index) ? kColorDefs[index].defaultColor : 0;
}

ColorRef ParseColor(const std::string& value, ColorRef defaultColor)
{
    if (value.empty())
        return defaultColor;
    uint8_t acc[3] = { 0, 0, 0 };
    int k = 0;
    bool inNumber = false;
    bool thirdSeen = false;
    for (char ch : value) {
        if (k >= 3)
            break;
        if (ch >= '0' && ch <= '9') {
            // Byte-sized accumulators: a number above 255 wraps.
            acc[k] = static_cast<uint8_t>(acc[k] * 10 + (ch - '0'));
            inNumber = true;
            if (k == 2)
                thirdSeen = true;
        } else if (inNumber) {
            inNumber = false;
            ++k;
        }
    }
    if (!thirdSeen)
        return defaultColor;
    return MakeRgb(acc[0], acc[1], acc[2]);
}

std::string FormatColor(ColorRef color)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%i,%i,%i", RedOf(color), GreenOf(color), BlueOf(color));
    return buffer;
}

ColorRef GetColor(int index)
{
    return ValidIndex(index) ? Table()[static_cast<std::size_t>(index)] : 0;
}

void SetColor(int index, ColorRef color)
{
    if (ValidIndex(index))
        Table()[static_cast<std::size_t>(index)] = color & 0xFFFFFF;
}

void ResetColors()
{
    Table() = DefaultTable();
}

void LoadColors()
{
    CSettings& store = CSettings::Instance();
    for (int i = 0; i < kColorEntries; ++i) {
        std::string value = store.ReadString(section::Colors, kColorDefs[i].name, "");
        SetColor(i, ParseColor(value, kColorDefs[i].defaultColor));
    }
}

void SaveColors()
{
    CSettings& store = CSettings::Instance();
    for (int i = 0; i < kColorEntries; ++i)
        store.WriteString(section::Colors, kColorDefs[i].name, FormatColor(GetColor(i)));
}

}  // namespace velkaro
