#pragma once

// Printing the card list: print, print preview and printer set-up. The pages are laid out by CPrintJob (model/PrintLayout.h)
// with this printer's measurements and drawn here with QPainter, so the
// printer, the preview and a PDF file show the same pages.

#include "model/PrintLayout.h"

#include <QDateTime>
#include <QFont>
#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class QDialog;
class QPaintDevice;
class QPrinter;
class QWidget;

namespace velkaro {

class CPcxDoc;
class CSelection;
class IMessageUi;

// "Courier New" (or the system's typewriter face) of the given kind, sized
// for the device: 4 mm cell height for the normal and bold fonts, 3 mm for
// the field names.
QFont PrintQFont(PrintFont font, const QPaintDevice& device);

// The printable area, resolution, line height and text widths of a device.
PrintDevice MeasurePrintDevice(const QPaintDevice& device);

// PrintTime of a local date and time.
PrintTime ToPrintTime(const QDateTime& when);

// Draws one page of a job on a painter that is active on the device the job
// was measured for.
void DrawPrintPage(QPainter& painter, const CPrintJob& job, int page);

// Prints a job on the printer: the pages of its print range (all when none
// is chosen), the copies the printer does not make itself. Returns the number
// of pages put out, -1 when the printer could not be started.
int PrintJobPages(QPrinter& printer, const CPrintJob& job);

class CPrinting : public QObject {
    Q_OBJECT
public:
    // structureActive reads the "StructureActive" setting: field names are
    // printed only while it is on.
    CPrinting(CPcxDoc& doc, const CSelection& selection, IMessageUi& ui,
              std::function<int()> structureActive, QObject* parent = nullptr);
    ~CPrinting() override;

    // Print: the selection question, the print dialog, the pages.
    void Print(QWidget* parent);
    // Print preview: the pages in Qt's print preview, from which they can be printed.
    void PrintPreview(QWidget* parent);
    // Printer set-up: paper, orientation and margins of the printer used by both.
    void PrintSetup(QWidget* parent);

    // The printer all three commands share for the run.
    QPrinter& Printer() { return *m_printer; }

    // The cards a print run takes: the selection's while one is active, all
    // otherwise, in the collection's order.
    std::vector<const CKarte*> CardsToPrint() const;
    // The field-names card while the card structure is active, else nullptr.
    const CKarte* FieldNamesToPrint() const;
    // Begins printing on a device: the job with the cards and the time now.
    std::unique_ptr<CPrintJob> BeginPrinting(const QPaintDevice& device) const;

    // What "now" is when printing begins; the system clock unless replaced.
    void SetClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    // How the print, preview and set-up dialogs are run: exec() unless
    // replaced. Tests answer them without showing them.
    using DialogRunner = std::function<int(QDialog&)>;
    void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }

signals:
    // After a print run with the number of pages put out.
    void printed(int pages);

private:
    int RunDialog(QDialog& dialog);
    bool NothingToPrint() const;

    CPcxDoc& m_doc;
    const CSelection& m_selection;
    IMessageUi& m_ui;
    std::function<int()> m_structureActive;
    std::function<QDateTime()> m_clock;
    DialogRunner m_runDialog;
    std::unique_ptr<QPrinter> m_printer;
};

}  // namespace velkaro
