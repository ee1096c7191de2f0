// The main menus in the three languages, the accelerators and the toolbar.
// Written in UTF-8; held as Windows-1252 at run time like every text.

#include "Menus.h"

#include "text/Cp1252.h"
#include "text/Language.h"

#include <initializer_list>

namespace velkaro {

namespace {

struct Def {
    unsigned id;
    const char* utf8;  // nullptr = separator
};

MenuItem Popup(const char* utf8, std::initializer_list<Def> defs)
{
    MenuItem popup;
    popup.text = Utf8ToAnsi(utf8);
    for (const Def& d : defs) {
        MenuItem item;
        if (d.utf8) {
            item.id = d.id;
            item.text = Utf8ToAnsi(d.utf8);
        }
        popup.items.push_back(std::move(item));
    }
    return popup;
}

constexpr Def kSep { 0, nullptr };

std::vector<MenuItem> German()
{
    return {
        Popup("&Datei", {
            { cmd::Import, "&Importieren..." },
            { cmd::Export, "&Exportieren..." },
            { cmd::SyncAddressBook, "Mit &Adressbuch abgleichen" },
            kSep,
            { cmd::SaveBackup, "&Sicherheitskopie speichern" },
            { cmd::LoadBackup, "Sicherheitskopie &laden" },
            { cmd::RestoreHistory, "Früheren Stand &wiederherstellen..." },
            kSep,
            { cmd::Print, "&Drucken..." },
            { cmd::PrintPreview, "Seitenansic&ht" },
            { cmd::PrintSetup, "Dru&ckereinrichtung..." },
            kSep,
            { cmd::Exit, "&Beenden" },
        }),
        Popup("&Bearbeiten", {
            { cmd::Undo, "&Rückgängig\tCtrl+Z" },
            { cmd::Redo, "&Wiederholen\tCtrl+Shift+Z" },
            kSep,
            { cmd::Cut, "&Ausschneiden\tStrg+X" },
            { cmd::Copy, "&Kopieren\tStrg+C" },
            { cmd::Paste, "&Einfügen\tStrg+V" },
            kSep,
            { cmd::InsertLine, "&Zeile einfügen\tCtrl+N" },
            { cmd::DeleteLine, "Zeile l&öschen\tCtrl+Y" },
            kSep,
            { cmd::CopyCard, "&Ganze Karte kopieren" },
            { cmd::NewCard, "&Neue Karte\tCtrl+P" },
            { cmd::Stop, "&Stop\tESC" },
            kSep,
            { cmd::Selection, "S&elektion\tCtrl+S" },
            kSep,
            { cmd::MakeDialable, "Nu&mmern wählbar machen" },
            { cmd::DeleteAllCards, "Alle Karten &löschen" },
        }),
        Popup("&Telefon", {
            { cmd::SendAll, "Senden &alle Karten" },
            { cmd::SendEdited, "Senden &bearbeitete Karten" },
            { cmd::SendCurrent, "Senden aktuelle &Karte" },
            { cmd::DialCurrent, "&Wählen aktuelle Karte" },
            kSep,
            { cmd::ReceiveCards, "Karten &empfangen..." },
            { cmd::ReceiveCallList, "A&nrufliste empfangen..." },
            { cmd::ShowCallList, "Anrufliste &zeigen..." },
        }),
        Popup("&Optionen", {
            { cmd::PortSettings, "&Anschluss zum Velkaro..." },
            { cmd::CardStructure, "S&truktur..." },
            { cmd::AddressBookAccount, "Adressbuch-&Konto..." },
            kSep,
            { cmd::LanguageGerman, "&Deutsch" },
            { cmd::LanguageEnglish, "&Englisch" },
            { cmd::LanguageFrench, "&Französisch" },
        }),
        Popup("&Hilfe", {
            { cmd::HelpIndex, "&Hilfethemen" },
            kSep,
            { cmd::About, "&Info über Velkaro Desktop..." },
        }),
    };
}

std::vector<MenuItem> English()
{
    return {
        Popup("&File", {
            { cmd::Import, "&Import..." },
            { cmd::Export, "&Export..." },
            { cmd::SyncAddressBook, "Sync with address &book" },
            kSep,
            { cmd::SaveBackup, "&Save backup copy" },
            { cmd::LoadBackup, "&Load backup copy" },
            { cmd::RestoreHistory, "Restore an earlier s&tate..." },
            kSep,
            { cmd::Print, "&Print..." },
            { cmd::PrintPreview, "Print pre&view" },
            { cmd::PrintSetup, "P&rint setup..." },
            kSep,
            { cmd::Exit, "E&xit" },
        }),
        Popup("&Edit", {
            { cmd::Undo, "&Undo\tCtrl+Z" },
            { cmd::Redo, "&Redo\tCtrl+Shift+Z" },
            kSep,
            { cmd::Cut, "Cu&t\tCtrl+X" },
            { cmd::Copy, "&Copy\tCtrl+C" },
            { cmd::Paste, "&Paste\tCtrl+V" },
            kSep,
            { cmd::InsertLine, "&Insert line\tCtrl+N" },
            { cmd::DeleteLine, "&Delete line\tCtrl+Y" },
            kSep,
            { cmd::CopyCard, "Copy &whole card" },
            { cmd::NewCard, "&New card\tCtrl+P" },
            { cmd::Stop, "&Stop\tESC" },
            kSep,
            { cmd::Selection, "S&election\tCtrl+S" },
            kSep,
            { cmd::MakeDialable, "&Make numbers dialable" },
            { cmd::DeleteAllCards, "Delete &all cards" },
        }),
        Popup("&Telephone", {
            { cmd::SendAll, "Send &all cards" },
            { cmd::SendEdited, "Send &edited cards" },
            { cmd::SendCurrent, "Send current &card" },
            { cmd::DialCurrent, "&Dial current card" },
            kSep,
            { cmd::ReceiveCards, "&Receive cards..." },
            { cmd::ReceiveCallList, "Receive ca&ll list..." },
            { cmd::ShowCallList, "&Show call list..." },
        }),
        Popup("&Options", {
            { cmd::PortSettings, "&Port to Velkaro..." },
            { cmd::CardStructure, "S&tructure..." },
            { cmd::AddressBookAccount, "Address &book account..." },
            kSep,
            { cmd::LanguageGerman, "&German" },
            { cmd::LanguageEnglish, "&English" },
            { cmd::LanguageFrench, "&French" },
        }),
        Popup("&Help", {
            { cmd::HelpIndex, "&Help topics" },
            kSep,
            { cmd::About, "&About Velkaro Desktop..." },
        }),
    };
}

std::vector<MenuItem> French()
{
    return {
        Popup("&Fichier", {
            { cmd::Import, "&Importer..." },
            { cmd::Export, "E&xporter..." },
            { cmd::SyncAddressBook, "S&ynchroniser avec le carnet d'adresses" },
            kSep,
            { cmd::SaveBackup, "&Enregistrer une copie de sécurité" },
            { cmd::LoadBackup, "&Charger une copie de sécurité" },
            { cmd::RestoreHistory, "Restaurer un état a&ntérieur..." },
            kSep,
            { cmd::Print, "Im&primer..." },
            { cmd::PrintPreview, "&Aperçu avant impression" },
            { cmd::PrintSetup, "Configuration de l'i&mprimante..." },
            kSep,
            { cmd::Exit, "&Quitter" },
        }),
        Popup("&Edition", {
            { cmd::Undo, "&Annuler\tCtrl+Z" },
            { cmd::Redo, "&Rétablir\tCtrl+Shift+Z" },
            kSep,
            { cmd::Cut, "Co&uper\tCtrl+X" },
            { cmd::Copy, "&Copier\tCtrl+C" },
            { cmd::Paste, "C&oller\tCtrl+V" },
            kSep,
            { cmd::InsertLine, "&Insérer ligne\tCtrl+N" },
            { cmd::DeleteLine, "E&ffacer ligne\tCtrl+Y" },
            kSep,
            { cmd::CopyCard, "Copier la fiche &entière" },
            { cmd::NewCard, "&Nouvelle fiche\tCtrl+P" },
            { cmd::Stop, "&Stop\tESC" },
            kSep,
            { cmd::Selection, "S&élection\tCtrl+S" },
            kSep,
            { cmd::MakeDialable, "Ren&dre les numéros composables" },
            { cmd::DeleteAllCards, "Effacer &toutes les fiches" },
        }),
        Popup("&Téléphone", {
            { cmd::SendAll, "Envoyer &toutes les fiches" },
            { cmd::SendEdited, "Envoyer les fiches &modifiées" },
            { cmd::SendCurrent, "Envoyer la fiche &actuelle" },
            { cmd::DialCurrent, "&Composer la fiche actuelle" },
            kSep,
            { cmd::ReceiveCards, "&Recevoir des fiches..." },
            { cmd::ReceiveCallList, "Recevoir la &liste d'appels..." },
            { cmd::ShowCallList, "Afficher la liste d'a&ppels..." },
        }),
        Popup("&Options", {
            { cmd::PortSettings, "&Connexion au Velkaro..." },
            { cmd::CardStructure, "S&tructure..." },
            { cmd::AddressBookAccount, "Compte du carnet d'a&dresses..." },
            kSep,
            { cmd::LanguageGerman, "&Allemand" },
            { cmd::LanguageEnglish, "A&nglais" },
            { cmd::LanguageFrench, "&Français" },
        }),
        Popup("&Aide", {
            { cmd::HelpIndex, "&Rubriques d'aide" },
            kSep,
            { cmd::About, "A &propos de Velkaro Desktop..." },
        }),
    };
}

const MenuItem* FindItem(const std::vector<MenuItem>& items, unsigned id)
{
    for (const MenuItem& item : items) {
        if (item.IsPopup()) {
            if (const MenuItem* found = FindItem(item.items, id))
                return found;
        } else if (item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

}  // namespace

const std::vector<MenuItem>& MainMenu(int languageOffset)
{
    static const std::vector<MenuItem> german = German();
    static const std::vector<MenuItem> english = English();
    static const std::vector<MenuItem> french = French();
    if (languageOffset == kLangEnglish)
        return english;
    if (languageOffset == kLangFrench)
        return french;
    return german;
}

std::string MenuItemText(unsigned id)
{
    const MenuItem* item = FindItem(MainMenu(LanguageOffset()), id);
    return item ? item->text : std::string();
}

const std::vector<Accelerator>& Accelerators()
{
    static const std::vector<Accelerator> table = {
        { "Ins", cmd::ToggleInsert },
        { "Ctrl+N", cmd::InsertLine },
        { "Ctrl+Y", cmd::DeleteLine },
        { "Ctrl+C", cmd::Copy },
        { "Ctrl+Ins", cmd::Copy },
        { "Ctrl+X", cmd::Cut },
        { "Shift+Del", cmd::Cut },
        { "Ctrl+V", cmd::Paste },
        { "Shift+Ins", cmd::Paste },
        { "Ctrl+P", cmd::NewCard },
        { "Esc", cmd::Stop },
        { "Ctrl+S", cmd::Selection },
        { "Ctrl+Z", cmd::Undo },
        { "Ctrl+Shift+Z", cmd::Redo },
        { "Ctrl+F1", cmd::Softkey1 + 0 },
        { "Ctrl+F2", cmd::Softkey1 + 1 },
        { "Ctrl+F3", cmd::Softkey1 + 2 },
        { "Ctrl+F4", cmd::Softkey1 + 3 },
        { "Ctrl+F5", cmd::Softkey1 + 4 },
        { "Ctrl+F6", cmd::Softkey1 + 5 },
        { "Ctrl+F7", cmd::Softkey1 + 6 },
        { "F1", cmd::RowKey1 + 0 },
        { "F2", cmd::RowKey1 + 1 },
        { "F3", cmd::RowKey1 + 2 },
        { "F4", cmd::RowKey1 + 3 },
        { "F5", cmd::RowKey1 + 4 },
        { "F6", cmd::RowKey1 + 5 },
        { "F7", cmd::RowKey1 + 6 },
        { "F8", cmd::RowKey1 + 7 },
    };
    return table;
}

const std::vector<unsigned>& ToolbarButtons()
{
    static const std::vector<unsigned> buttons = {
        cmd::Export, cmd::Import, 0,
        cmd::Cut, cmd::Copy, cmd::Paste, 0,
        cmd::Undo, cmd::Redo, 0,
        cmd::Print, cmd::PrintPreview, 0,
        cmd::SendAll, cmd::SendCurrent, cmd::ReceiveCallList, cmd::ShowCallList, 0,
        cmd::HelpIndex,
    };
    return buttons;
}

std::string StatusPrompt(const std::string& promptText)
{
    auto nl = promptText.find('\n');
    return nl == std::string::npos ? promptText : promptText.substr(0, nl);
}

std::string ToolTipText(const std::string& promptText)
{
    constexpr std::size_t kMaxTip = 80;
    auto nl = promptText.find('\n');
    if (nl == std::string::npos)
        return {};
    return promptText.substr(nl + 1, kMaxTip);
}

}  // namespace velkaro
