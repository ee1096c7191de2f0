#include "model/Document.h"

#include "text/Language.h"
#include "support/ScriptedUi.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::WriteAll;

std::unique_ptr<CKarte> NewCard(const std::string& name, const std::string& phone = {})
{
    auto card = std::make_unique<CKarte>();
    card->SetLine(0, name);
    if (!phone.empty())
        card->SetLine(1, phone);
    return card;
}

const std::string kHeader12("\x12\x0C\x04\x21\x19\x02\x61\x00\x0C", 9);

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLanguageOffset(kLangGerman);
        dir = fs::temp_directory_path() / ("velkaro-doc-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        doc.AddView([this](UpdateHint hint, CCardList* list) { hints.emplace_back(hint, list); });
    }
    void TearDown() override
    {
        SetLanguageOffset(kLangGerman);
        fs::remove_all(dir);
    }

    void AddCards(std::initializer_list<std::string> names)
    {
        for (const auto& name : names)
            doc.Cards().InsertSorted(NewCard(name), false);
    }

    // A backup file holding the cards Neu1 and Neu2.
    std::string BackupWithTwoCards()
    {
        CPcxDoc other;
        other.Cards().InsertSorted(NewCard("Neu1"), false);
        other.Cards().InsertSorted(NewCard("Neu2"), false);
        std::string path = (dir / "two.vlx").string();
        EXPECT_TRUE(other.Save(path));
        return path;
    }

    fs::path dir;
    CPcxDoc doc;
    test::ScriptedUi ui;
    std::vector<std::pair<UpdateHint, CCardList*>> hints;
};

TEST_F(DocumentTest, SaveBackupWithoutCardsOpensNoDialog)
{
    doc.OnSaveBackup(ui);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.LastText(), "Es sind keine Karten vorhanden");
    EXPECT_TRUE(ui.fileRequests.empty());
    EXPECT_FALSE(doc.CanSaveBackup());
    EXPECT_FALSE(doc.CanSendAll());
    EXPECT_FALSE(doc.CanSendEdited());
}

TEST_F(DocumentTest, SaveBackupWritesAndReports)
{
    AddCards({ "Anna", "Bert" });
    EXPECT_TRUE(doc.CanSaveBackup());
    std::string path = (dir / "backup.vlx").string();
    ui.files.push_back(path);
    doc.OnSaveBackup(ui);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    const FileRequest& request = ui.fileRequests[0];
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.defaultExt, "vlx");
    EXPECT_EQ(request.filter, "Velkaro Desktop-Dateien (*.vlx)|*.vlx|");
    EXPECT_TRUE(request.overwritePrompt);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Alle 2 Karten gespeichert in Datei\n" + path);
    EXPECT_EQ(ui.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(doc.LastWrittenPath(), path);
    EXPECT_EQ(ReadAll(path).substr(0, 9), kHeader12);
}

TEST_F(DocumentTest, SaveBackupCancelledOrFailed)
{
    AddCards({ "Anna" });
    ui.files.push_back(std::nullopt);
    doc.OnSaveBackup(ui);
    EXPECT_TRUE(ui.shown.empty());

    ui.files.push_back((dir / "no-such-folder" / "x.vlx").string());
    doc.OnSaveBackup(ui);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text.find("Alle"), std::string::npos);
    EXPECT_NE(ui.shown[0].text.find("x.vlx"), std::string::npos);
}

TEST_F(DocumentTest, LoadBackupReplacesTheCards)
{
    AddCards({ "Alt" });
    std::string path = BackupWithTwoCards();
    ui.answers.push_back(MsgAnswer::Ok);
    ui.files.push_back(path);
    doc.OnLoadBackup(ui);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, "Alle vorhandenen Karten werden gel\xf6scht und durch die neuen Karten ersetzt!");
    EXPECT_EQ(ui.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(ui.shown[1].text, "2 Karten geladen aus Datei\n" + path);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].filter, "Velkaro Desktop-Dateien (*.vlx)|*.vlx|Alle Dateien (*.*)|*.*|");
    EXPECT_TRUE(ui.fileRequests[0].fileMustExist);
    ASSERT_EQ(doc.Cards().Count(), 2);
    EXPECT_EQ(doc.Cards().At(0)->Name(), "Neu1");
    ASSERT_FALSE(hints.empty());
    EXPECT_EQ(hints.back().first, UpdateHint::All);
}

TEST_F(DocumentTest, ABackupNamedBeforehandIsLoadedAfterTheSameQuestionWithoutADialog)
{
    AddCards({ "Alt" });
    const std::string path = BackupWithTwoCards();
    ui.answers.push_back(MsgAnswer::Cancel);
    doc.LoadBackupFrom(ui, path);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(doc.Cards().Count(), 1);
    EXPECT_EQ(doc.Cards().At(0)->Name(), "Alt");

    ui.shown.clear();
    ui.answers.push_back(MsgAnswer::Ok);
    doc.LoadBackupFrom(ui, path);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, "Alle vorhandenen Karten werden gel\xf6scht und durch die neuen Karten ersetzt!");
    EXPECT_EQ(ui.shown[1].text, "2 Karten geladen aus Datei\n" + path);
    EXPECT_TRUE(ui.fileRequests.empty());
    ASSERT_EQ(doc.Cards().Count(), 2);
    EXPECT_EQ(doc.Cards().At(0)->Name(), "Neu1");

    // A file that is not a backup leaves the cards and says why.
    ui.shown.clear();
    ui.answers.push_back(MsgAnswer::Ok);
    doc.LoadBackupFrom(ui, (dir / "missing.vlx").string());
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].icon, MsgIcon::Warning);
    EXPECT_EQ(doc.Cards().Count(), 2);
}

TEST_F(DocumentTest, LoadBackupAndDeleteAllWriteTheWorkingFile)
{
    const std::string working = (dir / "Velkaro_Desktop.itx").string();
    AddCards({ "Alt" });
    doc.SetWorkingPath(working);
    ASSERT_TRUE(doc.AutoSave(false));
    ui.answers.push_back(MsgAnswer::Ok);
    ui.files.push_back(BackupWithTwoCards());
    doc.OnLoadBackup(ui);
    CCardList written;
    ASSERT_TRUE(LoadCardFile(working, written));
    ASSERT_EQ(written.Count(), 2);
    EXPECT_EQ(written.At(0)->Name(), "Neu1");

    ui.answers.push_back(MsgAnswer::Ok);
    doc.OnDeleteAllCards(ui);
    ASSERT_TRUE(LoadCardFile(working, written));
    EXPECT_TRUE(written.IsEmpty());

    // A cancelled deletion writes nothing.
    AddCards({ "Neu" });
    ui.answers.push_back(MsgAnswer::Cancel);
    doc.OnDeleteAllCards(ui);
    ASSERT_TRUE(LoadCardFile(working, written));
    EXPECT_TRUE(written.IsEmpty());
}

TEST_F(DocumentTest, LoadBackupWithoutCardsAsksNothing)
{
    std::string path = BackupWithTwoCards();
    ui.files.push_back(path);
    doc.OnLoadBackup(ui);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(doc.Cards().Count(), 2);
}

TEST_F(DocumentTest, LoadBackupCancelled)
{
    AddCards({ "Alt" });
    ui.answers.push_back(MsgAnswer::Cancel);
    doc.OnLoadBackup(ui);
    EXPECT_TRUE(ui.fileRequests.empty());

    ui.answers.push_back(MsgAnswer::Ok);
    ui.files.push_back(std::nullopt);
    doc.OnLoadBackup(ui);
    EXPECT_EQ(doc.Cards().Count(), 1);
    EXPECT_TRUE(hints.empty());
}

TEST_F(DocumentTest, FailedBackupLoadKeepsTheCards)
{
    AddCards({ "Anna", "Bert" });
    const std::string version13 = std::string("\x12\x0C\x04\x21\x19\x02\x61\x00\x0D\x00\x00", 11);
    const std::string damaged = kHeader12 + std::string("\x05\x00\xFF\xFF\x02\x00", 6);
    const std::string paths[] = { (dir / "v13.vlx").string(), (dir / "damaged.vlx").string(), (dir / "absent.vlx").string() };
    WriteAll(paths[0], version13);
    WriteAll(paths[1], damaged);
    for (const auto& path : paths) {
        ui.shown.clear();
        ui.answers.push_back(MsgAnswer::Ok);
        ui.files.push_back(path);
        doc.OnLoadBackup(ui);
        ASSERT_EQ(ui.shown.size(), 2u) << path;
        EXPECT_EQ(ui.shown[1].text.find("geladen"), std::string::npos) << ui.shown[1].text;
        EXPECT_EQ(doc.Cards().Count(), 2) << path;
    }
    EXPECT_EQ(ui.shown.size(), 2u);
}

TEST_F(DocumentTest, WrongFormatShowsItsMessage)
{
    AddCards({ "Anna" });
    std::string path = (dir / "bad.vlx").string();
    WriteAll(path, "not an archive at all");
    ui.answers.push_back(MsgAnswer::Ok);
    ui.files.push_back(path);
    doc.OnLoadBackup(ui);
    EXPECT_EQ(ui.LastText(), "Falsches Datei-Format");
}

TEST_F(DocumentTest, LoadedArchiveWithoutFieldNamesKeepsTheHeldOnes)
{
    auto names = NewCard(ReservedName(), "Mobil");
    doc.Cards().SetFieldNames(std::move(names));
    ASSERT_TRUE(doc.Open(BackupWithTwoCards()));
    ASSERT_NE(doc.Cards().FieldNames(), nullptr);
    EXPECT_EQ(doc.Cards().FieldNames()->GetLine(1), "Mobil");
}

TEST_F(DocumentTest, OldVersionTellsTheViewsOfTheNewList)
{
    std::string path = (dir / "v11.vlx").string();
    WriteAll(path, std::string("\x12\x0C\x04\x21\x19\x02\x61\x00\x0B\x02\x00"
                               "\xFF\xFF\x02\x00\x06\x00" "CKarte" "\x00\x00\x01\x00\x04" "Zora"
                               "\x01\x80\x00\x00\x01\x00\x04" "Anna",
                               43));
    ArchiveResult r = doc.Open(path);
    ASSERT_TRUE(r) << r.message;
    EXPECT_EQ(doc.FileVersion(), 11);
    ASSERT_EQ(doc.Cards().Count(), 2);
    EXPECT_EQ(doc.Cards().At(0)->Name(), "Anna");
    ASSERT_EQ(hints.size(), 1u);
    EXPECT_EQ(hints[0].first, UpdateHint::NewList);
    EXPECT_EQ(hints[0].second, &doc.Cards());
}

TEST_F(DocumentTest, DeleteAllCards)
{
    doc.OnDeleteAllCards(ui);
    EXPECT_EQ(ui.LastText(), "Es sind keine Karten vorhanden");

    AddCards({ "Anna", "Bert" });
    doc.Cards().SetFieldNames(NewCard(ReservedName()));
    ui.answers.push_back(MsgAnswer::Cancel);
    doc.OnDeleteAllCards(ui);
    EXPECT_EQ(ui.LastText(), "Die vorhandenen Karten werden gel\xf6scht!");
    EXPECT_EQ(doc.Cards().Count(), 2);

    ui.answers.push_back(MsgAnswer::Ok);
    doc.OnDeleteAllCards(ui);
    EXPECT_TRUE(doc.Cards().IsEmpty());
    EXPECT_NE(doc.Cards().FieldNames(), nullptr);
    ASSERT_FALSE(hints.empty());
    EXPECT_EQ(hints.back().first, UpdateHint::All);
}

TEST_F(DocumentTest, ReplaceCollectionTakesOutFieldNamesAndSaves)
{
    std::string working = (dir / "Velkaro_Desktop.itx").string();
    doc.SetWorkingPath(working);
    AddCards({ "Alt" });
    CCardList* before = &doc.Cards();
    auto received = std::make_unique<CCardList>();
    received->InsertSorted(NewCard("Neu"), false);
    received->InsertSorted(NewCard(ReservedName(), "Mobil"), false);
    doc.ReplaceCollection(std::move(received));
    EXPECT_EQ(&doc.Cards(), before);
    ASSERT_EQ(doc.Cards().Count(), 1);
    EXPECT_EQ(doc.Cards().At(0)->Name(), "Neu");
    ASSERT_NE(doc.Cards().FieldNames(), nullptr);
    ASSERT_EQ(hints.size(), 2u);
    EXPECT_EQ(hints[0].first, UpdateHint::NewList);
    EXPECT_EQ(hints[1].first, UpdateHint::All);
    CCardList written;
    ASSERT_TRUE(LoadCardFile(working, written));
    EXPECT_EQ(written.Count(), 1);
    EXPECT_NE(written.FieldNames(), nullptr);
}

TEST_F(DocumentTest, AutoSaveNeedsAWorkingPath)
{
    AddCards({ "Anna" });
    EXPECT_TRUE(doc.AutoSave(false));
    EXPECT_TRUE(fs::is_empty(dir));
    doc.SetWorkingPath((dir / "w.itx").string());
    EXPECT_TRUE(doc.AutoSave(true));
    EXPECT_TRUE(fs::exists(dir / "w.itx"));

    doc.SetUserInterface(&ui);
    doc.SetWorkingPath((dir / "gone" / "w.itx").string());
    EXPECT_FALSE(doc.AutoSave(false));
    EXPECT_EQ(ui.shown.size(), 1u);
}

TEST_F(DocumentTest, WorkingFileMissingCreatesTheFolder)
{
    std::string path = (dir / "Velkaro" / "Velkaro_Desktop.itx").string();
    AddCards({ "Anna" });
    EXPECT_TRUE(doc.OpenWorkingFile(path, ui));
    EXPECT_TRUE(fs::is_directory(dir / "Velkaro"));
    EXPECT_EQ(doc.WorkingPath(), path);
    EXPECT_TRUE(doc.Cards().IsEmpty());
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(DocumentTest, DamagedWorkingFileIsSetAsideAndAFreshOneSaved)
{
    std::string path = (dir / "Velkaro_Desktop.itx").string();
    const std::string damaged = kHeader12 + std::string("\x02\x00\xFF\xFF", 4);
    WriteAll(path, damaged);
    const std::time_t now = std::time(nullptr);
    std::tm day {};
    localtime_r(&now, &day);
    const std::string aside = CPcxDoc::DamagedName(path, day, 1);
    EXPECT_EQ(aside.substr(0, path.size() + 9), path + ".damaged-");
    EXPECT_EQ(aside.size(), path.size() + 19);  // YYYY-MM-DD

    EXPECT_TRUE(doc.OpenWorkingFile(path, ui));
    ASSERT_EQ(ui.shown.size(), 1u);
    const std::string& text = ui.shown[0].text;
    EXPECT_EQ(text.rfind("Die Arbeitsdatei " + path + " ist besch\xe4" "digt", 0), 0u) << text;
    EXPECT_NE(text.find("Unerwartetes Dateiende"), std::string::npos) << text;  // the reason
    EXPECT_NE(text.find(aside), std::string::npos) << text;
    EXPECT_EQ(text.find("anderen Programm"), std::string::npos) << text;
    EXPECT_EQ(ReadAll(aside), damaged);  // untouched
    EXPECT_EQ(doc.WorkingPath(), path);
    EXPECT_TRUE(doc.Cards().IsEmpty());
    EXPECT_EQ(ReadAll(path), kHeader12 + std::string("\x00\x00", 2));  // a fresh file at once

    // Changes are saved as usual.
    AddCards({ "Anna" });
    EXPECT_TRUE(doc.AutoSave(false));
    CCardList written;
    ASSERT_TRUE(LoadCardFile(path, written));
    EXPECT_EQ(written.Count(), 1);

    // A second damaged file on the same day does not replace the first.
    WriteAll(path, "no archive at all");
    CPcxDoc again;
    test::ScriptedUi ui2;
    EXPECT_TRUE(again.OpenWorkingFile(path, ui2));
    EXPECT_EQ(ReadAll(aside), damaged);
    EXPECT_EQ(ReadAll(CPcxDoc::DamagedName(path, day, 2)), "no archive at all");
    EXPECT_EQ(CPcxDoc::DamagedName(path, day, 2), aside + "-2");
}

TEST_F(DocumentTest, DamagedWorkingFileBehindALinkIsSetAsideBesideItsTarget)
{
    fs::create_directories(dir / "cloud");
    const fs::path target = dir / "cloud" / "cards.itx";
    const std::string damaged = kHeader12 + std::string("\x02\x00\xFF\xFF", 4);
    WriteAll(target, damaged);
    const fs::path link = dir / "Velkaro_Desktop.itx";
    fs::create_symlink(target, link);
    EXPECT_TRUE(doc.OpenWorkingFile(link.string(), ui));
    const std::time_t now = std::time(nullptr);
    std::tm day {};
    localtime_r(&now, &day);
    EXPECT_EQ(ReadAll(CPcxDoc::DamagedName(target.string(), day, 1)), damaged);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(target), kHeader12 + std::string("\x00\x00", 2));
}

TEST_F(DocumentTest, UnreadableWorkingFileIsNeverOverwritten)
{
    // A folder where the file should be cannot be read nor moved aside as a
    // damaged file: it is reported with the reason and left alone.
    std::string path = (dir / "Velkaro_Desktop.itx").string();
    fs::create_directories(path);
    EXPECT_FALSE(doc.OpenWorkingFile(path, ui));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text.rfind("Die Datei " + path + " konnte nicht geladen werden.", 0), 0u);
    EXPECT_NE(ui.shown[0].text.find("konnte nicht ge\xf6" "ffnet werden"), std::string::npos) << ui.shown[0].text;
    EXPECT_TRUE(doc.WorkingPath().empty());
    AddCards({ "Anna" });
    doc.AutoSave(true);
    EXPECT_TRUE(fs::is_directory(path));
}

TEST_F(DocumentTest, StartRemovesLeftoversOfCutOffSaves)
{
    std::string path = (dir / "Velkaro_Desktop.itx").string();
    pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const fs::path leftover = dir / (".Velkaro_Desktop.itx.tmp" + std::to_string(child) + "-0");
    WriteAll(leftover, "half a save");
    EXPECT_TRUE(doc.OpenWorkingFile(path, ui));
    EXPECT_FALSE(fs::exists(leftover));
}

TEST_F(DocumentTest, WorkingFileLoads)
{
    std::string path = BackupWithTwoCards();
    EXPECT_TRUE(doc.OpenWorkingFile(path, ui));
    EXPECT_EQ(doc.WorkingPath(), path);
    EXPECT_EQ(doc.Cards().Count(), 2);
}

TEST_F(DocumentTest, StatusCountText)
{
    AddCards({ "Anna", "Bert", "Carl" });
    EXPECT_EQ(doc.StatusCountText(), "3 Karten");
    SetLanguageOffset(kLangEnglish);
    EXPECT_EQ(doc.StatusCountText(), "3 Cards");
    SetLanguageOffset(kLangFrench);
    EXPECT_EQ(doc.StatusCountText(), "3 Fiches");
}

}  // namespace
}  // namespace velkaro
