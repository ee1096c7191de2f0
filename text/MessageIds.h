#pragma once

// Resource ids of the messages, captions and prompts (the German ids; the
// lookup adds the language offset).
//
// Where the texts lie (all keyed by the German id in text/strings_*.cpp):
// - dialog captions at the dialog's id (176..189), control texts at the
//   control's id (1008..1127), the document type string at 128;
// - command prompts "status prompt\ntool tip" at the command id
//   (32769..32925 and the framework's 57606..57666);
// - messages at 34048.. (0x8500..);
// - the framework's standard strings from 0xE000 (57345 "Bereit", the status
//   indicators 59137..59141, 61442 "Alle Dateien (*.*)", 61856.. file errors).
// Menu texts are not in the string table: each language has its own menu

namespace velkaro::msg {

constexpr unsigned Ready = 57345;             // "Bereit"

// Import and export.
constexpr unsigned AllCardsSavedInFile = 34164;  // "Alle %i %sKarten gespeichert in Datei\n%s"
constexpr unsigned CardsLoadedFromFile = 34165;  // "%i Karten geladen aus Datei\n%s"
constexpr unsigned EmptyFile = 34166;            // "Datei ist leer"
constexpr unsigned UnknownFileFormat = 34167;    // "Falsches Datei-Format"
constexpr unsigned UnreadableVersion = 34168;    // "Diese Datei-Version kann das Programm nicht lesen"
constexpr unsigned FileOpenError = 34169;        // "Fehler beim Öffnen der Datei"
constexpr unsigned FileTypeFiles = 34170;        // "%s-Dateien"
constexpr unsigned TabSeparated = 34171;         // "Tab-getrennt"
constexpr unsigned CommaSeparated = 34172;       // "Komma-getrennt"
constexpr unsigned ImportConfiguration = 34173;  // "Import-Konfiguration"
constexpr unsigned NoNameFieldQuestion = 34176;  // "Warnung: Der Namen-Zeile ist kein Feld zugeordnet.\n..."
constexpr unsigned ImportConfigSaved = 34177;    // "Import-Konfiguration gespeichert"
constexpr unsigned ImportConfigLoaded = 34178;   // "Import-Konfiguration geladen"
constexpr unsigned Importing = 34179;            // "Importieren..."
constexpr unsigned FileAnalyzing = 34180;        // "Datei analysieren..."
constexpr unsigned FileLoading = 34181;          // "Datei laden..."
constexpr unsigned LoadImportConfig = 34182;     // "Import-Parameter laden"
constexpr unsigned SaveImportConfig = 34183;     // "Import-Parameter speichern"
constexpr unsigned ImportButton = 34184;         // "Importieren"
constexpr unsigned AllFilesFilter = 61442;       // "Alle Dateien (*.*)"

// Cards, collection and document.
constexpr unsigned NoCardsAvailable = 34048;      // "Es sind keine Karten vorhanden"
constexpr unsigned ConfirmDeleteAllCards = 34049; // "Die vorhandenen Karten werden gelöscht!"
constexpr unsigned CardCountPane = 34050;         // "%i Karten"
constexpr unsigned WorkingFileNotLoaded = 34054;  // "Die Datei %s konnte nicht geladen werden.\n..."
constexpr unsigned FieldLabelName = 34160;        // "Name"
constexpr unsigned FieldLabelTelephone = 34161;   // "Telefon"
constexpr unsigned FieldLabelLine = 34162;        // "Zeile %i"
constexpr unsigned ConfirmReplaceCards = 34163;   // "Alle vorhandenen Karten werden gelöscht und durch die neuen Karten ersetzt!"
// The archive layer's own file and format errors (framework range).
constexpr unsigned ArchiveEndOfFile = 61856;      // "Unerwartetes Dateiende beim Lesen von %s."
constexpr unsigned ArchiveBadFormat = 61857;      // "%s hat ein unerwartetes Format."
constexpr unsigned FileOpenFailed = 61858;        // "%s konnte nicht geöffnet werden."
constexpr unsigned FileReadFailed = 61859;        // "Fehler beim Lesen von %s."
constexpr unsigned FileWriteFailed = 61860;       // "Fehler beim Schreiben von %s."

// Card view, selection and the main frame.
constexpr unsigned NameLabel = 34052;               // "Name"
constexpr unsigned FirstLineNotAlphabetic = 34061;  // "Erste Zeile muss alphabetisch beginnen"
constexpr unsigned NameExists = 34062;              // "Name schon vorhanden"
constexpr unsigned NotEnoughMemory = 34063;         // "Zu wenig Speicherplatz"
constexpr unsigned ReallyDeleteCard = 34064;        // "Soll diese Karte wirklich gelöscht werden?"
constexpr unsigned VerbPrinted = 34071;             // "gedruckt"
constexpr unsigned VerbExported = 34072;            // "exportiert"
constexpr unsigned VerbSaved = 34073;               // "gespeichert"
constexpr unsigned VerbSent = 34074;                // "gesendet"
constexpr unsigned FunctionNotAvailable = 34190;    // "Diese Funktion ist in dieser Version nicht verfügbar."
constexpr unsigned KeysHelp = 34191;                // "Tasten der Telefonfront: ..."
constexpr unsigned SelectionHelp = 34192;           // "Die Selektion zeigt nur die Karten, ..."
constexpr unsigned ManualNotOpened = 34193;         // "Das Handbuch konnte nicht geöffnet werden:\n%s"

// Device link: serial port, sending, receiving, call list.
constexpr unsigned SelectionConfirm = 34070;        // "Selektion eingeschaltet:\nEs werden nur die selektierten Karten %s."
constexpr unsigned WordSelected = 34075;            // "selektierten "
constexpr unsigned PortChooseFirst = 34080;         // "Wählen Sie zuerst einen seriellen Anschluss aus (...)"
constexpr unsigned PortOpenError = 34081;           // "Fehler beim Öffnen von COM%i.\n%s\n..."
constexpr unsigned PortWriteError = 34082;          // "Schreib-Fehler auf COM%i.\n%s"
constexpr unsigned PortSendThreadError = 34084;     // "Fehler beim Starten des Senden-Threads (COM%i).\n%s"
constexpr unsigned PortReadThreadError = 34085;     // "Fehler beim Starten des Lese-Threads (COM%i).\n%s"
constexpr unsigned PortAccessDenied = 34086;        // "Kein Zugriff auf %s. ... Gruppe dialout ..."
constexpr unsigned PortLineLost = 34087;            // "Die Verbindung über %s ist abgebrochen."
constexpr unsigned PhoneStillSending = 34089;       // "Zur Zeit sendet der Velkaro Daten"
constexpr unsigned NothingToSend = 34090;           // "Es gibt nichts zu senden"
constexpr unsigned SendHeading = 34091;             // "Alle %s%s%sKarten zum Velkaro senden..."
constexpr unsigned AllCardsSent = 34092;            // "Alle %s%s%sKarten gesendet"
constexpr unsigned SendWordAnd = 34093;             // "und "
constexpr unsigned SendWordEdited = 34094;          // "geänderten "
constexpr unsigned SendCancelled = 34095;           // "Senden abgebrochen"
constexpr unsigned SendAborted = 34096;             // "Senden wegen Fehler abgebrochen"
constexpr unsigned SentCardCount = 34097;           // "Anzahl gesendete Karten: %i"
constexpr unsigned SendSuccessful = 34098;          // "Senden erfolgreich?"
constexpr unsigned CurrentCard = 34099;             // "Aktuelle Karte"
constexpr unsigned CardDialled = 34100;             // " gewählt"
constexpr unsigned CardSent = 34101;                // " gesendet"
constexpr unsigned DialQuestion = 34102;            // "Soll die aktuelle Karte am Velkaro gewählt werden?"
constexpr unsigned ReceiveCaption = 34103;          // "Daten empfangen"
constexpr unsigned ReceivingCards = 34104;          // "Daten vom Velkaro empfangen..."
constexpr unsigned ReceivedCardsLabel = 34105;      // "Anzahl empfangene Karten:"
constexpr unsigned CardsReceived = 34106;           // "%i Karten vom Velkaro empfangen.\n"
constexpr unsigned ReceptionCancelled = 34107;      // "Empfang abgebrochen.\n"
constexpr unsigned ReceptionTimeout = 34108;        // "Unerwarteter Empfangs-Abbruch (Timeout).\n"
constexpr unsigned OldCardsDeleted = 34109;         // "Mit dem Speichern der neuen Karten werden die bisherigen Karten gelöscht!"
constexpr unsigned ReceivedNotStored = 34110;       // "Die empfangenen Karten wurden nicht gespeichert."
constexpr unsigned ReceiveHardwareErrors = 34111;   // "Beim Empfang traten %i Hardware-Fehler beim seriellen Anschluss auf.\n"
constexpr unsigned SpeedNormal = 34112;             // "Normal"
constexpr unsigned SpeedHigh = 34113;               // "Hoch"
constexpr unsigned PortPaneReceiving = 34120;       // "COM %i Empfangen"
constexpr unsigned PortPaneSending = 34121;         // "COM %i Senden"
constexpr unsigned PortPaneReady = 34122;           // "COM %i Bereit"
constexpr unsigned AlwaysReadyToReceive = 34126;    // "Das Programm ist immer empfangsbereit!\n..."
constexpr unsigned TransferLocked = 34127;          // "Keine Daten-Übertragung möglich, da im Velkaro die Übertragung gesperrt ist.\n..."
constexpr unsigned ReceivingCallList = 34130;       // "Anrufliste vom Velkaro empfangen..."
constexpr unsigned ReceivedLinesLabel = 34131;      // "Anzahl empfangene Zeilen:"
constexpr unsigned CallListReceived = 34134;        // "%i Zeilen der Anrufliste vom Velkaro empfangen.\n"
constexpr unsigned CallListNoAnswer = 34135;        // "Fehler bei Anrufliste empfangen:\nKeine Antwort vom Velkaro.\n..."

// Address-book servers (CardDAV): finding the address books and fetching their contacts.
constexpr unsigned DavUnreachable = 36220;        // "Der Server %s ist nicht erreichbar."
constexpr unsigned DavTlsFailed = 36221;          // "Die sichere Verbindung zu %s ist gescheitert: %s"
constexpr unsigned DavPasswordRefused = 36222;    // "Der Server %s hat den Benutzernamen oder das Kennwort abgelehnt."
constexpr unsigned DavBookNotFound = 36223;       // "Unter %s gibt es kein Adressbuch."
constexpr unsigned DavNotWebDav = 36224;          // "Die Antwort von %s ist keine WebDAV-Antwort; ist das ein CardDAV-Server?"
constexpr unsigned DavConnectionLost = 36225;     // "Die Verbindung zu %s ist mitten im Abgleich abgebrochen."
constexpr unsigned DavTimeout = 36226;            // "Der Server %s hat nicht rechtzeitig geantwortet."
constexpr unsigned DavServerError = 36227;        // "Der Server %s hat mit dem Fehler %i geantwortet."
constexpr unsigned DavNoAddressBooks = 36228;     // "Auf dem Server %s wurde kein Adressbuch gefunden."
constexpr unsigned DavInsecureRedirect = 36229;   // "%s leitet auf die unverschlüsselte Adresse %s um; dem wird nicht gefolgt."
constexpr unsigned DavBadUrl = 36230;             // "„%s“ ist keine Serveradresse (http:// oder https://)."
constexpr unsigned DavCaFileUnreadable = 36231;   // "Die Datei %s enthält kein lesbares Zertifikat (PEM)."
constexpr unsigned DavTooManyRedirects = 36232;   // "%s leitet zu oft weiter."
constexpr unsigned DavAnswerTooLarge = 36233;     // "Die Antwort von %s ist größer als %i MB; sie wird nicht gelesen."

// Device link: a lost line, output held by the telephone, the command line's device commands.
// (Gaps: an id whose English (+256) or French (+512) place another text holds stays free.)
constexpr unsigned LineInterrupted = 34400;         // "Die Verbindung über %s ist unterbrochen worden.\n%s"
constexpr unsigned OutputHeld = 34410;              // "Der Velkaro hat die Ausgabe mit XOFF angehalten und ... nicht wieder freigegeben."
constexpr unsigned ReceptionLineFailed = 34411;     // "Unerwarteter Empfangs-Abbruch (Verbindung unterbrochen).\n"
constexpr unsigned ReceptionTooLong = 36200;        // "Empfang abgebrochen: Die Übertragung ist länger, als ein Velkaro senden kann ...\n"
constexpr unsigned DeviceOpenError = 34412;         // "Fehler beim Öffnen von %s.\n%s"
constexpr unsigned DeviceWriteError = 34413;        // "Schreib-Fehler auf %s.\n%s"
constexpr unsigned CliNoPort = 34414;               // "Kein serieller Anschluss gewählt: ... --port ..."
constexpr unsigned CliPartialKept = 34415;          // "Die Übertragung ist nicht vollständig beendet worden; %s bleibt unverändert ..."
constexpr unsigned CallListEmpty = 34430;           // "Die Anrufliste des Velkaro ist leer."
constexpr unsigned CliNoCards = 34431;              // "Innerhalb von %s s sind keine Karten empfangen worden."
constexpr unsigned CliPartialTaken = 34441;         // "Die Übertragung ist nicht vollständig beendet worden; %s enthält nur das Empfangene."

// Card view, display, index list and card structure.
constexpr unsigned SavedNotice = 34053;            // "...gespeichert!"
constexpr unsigned NoEntryWith = 34060;            // "Kein Eintrag mit"
constexpr unsigned InsertLineQuestion = 34065;     // "Zeile einfügen?"
constexpr unsigned DeleteLineQuestion = 34066;     // "Zeile löschen?"

// Printing.
constexpr unsigned PrintHeading = 34115;           // "Karten im Velkaro R4, ausgedruckt am %s"
constexpr unsigned PrintPage = 34116;              // "Seite %u"
constexpr unsigned PrintJobFailed = 61704;         // "Der Druckauftrag konnte nicht gestartet werden."

// Call list preview.
constexpr unsigned CloseButton = 34133;            // "Beenden"
constexpr unsigned CallListSaved = 34139;          // "%s Zeilen der Anrufliste gespeichert in Datei\n%s"
constexpr unsigned AllWord = 34140;                // "Alle"
constexpr unsigned ColumnDate = 34145;             // "Datum"
constexpr unsigned ColumnTime = 34146;             // "Zeit"
constexpr unsigned ColumnName = 34147;             // "Name"
constexpr unsigned ColumnNumber = 34148;           // "Nummer"
constexpr unsigned ColumnInternExtern = 34149;     // "Intern/Extern"
constexpr unsigned ColumnLine = 34150;             // "Linie"
constexpr unsigned ColumnDuration = 34151;         // "Dauer"
constexpr unsigned CallInternal = 34152;           // "Intern"
constexpr unsigned CallExternal = 34153;           // "Extern"

// Import readers.
constexpr unsigned PasswordProtected = 34550;      // "Die Datei ist durch ein Kennwort geschützt und kann nicht gelesen werden"

// The framework's status indicators.
constexpr unsigned IndicatorCaps = 59137;          // "UF"
constexpr unsigned IndicatorNum = 59138;           // "NUM"
constexpr unsigned IndicatorOverwrite = 59140;     // "OVR"
constexpr unsigned IndicatorPort = 59141;          // "COM22 Transmission" (sizes the port pane)

// Command line: the import's field assignment by --map and the name line.
constexpr unsigned CliNoNameColumn = 34500;      // "Der Namen-Zeile ist keine Spalte zugeordnet; ..."
constexpr unsigned CliMapUnknownLine = 34501;    // "--map: Unbekannte Velkaro-Zeile „%s“"
constexpr unsigned CliMapUnknownColumn = 34502;  // "--map: Die Import-Datei hat keine Spalte „%s“"

// Working file: damaged file set aside, one program per file, data folder.
constexpr unsigned DamagedWorkingFileSetAside = 34450;  // "Die Arbeitsdatei %s ist beschädigt ..."
constexpr unsigned WorkingFileInUse = 34451;            // "Die Arbeitsdatei %s wird bereits ... benutzt"
constexpr unsigned DataFolderNotWritable = 34452;       // "Der Datenordner %s kann nicht beschrieben werden ..."
constexpr unsigned BackupNotHandedOver = 36140;         // "Die Sicherheitskopie %s ist nicht geladen worden."

// Import of zipped workbooks (.xlsx, .ods): their errors and the texts of
// boolean cells. (34702 to 34705 would share their table entries with the
// French texts of 34190 to 34193.)
constexpr unsigned WorkbookTooLarge = 34700;  // "Die Arbeitsmappe ist zu groß zum Einlesen."
constexpr unsigned WorkbookDamaged = 34701;   // "Die Arbeitsmappe ist beschädigt und kann nicht gelesen werden."
// Import files that would take far more memory than their size, and
// devices and named pipes given as import files.
constexpr unsigned ImportTooMuchText = 36180;  // "Die Zellen der Datei ergäben mehr als %i MB Text ..."
constexpr unsigned NotARegularFile = 36181;    // "Das ist keine gewöhnliche Datei ..."
constexpr unsigned SheetTrue = 34710;         // "WAHR"
constexpr unsigned SheetFalse = 34711;        // "FALSCH"

// vCard import and export, UTF-8 export: the vCard table's column titles
// (in column order after Name and Telefon) and the filter names. The ids
// keep clear of the table places of the other languages' texts (English at
// id + 256, French at id + 512).
constexpr unsigned VCardColumnMobile = 34650;      // "Mobil"
constexpr unsigned VCardColumnHome = 34653;        // "Privat"
constexpr unsigned VCardColumnWork = 34654;        // "Geschäft"
constexpr unsigned VCardColumnFax = 34655;         // "Fax"
constexpr unsigned VCardColumnEmail = 35460;       // "E-Mail"
constexpr unsigned VCardColumnCompany = 35461;     // "Firma"
constexpr unsigned VCardColumnTitle = 35462;       // "Funktion"
constexpr unsigned VCardColumnStreet = 35463;      // "Strasse"
constexpr unsigned VCardColumnPostalCode = 35464;  // "PLZ"
constexpr unsigned VCardColumnLocality = 35465;    // "Ort"
constexpr unsigned VCardColumnCountry = 35466;     // "Land"
constexpr unsigned VCardColumnBirthday = 35467;    // "Geburtstag"
constexpr unsigned VCardColumnNote = 35468;        // "Notiz"
constexpr unsigned FilterVCard = 35469;            // "vCard"
constexpr unsigned FilterCsvUtf8 = 34698;          // "CSV UTF-8"

// What received cards would change, and merging them with the stored ones.
constexpr unsigned ComparisonCounts = 35510;  // "%i neu, %i geändert, %i nur hier, %i unverändert"
constexpr unsigned MergeCards = 35511;  // "Zusammenführen"
constexpr unsigned ComparisonDetails = 35512;  // "Details…"
constexpr unsigned ComparisonTitle = 35513;  // "Unterschiede der empfangenen Karten"
constexpr unsigned GroupAdded = 35514;  // "Neu"
constexpr unsigned GroupChanged = 35515;  // "Geändert"
constexpr unsigned GroupOnlyHere = 35516;  // "Nur hier"
constexpr unsigned GroupUnchanged = 35517;  // "Unverändert"
constexpr unsigned VersionHere = 35518;  // "Hier"
constexpr unsigned VersionTelephone = 35519;  // "Telefon"
constexpr unsigned CliMerged = 35520;  // "Karten zusammengeführt: %i neu, %i geändert, %i nur hier behalten (als bearbeitet markiert)."
constexpr unsigned CallListNamesFromCards = 35521;  // "Namen aus den Karten übernehmen"
constexpr unsigned CallListCardNameNote = 35522;    // "Kursiv: Name aus den Karten; das Telefon hat keinen gesendet."
constexpr unsigned CallListCardName = 35523;        // "Name aus den Karten"
constexpr unsigned CliCardNames = 35524;            // "%i Namen aus den Karten übernommen."
constexpr unsigned CliPartialMerged = 35525;        // "Die Übertragung ist nicht vollständig beendet worden; das Empfangene ist mit %s zusammengeführt."
// The command line's address-book sync.
constexpr unsigned SyncCount = 36320;  // "Abgeglichen: %i neu, %i geändert, %i entfernt, %i unverändert."
constexpr unsigned SyncWouldCount = 36321;  // "Der Abgleich ergäbe: %i neu, %i geändert, %i entfernt, %i unverändert (nichts geändert)."
constexpr unsigned SyncNoAccount = 36322;  // "Es ist kein Adressbuch-Konto eingerichtet: Optionen > Adressbuch-Konto... im Programm, oder --url und --user."
constexpr unsigned StepMergedCards = 35526;       // "Zusammenführen von %i empfangenen Karten"
// Sheets of a workbook.
constexpr unsigned SheetHidden = 35610;          // "ausgeblendet"
constexpr unsigned SheetNotInWorkbook = 35611;   // "Die Arbeitsmappe hat kein Blatt „%s“. Ihre Blätter: %s"
constexpr unsigned SheetOfNoWorkbook = 35612;    // "Die Datei ist keine Arbeitsmappe (.xls, .xlsx, .ods): sie hat keine Blätter zur Wahl."
constexpr unsigned SheetChoiceTitle = 35613;     // "Tabellenblatt wählen"
constexpr unsigned SheetChoiceQuestion = 35614;  // "Die Arbeitsmappe hat mehrere Blätter. Welches soll importiert werden?"
// What an import could not keep whole.
constexpr unsigned ImportValuesCut = 36080;           // "%i Werte waren länger als ihre Zeile und sind gekürzt worden."
constexpr unsigned ImportRecordsWithoutName = 36081;  // "%i Datensätze hatten keinen Namen."
constexpr unsigned ImportColumnsLeftOut = 36082;      // "Nicht übernommene Spalten: %s"
constexpr unsigned ImportColumnNumber = 36083;        // "Spalte %i"
constexpr unsigned CardsWithControls = 36085;        // "%i Karten in %s enthielten Steuerzeichen; sie sind als Leerzeichen gelesen worden."
constexpr unsigned FileTooLarge = 36084;              // "Die Datei ist zu groß zum Einlesen (mehr als %i MB)."
// The command line refuses to write over the file it reads.
constexpr unsigned CliOutputIsInput = 36120;  // "%s ist die Datei, aus der die Karten gelesen werden: ..."
// The command line's own texts: its help, a command line it cannot parse,
// the streams it names.
constexpr unsigned CliUsageCommands = 36420;       // "Befehle:"
constexpr unsigned CliUsageTail = 36421;           // "  --lang de|en|fr  ...\nvelkaro help BEFEHL ..."
constexpr unsigned CliHelpPort = 36422;            // "  --port PORT     der serielle Anschluss: ..."
constexpr unsigned CliHelpCommon = 36423;          // "  --json  ...\n  --quiet ...\nExit-Status: ..."
constexpr unsigned CliHelpExample = 36424;         // "Beispiel:"
constexpr unsigned CliStandardInput = 36425;       // "Standardeingabe"
constexpr unsigned CliNoHistory = 36426;           // "%s hat keinen Verlauf: ..."
constexpr unsigned CliUnknownOption = 36427;       // "unbekannte Option %s"
constexpr unsigned CliOptionNeedsValue = 36428;    // "%s verlangt einen Wert: %s"
constexpr unsigned CliOptionTakesNoValue = 36429;  // "%s nimmt keinen Wert"
constexpr unsigned CliHelpCards = 36430;           // what `cards` does, its options explained
constexpr unsigned CliHelpConvert = 36431;
constexpr unsigned CliHelpHistory = 36432;
constexpr unsigned CliHelpRestore = 36433;
constexpr unsigned CliHelpImport = 36434;
constexpr unsigned CliHelpExport = 36435;
constexpr unsigned CliHelpTable = 36445;
constexpr unsigned CliHelpSend = 36446;
constexpr unsigned CliHelpSendCard = 36438;
constexpr unsigned CliHelpDial = 36439;
constexpr unsigned CliHelpReceive = 36440;
constexpr unsigned CliHelpSync = 36441;
constexpr unsigned CliHelpCallList = 36442;
constexpr unsigned CliUnknownCommand = 36443;      // "unbekannter Befehl „%s“"
constexpr unsigned CliStandardOutput = 36444;      // "Standardausgabe"

// The control window of the demo's simulated telephone.
constexpr unsigned PanelTitle = 35380;  // "Simuliertes Telefon"
constexpr unsigned PanelIntro = 35381;  // "Was das Telefon jetzt tun soll:"
constexpr unsigned PanelSendCards = 35382;  // "Karten senden"
constexpr unsigned PanelSendCallList = 35383;  // "Anrufliste senden"
constexpr unsigned PanelLock = 35384;  // "Übertragungen sperren"
constexpr unsigned PanelHangUp = 35385;  // "Auflegen"
constexpr unsigned PanelSendCardsTip = 35386;  // "Das Telefon sendet sein Adressbuch an den PC."
constexpr unsigned PanelSendCallListTip = 35387;  // "Das Telefon sendet seine Anrufliste an den PC."
constexpr unsigned PanelLockTip = 35388;  // "Ein gesperrtes Telefon lehnt jede Übertragung ab."
constexpr unsigned PanelHangUpTip = 35389;  // "Das Telefon trennt die Leitung; danach die Vorführung neu starten."
// The demo: what the program says in its window, and why it cannot start.
constexpr unsigned DemoTitle = 35390;  // "Vorführung"
constexpr unsigned DemoHint = 35391;  // "Diese Vorführung braucht kein Telefon: ..."
constexpr unsigned DemoMissing = 35392;  // "Die Vorführung kann nicht beginnen: %s fehlt."


// Names, descriptions and prompts that a screen reader speaks for the
// painted parts of the telephone front and its keys.
constexpr unsigned AccDisplay = 35300;         // "Anzeige"
constexpr unsigned AccDisplayPage = 35301;     // "Seite %i von 5"
constexpr unsigned AccIndexList = 35302;       // "Kartenliste"
constexpr unsigned AccIndexListHelp = 35303;   // "Die Namen der Karten; die oberste Zeile ist die aktuelle Karte"
constexpr unsigned AccMarked = 35304;          // "markiert"
constexpr unsigned AccSoftkeyBar = 35305;      // "Softkeys"
constexpr unsigned AccSoftkeyPage = 35306;     // "Seite %i"
constexpr unsigned AccFieldNames = 35307;      // "Feldnamen"
constexpr unsigned AccRowKey = 35308;          // "Zeile %i (F%i)"
constexpr unsigned AccRowKeyPrompt = 35309;    // "Öffnet die Karte dieser Zeile oder setzt die Schreibmarke in diese Zeile"
constexpr unsigned AccSpareKey = 35310;        // "Zeilentaste %i"
constexpr unsigned AccSpareKeyPrompt = 35311;  // "Diese Taste hat keine Funktion"
constexpr unsigned AccSoftkey = 35312;         // "Softkey %i (Ctrl+F%i)"
constexpr unsigned AccSoftkeyPrompt = 35313;   // "Führt aus, was die Softkey-Leiste über dieser Taste zeigt"
constexpr unsigned AccStop = 35314;            // "Stop (Esc)"
constexpr unsigned AccStopPrompt = 35315;      // "Beendet die Bearbeitung und kehrt zur Kartenliste zurück"
constexpr unsigned AccNewCard = 35316;         // "Neue Karte (Ctrl+P)"
constexpr unsigned AccNewCardPrompt = 35317;   // "Legt eine neue Karte an"
constexpr unsigned AccSelection = 35318;       // "Selektion (Ctrl+S)"
constexpr unsigned AccSelectionPrompt = 35319; // "Zeigt nur die Karten, die einen Begriff enthalten"
constexpr unsigned AccArrowUp = 35320;         // "Pfeil nach oben"
constexpr unsigned AccArrowDown = 35321;       // "Pfeil nach unten"
constexpr unsigned AccArrowLeft = 35322;       // "Pfeil nach links"
constexpr unsigned AccArrowRight = 35323;      // "Pfeil nach rechts"
constexpr unsigned AccArrowPrompt = 35324;     // "Bewegt die Schreibmarke oder blättert in der Kartenliste"
constexpr unsigned AccEmptyCell = 35325;       // "leer"
constexpr unsigned AccSelected = 35326;        // "ausgewählt"
constexpr unsigned AccPhone = 35327;           // "Telefon"
constexpr unsigned AccToolBar = 35328;         // "Symbolleiste"
constexpr unsigned AccMenuBar = 35329;         // "Menüleiste"
constexpr unsigned AccMoreButtons = 35330;     // "Weitere Schaltflächen"

// Undo, redo and the history of the working file.
constexpr unsigned UndoMenu = 35470;  // "Rückgängig: %s"
constexpr unsigned RedoMenu = 35471;  // "Wiederholen: %s"
constexpr unsigned UndoNothing = 35472;  // "Rückgängig"
constexpr unsigned RedoNothing = 35473;  // "Wiederholen"
constexpr unsigned StepSaveCard = 35474;  // "Karte speichern"
constexpr unsigned StepNewCard = 35475;  // "Neue Karte"
constexpr unsigned StepDeleteCard = 35476;  // "Karte löschen"
constexpr unsigned StepToggleMark = 35477;  // "Markierung"
constexpr unsigned StepDeleteAllCards = 35478;  // "Alle Karten löschen"
constexpr unsigned StepImport = 35479;  // "Import von %i Karten"
constexpr unsigned StepReceivedCards = 35480;  // "Empfang von %i Karten"
constexpr unsigned StepLoadBackup = 35481;  // "Sicherung laden"
constexpr unsigned StepCardStructure = 35482;  // "Kartenaufbau"
constexpr unsigned StepSentFlags = 35483;  // "Gesendete Karten als unverändert kennzeichnen"
constexpr unsigned StepRestore = 35484;  // "Früheren Stand wiederherstellen"
constexpr unsigned HistoryWriteFailed = 35485;  // "Der bisherige Stand konnte nicht im Verlauf gesichert werden. Es wurde nichts geändert.\n\n%s"
constexpr unsigned UndoPrompt = 35508;  // "Nimmt die letzte Änderung an den Karten zurück\nRückgängig"
constexpr unsigned RedoPrompt = 35509;  // "Führt die zurückgenommene Änderung wieder aus\nWiederholen"
constexpr unsigned HistoryTime = 35488;  // "Zeit"
constexpr unsigned HistoryAction = 35489;  // "Schritt danach"
constexpr unsigned HistoryCards = 35490;  // "Karten"
constexpr unsigned HistoryEmpty = 35491;  // "Es ist noch kein früherer Stand gespeichert."
constexpr unsigned RestoreHistoryPrompt = 35507;  // "Stellt einen früheren Stand der Karten aus dem Verlauf wieder her\nFrüheren Stand wiederherstellen"
// The steps the history names that have no undo label of their own.
constexpr unsigned HistoryStepImport = 36100;   // "Import"
constexpr unsigned HistoryStepReceive = 36101;  // "Empfang"
constexpr unsigned HistoryStepConvert = 36102;  // "Umwandeln"
// The address-book sync: its undo step, its details, the file of where synced cards came from.
constexpr unsigned StepSync = 36260;  // "Abgleich mit dem Adressbuch"
constexpr unsigned HistoryStepSync = 36261;  // "Abgleich"
constexpr unsigned SyncAdded = 36262;  // "Neu: %s"
constexpr unsigned SyncAddedNumbered = 36263;  // "Neu: %s (der Name ist schon vergeben und wird nummeriert)"
constexpr unsigned SyncChanged = 36264;  // "Geändert: %s"
constexpr unsigned SyncChangedBoth = 36265;  // "Hier und auf dem Server geändert, die Fassung des Servers gilt: %s"
constexpr unsigned SyncRemoved = 36266;  // "Entfernt: %s"
constexpr unsigned SyncKeptChangedHere = 36267;  // "Behalten, weil hier geändert (auf dem Server gelöscht): %s"
constexpr unsigned SyncDamaged = 36268;  // "Nicht lesbarer Eintrag übergangen: %s"
constexpr unsigned SyncOriginDamaged = 36269;  // "Die Abgleich-Datei %s ist beschädigt (Zeile %i). Alle Karten gelten als noch nic"
constexpr unsigned SyncOriginUnreadable = 36270;  // "Die Abgleich-Datei %s kann nicht gelesen werden. Alle Karten gelten als noch nic"
constexpr unsigned SyncOriginNotWritten = 36271;  // "Die Abgleich-Datei %s konnte nicht geschrieben werden.\n%s"


// Address-book account and sync: the account dialog, the password, the
// sync's preview and progress. The first two are the prompts of their
// commands (cmd::AddressBookAccount, cmd::SyncAddressBook).
constexpr unsigned AddressBookAccountPrompt = 36280;  // "Legt den Adressbuch-Server, den Benutzer und die Filter für den Ab ..."
constexpr unsigned SyncAddressBookPrompt = 36281;  // "Gleicht die Karten mit dem Adressbuch auf dem Server ab"
constexpr unsigned AccountTitle = 36282;  // "Adressbuch-Konto"
constexpr unsigned AccountUrl = 36283;  // "&Server-Adresse:"
constexpr unsigned AccountUser = 36284;  // "&Benutzer:"
constexpr unsigned AccountPassword = 36285;  // "&Kennwort:"
constexpr unsigned AccountKeepPassword = 36286;  // "Im Schlüsselbund s&peichern"
constexpr unsigned AccountFindBooks = 36287;  // "Adressbücher s&uchen"
constexpr unsigned AccountBooks = 36288;  // "&Adressbücher:"
constexpr unsigned AccountOnlyWithNumber = 36289;  // "Nur Kontakte mit &Telefonnummer"
constexpr unsigned AccountInclude = 36290;  // "Nur diese Kate&gorien:"
constexpr unsigned AccountExclude = 36291;  // "Oh&ne diese Kategorien:"
constexpr unsigned AccountOnePerNumber = 36292;  // "&Eine Karte je Nummer"
constexpr unsigned AccountDialable = 36293;  // "Nummern, wie das Telefon sie &wählt"
constexpr unsigned AccountBadUrl = 36294;  // "Die Server-Adresse muss mit http:// oder https:// beginnen und ein ..."
constexpr unsigned AccountNoUser = 36295;  // "Geben Sie den Benutzernamen an."
constexpr unsigned AccountNoBookChosen = 36296;  // "Wählen Sie mindestens ein Adressbuch."
constexpr unsigned AccountNoBooksFound = 36297;  // "Der Server bietet unter dieser Adresse keine Adressbücher an."
constexpr unsigned SyncPreviewTitle = 36298;  // "Mit Adressbuch abgleichen"
constexpr unsigned SyncPreviewCounts = 36299;  // "%i neu, %i geändert, %i entfernt, %i unverändert"
constexpr unsigned SyncCountKept = 36300;  // "%i hier geändert und behalten, obwohl auf dem Server gelöscht"
constexpr unsigned SyncCountDamaged = 36301;  // "%i Kontakte beschädigt und nicht übernommen"
constexpr unsigned SyncApply = 36302;  // "Übernehmen"
constexpr unsigned SyncFetching = 36303;  // "Das Adressbuch wird geladen..."
constexpr unsigned PasswordFileUnreadable = 36304;  // "Die Kennwortdatei %s kann nicht gelesen werden:"
constexpr unsigned PasswordFileEmpty = 36305;  // "Die Kennwortdatei %s enthält in der ersten Zeile kein Kennwort."
constexpr unsigned NoPasswordStored = 36306;  // "Kein Kennwort für %s im Schlüsselbund: Speichern Sie es unter Opti ..."
constexpr unsigned NoPasswordNoStore = 36307;  // "Kein Kennwort für %s: Der Schlüsselbund des Desktops ist nicht err ..."
constexpr unsigned SecretStoreUnavailable = 36308;  // "Der Schlüsselbund des Desktops ist nicht erreichbar; das Kennwort  ..."
constexpr unsigned SecretStoreFailed = 36309;  // "Der Schlüsselbund hat die Anfrage nicht ausgeführt:"
constexpr unsigned SyncPreviewIntro = 36310;  // "Der Abgleich mit dem Adressbuch ändert die Karten so:"
constexpr unsigned SyncCancelling = 36311;  // "Wird abgebrochen..."
constexpr unsigned AccountFilters = 36312;  // "Filter"
constexpr unsigned AccountCategoriesHint = 36313;  // "durch Kommas getrennt"
constexpr unsigned AccountPasswordAccessible = 36314;  // "Kennwort"

// Numbers as the telephone dials them: the Edit command (its prompt at its
// command id, cmd::MakeDialable), its step and report.
constexpr unsigned MakeDialablePrompt = 36240;      // "Schreibt die Telefonnummern der Karten nur mit den Ziffern, ...\nNummern wählbar machen"
constexpr unsigned StepMakeDialable = 36241;        // "Nummern wählbar machen"
constexpr unsigned NumbersMadeDialable = 36242;     // "%i Zeilen geändert: Die Nummern stehen jetzt so da, wie das Telefon sie wählt."
constexpr unsigned NumbersAlreadyDialable = 36243;  // "Alle Nummern sind schon wählbar; es war nichts zu ändern."
constexpr unsigned HomeCountryUnknown = 36244;      // "Das Land, aus dem das Telefon wählt, ist nicht bekannt. ... HomeCountry ..."

// A send the line did not confirm: the telephone acknowledges nothing, and
// neither an answer nor a modem line showed that it was there.
constexpr unsigned SentUnconfirmed = 36470;  // "Karten gesendet, aber nichts auf der Leitung hat bestätigt, ..."

}  // namespace velkaro::msg

// Dialog captions (the dialog's resource id) and the document type string.
namespace velkaro::dlg {

constexpr unsigned DocumentType = 128;       // "Velkaro Desktop\n\nVelkaro Desktop\n..."
constexpr unsigned About = 176;              // "Info über Velkaro Desktop"
constexpr unsigned Port = 177;               // "Serieller Anschluss zum Velkaro"
constexpr unsigned Selection = 178;          // "Selektion"
constexpr unsigned SendProgress = 179;       // "Karten senden"
constexpr unsigned CallListRequest = 180;    // "Anrufsliste empfangen"
constexpr unsigned CallListPreview = 181;    // "Anrufliste Vorschau"
constexpr unsigned Import = 182;             // "Importieren"
constexpr unsigned FieldAssignPage = 183;    // "Felder-Zuordnung"
constexpr unsigned ImportSettingsPage = 184; // "Einstellungen"
constexpr unsigned ImportMode = 188;         // "Importieren"
constexpr unsigned CardStructure = 189;      // "Kartenstruktur"

}  // namespace velkaro::dlg

// Control texts (the control's id).
namespace velkaro::ctl {

constexpr unsigned Cancel = 1008;              // "Abbrechen"
constexpr unsigned Help = 1009;                // "Hilfe"
constexpr unsigned ProgressHeading = 1011;     // set at run time
constexpr unsigned SentCountLabel = 1012;      // "Anzahl gesendete Karten:"
constexpr unsigned ErrorCountLabel = 1013;     // "Anzahl Fehler:"
constexpr unsigned SpeedLabel = 1014;          // "Geschwindigkeit:"
constexpr unsigned SerialPortLabel = 1023;     // "Serieller Port:"
constexpr unsigned HighSpeedAllowed = 1024;    // "Hohe Geschwindigkeit erlaubt"
constexpr unsigned PortCombo = 1025;
constexpr unsigned Version = 1030;             // "Version "
constexpr unsigned AboutNotice1 = 1031;        // the About window's first notice
constexpr unsigned AboutNotice2 = 1032;        // the About window's second notice
constexpr unsigned SelectionBy = 1037;         // "Selektion nach"
constexpr unsigned Permanent = 1038;           // "Permanent"
constexpr unsigned PredefinedTerms = 1039;     // "Vordefinierte Begriffe"
constexpr unsigned CallListEntries = 1052;     // "Einträge"
constexpr unsigned CallListAllEntries = 1053;  // "Alle Einträge empfangen"
constexpr unsigned CallListNewerThan = 1054;   // "Nur Einträge empfangen, die neuer sind als"
constexpr unsigned Ascending = 1061;           // "Aufsteigend"
constexpr unsigned SaveOnlySelected = 1062;    // "Nur markierte Zeilen speichern"
constexpr unsigned CallListSave = 1063;        // "Speichern..."
constexpr unsigned LoadConfig = 1071;          // "Laden..."
constexpr unsigned SaveConfig = 1072;          // "Speichern..."
constexpr unsigned Assignments = 1074;         // "Zuordnungen:"
constexpr unsigned AssignIntro = 1080;         // "Ordnen Sie die Felder der Import-Datei den Velkaro-Zeilen zu."
constexpr unsigned ClearAll = 1082;            // "Alle löschen"
constexpr unsigned SkipFirstRecord = 1086;     // "Ersten Datensatz nicht importieren"
constexpr unsigned OnlyNumbers = 1087;         // "In Nummer-Zeile nur Zahlen erlauben"
constexpr unsigned CharacterSet = 1088;        // "Zeichensatz:"
constexpr unsigned CharsetWindows = 1089;      // "Windows"
constexpr unsigned CharsetDos = 1090;          // "DOS"
constexpr unsigned ImportDialable = 36245;     // "Nummern wählbar machen"
constexpr unsigned ImportModeQuestion = 1100;  // "Wie sollen die neuen Karten hinzugefügt werden?"
constexpr unsigned ModeDeleteOld = 1101;       // "Alte Karten löschen"
constexpr unsigned ModeMix = 1102;             // "Mischen"
constexpr unsigned ModeMixReplace = 1103;      // "Mischen / Doppelte Karten ersetzen"
constexpr unsigned ModeDeleteOldText = 1104;   // "Alle vorhandenen Karten werden gelöscht und ..."
constexpr unsigned ModeMixText = 1105;         // "Die neuen Karten werden hinzugefügt und ..."
constexpr unsigned ModeMixReplaceText = 1106;  // "Die neuen Karten werden zu den vorhandenen Karten hinzugefügt.\n..."
constexpr unsigned StructureActive = 1110;     // "Aktiv"
constexpr unsigned StructurePage = 1127;       // "Seite %i"
// Names a screen reader gives the import table, its columns and the page
// buttons "<<" and ">>" of the card structure.
constexpr unsigned ImportRecords = 36342;      // "Datensätze der Datei"
constexpr unsigned ImportColumn = 36343;       // "Spalte %i"
constexpr unsigned ImportColumnTitled = 36344; // "Spalte %i: %s"
constexpr unsigned PreviousPageName = 36345;   // "Vorige Seite"
constexpr unsigned NextPageName = 36346;       // "Nächste Seite"
// Names a screen reader gives each preset term of the selection dialog, and
// the direction of a call that the call-list preview shows as an arrow.
constexpr unsigned PredefinedTermName = 36400; // "Vordefinierter Begriff %i"
constexpr unsigned CallIncoming = 36401;       // "Eingehend"
constexpr unsigned CallOutgoing = 36402;       // "Ausgehend"

}  // namespace velkaro::ctl
