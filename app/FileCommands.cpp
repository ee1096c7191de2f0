#include "FileCommands.h"

#include "app/Application.h"
#include "text/Cp1252.h"
#include "app/MainFrame.h"
#include "settings/Settings.h"
#include "device/ReceptionBlocked.h"
#include "exchange/ImportReader.h"
#include "exchange/NumberLines.h"
#include "model/Document.h"
#include "model/History.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "text/Menus.h"
#include "view/HistoryDlg.h"
#include "view/PcxView.h"

#include <QPointer>

namespace velkaro {

ImportSettings ReadImportSettings(const CSettings& settings)
{
    ImportSettings values;
    values.skipFirst = settings.ImportWithoutFirstLine() != 0;
    values.onlyNumbers = settings.ImportOnlyNumbers() != 0;
    values.dosCharacters = settings.ImportCharDOS() != 0;
    const int mode = settings.DeleteOldCardsOnImport();
    values.mode = mode >= 0 && mode <= 2 ? mode : 0;
    values.dialable = settings.ImportDialable() != 0;
    return values;
}

void StoreImportSettings(CSettings& settings, const ImportSettings& values)
{
    settings.SetImportWithoutFirstLine(values.skipFirst ? 1 : 0);
    settings.SetImportOnlyNumbers(values.onlyNumbers ? 1 : 0);
    settings.SetImportCharDOS(values.dosCharacters ? 1 : 0);
    settings.SetDeleteOldCardsOnImport(values.mode);
    settings.SetImportDialable(values.dialable ? 1 : 0);
}

ImportOutcome ImportCommand(CPcxDoc& doc, IImportUi& ui, CSettings& settings, bool structureActive)
{
    ReceptionBlock block;
    const ImportSettings stored = ReadImportSettings(settings);
    ImportSettings values = stored;
    // The same separators as the command line shows and imports with.
    const NumberSeparators seps = LocaleSeparators();
    // A workbook with several visible sheets asks which one.
    ImportFileReader reader = [&seps, &ui](const std::string& path, CImportTable& table, IMessageUi& u) {
        const Outcome read = ReadImportFile(path, table, u, seps, SheetRequest { {}, &ui });
        u.Show(read, MsgIcon::None);
        return read.Ok();
    };
    const CDialableNumbers numbers = DialableNumbersOf(settings);
    const DialableLine dialable = [&numbers](const std::string& text, int line) { return numbers.Line(text, line); };
    ImportOutcome outcome = OnImport(doc, ui, values, structureActive, reader, dialable);
    // The flow changes the options only after OK in the import dialog and
    // the mode only after OK in the mode question.
    if (values.skipFirst != stored.skipFirst || values.onlyNumbers != stored.onlyNumbers
        || values.dosCharacters != stored.dosCharacters || values.mode != stored.mode
        || values.dialable != stored.dialable)
        StoreImportSettings(settings, values);
    return outcome;
}

ExportOutcome ExportCommand(const CPcxDoc& doc, IMessageUi& ui, const CSelection* selection,
                            bool structureActive)
{
    ReceptionBlock block;
    return OnExport(doc.Cards(), selection, structureActive, ui);
}

void SaveBackupCommand(CPcxDoc& doc, IMessageUi& ui)
{
    ReceptionBlock block;
    doc.OnSaveBackup(ui);
}

void LoadBackupCommand(CPcxDoc& doc, IMessageUi& ui)
{
    ReceptionBlock block;
    doc.OnLoadBackup(ui);
}

void LoadBackupFileCommand(CPcxDoc& doc, IMessageUi& ui, const std::string& path)
{
    ReceptionBlock block;
    doc.LoadBackupFrom(ui, path);
}

void DeleteAllCardsCommand(CPcxDoc& doc, IMessageUi& ui)
{
    ReceptionBlock block;
    doc.OnDeleteAllCards(ui);
}

CDialableNumbers DialableNumbersOf(const CSettings& settings)
{
    return CDialableNumbers(CPhoneNumbers::HomeCountry(settings.HomeCountry()), settings.OutsideLinePrefix());
}

int MakeDialableCommand(CPcxDoc& doc, IMessageUi& ui, const CDialableNumbers& numbers)
{
    ReceptionBlock block;
    if (doc.NoCards(ui))
        return 0;
    if (!numbers.KnowsHomeCountry()) {
        ui.Message(Text(msg::HomeCountryUnknown), MsgButtons::Ok, MsgIcon::Warning);
        return 0;
    }
    doc.BeginChange(StepLabel::Message(msg::StepMakeDialable));
    const int changed = numbers.MakeDialable(doc.Cards(), NumberLines(doc.Cards()));
    if (changed == 0) {
        doc.CommitChange();  // nothing changed: no step
        ui.Message(Text(msg::NumbersAlreadyDialable), MsgButtons::Ok, MsgIcon::Information);
        return 0;
    }
    doc.UpdateAllViews(UpdateHint::All);
    doc.AutoSave(false);
    ui.Message(FormatText(msg::NumbersMadeDialable, changed), MsgButtons::Ok, MsgIcon::Information);
    return changed;
}

void RestoreHistoryCommand(CPcxDoc& doc, IMessageUi& ui, QWidget* parent)
{
    ReceptionBlock block;
    const auto entries = ListHistory(doc.WorkingPath());
    if (entries.empty()) {
        ui.Message(Text(msg::HistoryEmpty), MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    CHistoryDlg dialog(entries, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.ChosenPath().empty())
        return;
    doc.RestoreHistory(ui, dialog.ChosenPath());
}

void AttachFileCommands(CMainFrame& frame, CPcxApp& app)
{
    QPointer<CMainFrame> guard(&frame);
    CCommandRegistry& commands = frame.Commands();
    commands.Register(cmd::Import, { [&app] {
                                        ImportCommand(app.Document(), app.Ui(), app.Settings(),
                                                      app.StructureActive() != 0);
                                    },
                                     {}, {} });
    commands.Register(cmd::Export, { [&app, guard] {
                                        const CSelection* selection
                                            = guard && guard->View() ? &guard->View()->Selection() : nullptr;
                                        ExportCommand(app.Document(), app.Ui(), selection, app.StructureActive() != 0);
                                    },
                                     {}, {} });
    commands.Register(cmd::SaveBackup, { [&app] { SaveBackupCommand(app.Document(), app.Ui()); },
                                         [&app] { return app.Document().CanSaveBackup(); }, {} });
    commands.Register(cmd::LoadBackup, { [&app] { LoadBackupCommand(app.Document(), app.Ui()); }, {}, {} });
    // While a card is edited, the edit refers to a card the restored state
    // could take away.
    commands.Register(cmd::RestoreHistory,
                      { [&app, guard] { RestoreHistoryCommand(app.Document(), app.Ui(), guard.data()); },
                        [&app, guard] {
                            return !app.Document().WorkingPath().empty() && guard && !guard->View()->Editing();
                        },
                        {} });
    commands.Register(cmd::DeleteAllCards, { [&app] { DeleteAllCardsCommand(app.Document(), app.Ui()); }, {}, {} });
    // Not while a card is edited: saving the edit would put its numbers back.
    commands.Register(cmd::MakeDialable,
                      { [&app] { MakeDialableCommand(app.Document(), app.Ui(), DialableNumbersOf(app.Settings())); },
                        [&app, guard] {
                            return !app.Document().Cards().IsEmpty() && guard && guard->View()
                                && !guard->View()->Editing();
                        },
                        {} });
}

}  // namespace velkaro
