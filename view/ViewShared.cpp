#include "view/ViewShared.h"

#include "settings/QtText.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QFontMetrics>
#include <QIcon>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRect>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace velkaro {

QColor ViewResources::Color(int role) const
{
    if (role < 0 || role >= kColorCount)
        return Qt::black;
    return colors[static_cast<std::size_t>(role)];
}

namespace {

// The widest glyphs of a fixed or narrow face, for the column check.
const QString& WideGlyphs()
{
    static const QString glyphs = QStringLiteral("WM@mw\u00c6\u0152\u00e6");
    return glyphs;
}

int WidestAdvance(const QFontMetrics& fm)
{
    int widest = 0;
    for (QChar c : WideGlyphs())
        widest = std::max(widest, fm.horizontalAdvance(c));
    return widest;
}

// The ink of every tall glyph, on the baseline that BaselineIn gives a box
// of `height` pixels, stays inside the box. Accents may reach above the
// face's ascent: what counts is that they do not reach the row's rule.
bool InkInside(const QFontMetrics& fm, int height)
{
    if (fm.ascent() + fm.descent() > height)
        return false;
    const int baseline = BaselineIn(fm, 0, height);
    for (QChar c : TallestGlyphs()) {
        const QRect ink = fm.boundingRect(c);
        if (baseline + ink.top() < 0 || baseline + ink.bottom() >= height)
            return false;
    }
    return true;
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

QStringList FixedFamilies()
{
    return { QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"),
             QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Sans Mono"), QStringLiteral("Nimbus Mono PS"),
             QStringLiteral("FreeMono") };
}

QString TallestGlyphs()
{
    // Capitals with marks above, tails below, brackets and bars that span
    // both, from the Windows-1252 set the cards hold.
    return QStringLiteral("\u00c5\u00c9\u00c2\u00d6\u00dc\u00c7\u0160\u0178\u00d1gjpqy\u00e7\u00fe\u00fd_|()[]{}\u00b5/");
}

QFont FitFont(const QStringList& families, QFont::StyleHint hint, int weight, int maxPixelSize, int height,
              int width, int chars)
{
    QFont font;
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : families) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            font.setFamily(family);
            break;
        }
    }
    if (!installed.contains(font.family(), Qt::CaseInsensitive))
        font = QFontDatabase::systemFont(hint == QFont::TypeWriter ? QFontDatabase::FixedFont
                                                                  : QFontDatabase::GeneralFont);
    font.setStyleHint(hint, QFont::PreferAntialias);
    font.setFixedPitch(hint == QFont::TypeWriter);
    font.setWeight(static_cast<QFont::Weight>(weight));
    // Measured on the outlines as designed, without hinting: hinting snaps
    // them to the screen's pixel grid, and Qt hints only at a device pixel
    // ratio of 1, so hinted metrics would give a 2x screen a smaller face
    // than a 1x screen. The same pixel size then fits every scale.
    QFont measured = font;
    measured.setHintingPreference(QFont::PreferNoHinting);
    for (int size = maxPixelSize; size >= 6; --size) {
        measured.setPixelSize(size);
        const QFontMetrics fm(measured);
        if (InkInside(fm, height) && chars * WidestAdvance(fm) <= width) {
            font.setPixelSize(size);
            return font;
        }
    }
    font.setPixelSize(6);
    return font;
}

int BaselineIn(const QFontMetrics& metrics, int top, int height)
{
    return top + (height - metrics.ascent() - metrics.descent()) / 2 + metrics.ascent();
}

ViewResources MakeDefaultViewResources()
{
    ViewResources r;
    r.large = FitFont(FixedFamilies(), QFont::TypeWriter, QFont::Normal, 22, kLargeTextHeight, kDisplayTextWidth,
                      kLargeRowChars);
    r.small = FitFont(FixedFamilies(), QFont::TypeWriter, QFont::Normal, 16, kSmallTextHeight, kDisplayTextWidth,
                      kSmallRowChars);
    r.label = SansFont(12, QFont::Normal);
    r.bold = SansFont(19, QFont::Bold);
    r.fieldName = FitFont(FixedFamilies(), QFont::TypeWriter, QFont::Normal, 15, kLargeTextHeight,
                          kFieldNameTextWidth, kFieldNameChars);
    for (int i = 0; i < kColorCount; ++i)
        r.colors[static_cast<std::size_t>(i)] = ToQColor(DefaultColor(i));
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

namespace {

int TitleWidth(const QString& text)
{
    // Title bars commonly use a bold face a little larger than the
    // application's; the icon and three buttons take about 120 pixels.
    QFont title = QApplication::font();
    title.setBold(true);
    if (title.pointSizeF() > 0)
        title.setPointSizeF(title.pointSizeF() * 1.1);
    return QFontMetrics(title).horizontalAdvance(text) + 120;
}

// Widens its window when it shows, once the layout has chosen the size.
class TitleKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* window = static_cast<QWidget*>(watched);
            const int needed = TitleWidth(window->windowTitle());
            if (window->width() < needed && window->maximumWidth() >= needed)
                window->resize(needed, window->height());
        }
        return false;
    }
};

}  // namespace

void KeepTitleWhole(QWidget* window)
{
    // A message box fixes its own size as it shows; a strut across its
    // layout makes it choose the title's width.
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
            const QMargins m = grid->contentsMargins();
            grid->addItem(new QSpacerItem(TitleWidth(box->windowTitle()) - m.left() - m.right(), 0,
                                          QSizePolicy::Minimum, QSizePolicy::Fixed),
                          grid->rowCount(), 0, 1, grid->columnCount());
        }
        return;
    }
    window->installEventFilter(new TitleKeeper(window));
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addFile(QStringLiteral(":/icons/velkaro-desktop-%1.png").arg(size), QSize(size, size));
    return icon;
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

void DrawFocusFrame(QPainter& painter, const QWidget& widget)
{
    if (!widget.hasFocus())
        return;
    constexpr int kFrame = 2;
    const QColor colour = widget.palette().color(QPalette::Active, QPalette::Highlight);
    const QRect r = widget.rect();
    painter.fillRect(QRect(r.left(), r.top(), r.width(), kFrame), colour);
    painter.fillRect(QRect(r.left(), r.bottom() - kFrame + 1, r.width(), kFrame), colour);
    painter.fillRect(QRect(r.left(), r.top(), kFrame, r.height()), colour);
    painter.fillRect(QRect(r.right() - kFrame + 1, r.top(), kFrame, r.height()), colour);
}

OkCancel AddOkCancelRow(QDialog* dialog, QBoxLayout* layout)
{
    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(ToQt(Text(ctl::Cancel)), dialog);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return { ok, cancel };
}

QPushButton* AddOkCancelHelpBox(QDialog* dialog, QBoxLayout* layout, bool withHelp)
{
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton(ToQt(Text(ctl::Cancel)), QDialogButtonBox::RejectRole);
    QPushButton* help = withHelp ? buttons->addButton(ToQt(Text(ctl::Help)), QDialogButtonBox::HelpRole) : nullptr;
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return help;
}

std::unique_ptr<QDialog> MakeDetailsWindow(QWidget* parent, const QString& title, const QString& text,
                                           const QString& windowName, const QString& listName)
{
    auto details = std::make_unique<QDialog>(parent);
    details->setObjectName(windowName);
    details->setWindowTitle(title);
    auto* layout = new QVBoxLayout(details.get());
    auto* list = new QPlainTextEdit(details.get());
    list->setObjectName(listName);
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list->setPlainText(text);
    layout->addWidget(list);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, details.get());
    QObject::connect(close, &QDialogButtonBox::rejected, details.get(), &QDialog::reject);
    layout->addWidget(close);
    details->resize(560, 420);
    return details;
}

}  // namespace velkaro
