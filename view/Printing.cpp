#include "Printing.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "device/ReceptionBlocked.h"
#include "model/Document.h"
#include "model/Selection.h"
#include "text/MessageIds.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace velkaro {

QFont PrintQFont(PrintFont font, const QPaintDevice& device)
{
    const int cell = font == PrintFont::Label ? LabelFontHeight(device.logicalDpiY())
                                              : NormalFontHeight(device.logicalDpiY());
    QFont f(QStringLiteral("Courier New"));
    // Where Courier New is missing, the faces made to its measure.
    f.setFamilies({ QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                    QStringLiteral("Nimbus Mono PS"), QStringLiteral("Courier") });
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setWeight(font == PrintFont::Bold ? QFont::Bold : QFont::Normal);
    f.setPixelSize(std::max(1, cell));
    // The height is that of the character cell (ascent and descent), as a
    // printer font is asked for; Qt sizes by the em, so scale once by what
    // the face gives.
    const int measured = QFontMetrics(f, &device).height();
    if (measured > 0 && measured != cell)
        f.setPixelSize(std::max(1, (cell * cell + measured / 2) / measured));
    return f;
}

PrintDevice MeasurePrintDevice(const QPaintDevice& device)
{
    const QFontMetrics normal(PrintQFont(PrintFont::Normal, device), &device);
    const QFontMetrics bold(PrintQFont(PrintFont::Bold, device), &device);
    const QFontMetrics label(PrintQFont(PrintFont::Label, device), &device);

    PrintDevice d;
    d.width = device.width();
    d.height = device.height();
    d.dpiX = device.logicalDpiX();
    d.dpiY = device.logicalDpiY();
    d.lineHeight = normal.height() + std::max(0, normal.leading());
    d.textWidth = [normal, bold, label](PrintFont font, const std::string& text) {
        const QFontMetrics& fm = font == PrintFont::Bold ? bold : font == PrintFont::Label ? label : normal;
        return fm.horizontalAdvance(ToQt(text));
    };
    return d;
}

PrintTime ToPrintTime(const QDateTime& when)
{
    const QDate date = when.date();
    const QTime time = when.time();
    return { date.day(), date.month(), date.year(), time.hour(), time.minute() };
}

void DrawPrintPage(QPainter& painter, const CPrintJob& job, int page)
{
    const QPaintDevice& device = *painter.device();
    const QFont fonts[] = { PrintQFont(PrintFont::Normal, device), PrintQFont(PrintFont::Bold, device),
                            PrintQFont(PrintFont::Label, device) };
    // Every piece of a text line stands on the normal font's baseline, so
    // the smaller field names line up with the text they name.
    const int ascent = QFontMetrics(fonts[0], &device).ascent();

    painter.save();
    painter.setPen(Qt::black);
    for (const PrintItem& item : job.PageItems(page)) {
        const QFont& font = fonts[static_cast<int>(item.font)];
        const QString text = ToQt(item.text);
        painter.setFont(font);
        int x = item.x;
        if (item.rightAligned)
            x -= QFontMetrics(font, &device).horizontalAdvance(text);
        painter.drawText(QPoint(x, item.y + ascent), text);
    }
    painter.restore();
}

int PrintJobPages(QPrinter& printer, const CPrintJob& job)
{
    const int count = job.PageCount();
    if (count == 0)
        return 0;
    int from = 1;
    int to = count;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(1, printer.fromPage());
        to = printer.toPage() > 0 ? std::min(count, printer.toPage()) : count;
    }
    if (from > to)
        return 0;

    std::vector<int> pages;
    for (int page = from; page <= to; ++page)
        pages.push_back(page);
    if (printer.pageOrder() == QPrinter::LastPageFirst)
        std::reverse(pages.begin(), pages.end());
    // Copies the printer does not make itself are printed here.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    std::vector<int> sequence;
    if (printer.collateCopies()) {
        for (int c = 0; c < copies; ++c)
            sequence.insert(sequence.end(), pages.begin(), pages.end());
    } else {
        for (int page : pages)
            sequence.insert(sequence.end(), static_cast<std::size_t>(copies), page);
    }

    QPainter painter;
    if (!painter.begin(&printer))
        return -1;
    bool first = true;
    for (int page : sequence) {
        if (!first && !printer.newPage()) {
            painter.end();
            return -1;
        }
        first = false;
        DrawPrintPage(painter, job, page);
    }
    painter.end();
    return static_cast<int>(sequence.size());
}

CPrinting::CPrinting(CPcxDoc& doc, const CSelection& selection, IMessageUi& ui,
                     std::function<int()> structureActive, QObject* parent)
    : QObject(parent)
    , m_doc(doc)
    , m_selection(selection)
    , m_ui(ui)
    , m_structureActive(std::move(structureActive))
    , m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    m_printer->setDocName(QStringLiteral("Velkaro Desktop"));
}

CPrinting::~CPrinting() = default;

std::vector<const CKarte*> CPrinting::CardsToPrint() const
{
    return m_selection.Filter(std::as_const(m_doc.Cards()), false);
}

const CKarte* CPrinting::FieldNamesToPrint() const
{
    const bool active = m_structureActive ? m_structureActive() != 0 : false;
    return active ? m_doc.Cards().FieldNames() : nullptr;
}

std::unique_ptr<CPrintJob> CPrinting::BeginPrinting(const QPaintDevice& device) const
{
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    return std::make_unique<CPrintJob>(CardsToPrint(), FieldNamesToPrint(), MeasurePrintDevice(device),
                                       ToPrintTime(now));
}

int CPrinting::RunDialog(QDialog& dialog)
{
    if (m_runDialog)
        return m_runDialog(dialog);
    return dialog.exec();
}

bool CPrinting::NothingToPrint() const
{
    if (!CardsToPrint().empty())
        return false;
    m_ui.Message(Text(msg::NoCardsAvailable), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

void CPrinting::Print(QWidget* parent)
{
    if (m_doc.NoCards(m_ui))
        return;
    if (!m_selection.ConfirmFor(m_ui, msg::VerbPrinted))
        return;
    if (NothingToPrint())
        return;
    ReceptionBlock block;

    // Each print run offers all pages again.
    m_printer->setPrintRange(QPrinter::AllPages);
    m_printer->setFromTo(0, 0);
    QPrintDialog dialog(m_printer.get(), parent);
    dialog.setMinMax(1, std::max(1, BeginPrinting(*m_printer)->PageCount()));
    if (RunDialog(dialog) != QDialog::Accepted)
        return;

    // Measured again: the dialog may have changed the paper.
    const std::unique_ptr<CPrintJob> job = BeginPrinting(*m_printer);
    const int pages = PrintJobPages(*m_printer, *job);
    if (pages < 0)
        m_ui.Message(Text(msg::PrintJobFailed), MsgButtons::Ok, MsgIcon::Error);
    emit printed(std::max(0, pages));
}

void CPrinting::PrintPreview(QWidget* parent)
{
    if (m_doc.NoCards(m_ui) || NothingToPrint())
        return;
    ReceptionBlock block;

    // The preview shows every page; the print range of an earlier run would
    // hide some of them.
    m_printer->setPrintRange(QPrinter::AllPages);
    m_printer->setFromTo(0, 0);
    QPrintPreviewDialog dialog(m_printer.get(), parent);
    dialog.setObjectName(QStringLiteral("printPreview"));
    // One print run: the heading keeps the time the preview opened.
    const QDateTime began = m_clock ? m_clock() : QDateTime::currentDateTime();
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this, began](QPrinter* printer) {
        CPrintJob job(CardsToPrint(), FieldNamesToPrint(), MeasurePrintDevice(*printer), ToPrintTime(began));
        const int pages = PrintJobPages(*printer, job);
        if (pages < 0)
            m_ui.Message(Text(msg::PrintJobFailed), MsgButtons::Ok, MsgIcon::Error);
    });
    RunDialog(dialog);
}

void CPrinting::PrintSetup(QWidget* parent)
{
    ReceptionBlock block;
    if (m_printer->outputFormat() == QPrinter::NativeFormat) {
        QPageSetupDialog dialog(m_printer.get(), parent);
        dialog.setObjectName(QStringLiteral("printSetup"));
        RunDialog(dialog);
        return;
    }
    // Without a system printer (printing into PDF files) Qt has no page
    // set-up; its print dialog chooses printer, file, paper and orientation
    // and here only keeps them for the next print run.
    QPrintDialog dialog(m_printer.get(), parent);
    dialog.setObjectName(QStringLiteral("printSetup"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    RunDialog(dialog);
}

}  // namespace velkaro
