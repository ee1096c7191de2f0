#include "FileCommands.h"

#include "app/Application.h"
#include "app/Cp1252.h"
#include "app/MainFrame.h"
#include "app/Settings.h"
#include "device/ReceptionBlocked.h"
#include "exchange/ImportReader.h"
#include "model/Document.h"
#include "resources/Menus.h"
#include "view/PcxView.h"

#include <QPointer>

namespace velkaro {

namespace {

// One character of the user's locale as a Windows-1252 byte. A narrow
// no-break space (French thousands) becomes the no-break space that
// Windows-1252 has; anything else it lacks keeps the fallback.
char SeparatorByte(const QString& text, char fallback)
{
    if (text.size() != 1)
        return fallback;
    const QChar c = text.front();
    const int b = UnicodeToCp1252(c.unicode());
    if (b >= 0)
        return static_cast<char>(b);
    return c.isSpace() ? '\xA0' : fallback;
}

}  // namespace

NumberSeparators LocaleSeparators(const QLocale& locale)
{
    NumberSeparators seps;
    seps.decimal = SeparatorByte(locale.decimalPoint(), '.');
    seps.thousands = SeparatorByte(locale.groupSeparator(), seps.decimal == ',' ? '.' : ',');
    // The first character of the short date format that is neither a field
    // letter nor a quote.
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    for (QChar c : format) {
        if (c.isLetter() || c == u'\'')
            continue;
        seps.date = SeparatorByte(QString(c), '.');
        break;
    }
    return seps;
}

ImportSettings ReadImportSettings(const CSettings& settings)
{
    ImportSettings values;
    values.skipFirst = settings.ImportWithoutFirstLine() != 0;
    values.onlyNumbers = settings.ImportOnlyNumbers() != 0;
    values.dosCharacters = settings.ImportCharDOS() != 0;
    const int mode = settings.DeleteOldCardsOnImport();
    values.mode = mode >= 0 && mode <= 2 ? mode : 0;
    return values;
}

void StoreImportSettings(CSettings& settings, const ImportSettings& values)
{
    settings.SetImportWithoutFirstLine(values.skipFirst ? 1 : 0);
    settings.SetImportOnlyNumbers(values.onlyNumbers ? 1 : 0);
    settings.SetImportCharDOS(values.dosCharacters ? 1 : 0);
    settings.SetDeleteOldCardsOnImport(values.mode);
}

ImportOutcome ImportCommand(CPcxDoc& doc, IUserInterface& ui, CSettings& settings, bool structureActive)
{
    ReceptionBlock block;
    const ImportSettings stored = ReadImportSettings(settings);
    ImportSettings values = stored;
    const NumberSeparators seps = LocaleSeparators();
    ImportFileReader reader = [&seps](const std::string& path, CImportTable& table, IUserInterface& u) {
        return ReadImportFile(path, table, u, seps) != 0;
    };
    ImportOutcome outcome = OnImport(doc, ui, values, structureActive, reader);
    // The flow changes the options only after OK in the import dialog and
    // the mode only after OK in the mode question.
    if (values.skipFirst != stored.skipFirst || values.onlyNumbers != stored.onlyNumbers
        || values.dosCharacters != stored.dosCharacters || values.mode != stored.mode)
        StoreImportSettings(settings, values);
    return outcome;
}

ExportOutcome ExportCommand(const CPcxDoc& doc, IUserInterface& ui, const CSelection* selection,
                            bool structureActive)
{
    ReceptionBlock block;
    return OnExport(doc.Cards(), selection, structureActive, ui);
}

void SaveBackupCommand(CPcxDoc& doc, IUserInterface& ui)
{
    ReceptionBlock block;
    doc.OnSaveBackup(ui);
}

void LoadBackupCommand(CPcxDoc& doc, IUserInterface& ui)
{
    ReceptionBlock block;
    doc.OnLoadBackup(ui);
}

void DeleteAllCardsCommand(CPcxDoc& doc, IUserInterface& ui)
{
    ReceptionBlock block;
    doc.OnDeleteAllCards(ui);
}

void AttachFileCommands(CMainFrame& frame, CPcxApp& app)
{
    QPointer<CMainFrame> guard(&frame);
    // The enable rules that depend on the card count are the view's.
    frame.SetCommandHandler(cmd::Import, { [&app] {
                                              ImportCommand(app.Document(), app.Ui(), app.Settings(),
                                                            app.StructureActive() != 0);
                                          },
                                           {} });
    frame.SetCommandHandler(cmd::Export, { [&app, guard] {
                                              const CSelection* selection
                                                  = guard && guard->View() ? &guard->View()->Selection() : nullptr;
                                              ExportCommand(app.Document(), app.Ui(), selection,
                                                            app.StructureActive() != 0);
                                          },
                                           {} });
    frame.SetCommandHandler(cmd::SaveBackup, { [&app] { SaveBackupCommand(app.Document(), app.Ui()); }, {} });
    frame.SetCommandHandler(cmd::LoadBackup, { [&app] { LoadBackupCommand(app.Document(), app.Ui()); }, {} });
    frame.SetCommandHandler(cmd::DeleteAllCards,
                            { [&app] { DeleteAllCardsCommand(app.Document(), app.Ui()); }, {} });
}

}  // namespace velkaro
