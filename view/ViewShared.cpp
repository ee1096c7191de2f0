#include "view/ViewShared.h"

#include "text/Language.h"

#include <QPainter>
#include <QRect>

namespace velkaro {

const std::array<ColorDefault, kColorCount>& ColorDefaults()
{
    static const std::array<ColorDefault, kColorCount> table = { {
        { "Background", 170, 170, 170 },
        { "Display", 210, 210, 210 },
        { "ListGround", 149, 185, 234 },
        { "ListLine", 255, 255, 255 },
        { "ListFont", 0, 0, 0 },
        { "ListPrivat", 255, 255, 0 },
        { "ListAlpha", 224, 224, 224 },
        { "ListAlphaPriv", 255, 255, 128 },
        { "CardGround", 185, 240, 200 },
        { "CardLine", 255, 255, 255 },
        { "CardFont", 0, 0, 0 },
        { "CardGroundPage", 64, 0, 64 },
        { "PageNumber", 255, 0, 0 },
        { "StructureGround", 255, 255, 160 },
        { "StructureLine", 255, 255, 255 },
        { "StructureFont", 0, 0, 0 },
        { "SoftkeyBackground", 224, 224, 224 },
        { "SoftkeyGround", 192, 192, 192 },
        { "SoftkeySelected", 66, 66, 66 },
        { "UnusedMargin", 192, 192, 192 },
    } };
    return table;
}

QColor ViewResources::Color(int role) const
{
    if (role < 0 || role >= kColorCount)
        return Qt::black;
    return colors[static_cast<std::size_t>(role)];
}

namespace {

// The fonts were sized for the telephone's own faces by cell height and
// character width; the pixel sizes below give those widths with the fixed
// faces' 0.6 em advance. Text in the display is placed cell by cell, so a
// substitute face cannot shift the columns.
QFont FixedFont(int pixelSize)
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter, QFont::PreferAntialias);
    font.setFixedPitch(true);
    font.setPixelSize(pixelSize);
    return font;
}

QFont SansFont(int pixelSize, int weight)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    font.setPixelSize(pixelSize);
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

}  // namespace

ViewResources MakeDefaultViewResources()
{
    ViewResources r;
    r.large = FixedFont(19);
    r.small = FixedFont(14);
    r.label = SansFont(12, QFont::Normal);
    r.bold = SansFont(19, QFont::Bold);
    r.fieldName = FixedFont(13);
    const auto& defaults = ColorDefaults();
    for (std::size_t i = 0; i < defaults.size(); ++i)
        r.colors[i] = QColor(defaults[i].red, defaults[i].green, defaults[i].blue);
    return r;
}

const ViewResources& DefaultViewResources()
{
    static const ViewResources resources = MakeDefaultViewResources();
    return resources;
}

void DrawEdge3D(QPainter& painter, const QRect& rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    QRect r = rect.adjusted(0, 0, -1, -1);  // inclusive corners for the lines
    painter.setPen(Qt::black);
    painter.drawRect(r);
    auto bevel = [&painter](const QRect& q, QColor topLeft, QColor bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(q.topLeft(), q.topRight());
        painter.drawLine(q.topLeft(), q.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(q.bottomLeft(), q.bottomRight());
        painter.drawLine(q.topRight(), q.bottomRight());
    };
    bevel(r.adjusted(1, 1, -1, -1), QColor(0xC0, 0xC0, 0xC0), QColor(0x80, 0x80, 0x80));
    bevel(r.adjusted(2, 2, -2, -2), Qt::white, QColor(0x80, 0x80, 0x80));
    painter.restore();
}

int LanguageRow()
{
    int offset = LanguageOffset();
    if (offset == kLangEnglish)
        return 1;
    if (offset == kLangFrench)
        return 2;
    return 0;
}

}  // namespace velkaro
