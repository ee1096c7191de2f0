// Pictures of the main window in its states and of the selection and card
// structure dialogs, in the three languages, written to
// <build>/screenshots/ for looking at. The checks are light: the pictures
// are for the eye; what matters in them is tested elsewhere.

#include "../support/ScriptedUi.h"

#include "app/Application.h"
#include "text/Language.h"
#include "app/MainFrame.h"
#include "settings/Settings.h"
#include "text/Menus.h"
#include "view/CardStructureDlg.h"
#include "view/DisplayWnd.h"
#include "view/IndexWnd.h"
#include "view/PcxView.h"
#include "view/SelectionDlg.h"

#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace velkaro;

class FrontPictures : public QObject {
    Q_OBJECT

private:
    QString dir;

    static void AddCards(CPcxDoc& doc)
    {
        const std::vector<std::vector<const char*>> cards = {
            { "Albrecht Anna", "030 4412 7788", "Lindenstrasse 12", "10969 Berlin" },
            { "Arnold Hotel", "089 2233 11", "HOTEL am Markt", "Marktplatz 1", "80331 M\xFCnchen" },
            { "Bauer Peter", "0171 555 1234", "KUNDE seit 2004" },
            { "Berger Praxis", "040 339 200", "Dr. med. Berger", "Allgemeinmedizin" },
            { "Fischer Lieferant", "0711 90 12 0", "LIEFERANT Papier", "Fax 0711 90 12 99" },
            { "Meier Karl", "0221 77 66 55", "PRIVAT", "Geburtstag 3. Mai" },
            { "M\xFCller Eva", "06221 12 34 56" },
            { "Schmidt GmbH", "069 800 700", "Einkauf: Frau Roth" },
            { "Weber Tom", "0351 44 22 11" },
            { "Zander Ute", "0391 12 00 12" },
        };
        for (const auto& lines : cards) {
            auto card = std::make_unique<CKarte>();
            int i = 0;
            for (const char* line : lines)
                card->SetLine(i++, line);
            if (std::string(lines[0]).rfind("Meier", 0) == 0)
                card->SetMarkByte(1);
            doc.Cards().InsertSorted(std::move(card), false);
        }
        doc.Cards().At(1)->SetLine(14, "Zimmer 12 reserviert");
    }

    void Save(QWidget& w, const QString& name)
    {
        QImage image = w.grab().toImage();
        QVERIFY(!image.isNull());
        QVERIFY(image.save(dir + u'/' + name + QStringLiteral(".png")));
    }

private slots:
    void initTestCase()
    {
        dir = QStringLiteral(VELKARO_BINARY_DIR "/screenshots");
        QDir().mkpath(dir);
    }

    void frontInEachLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("tag");
        QTest::newRow("de") << kLangGerman << QStringLiteral("de");
        QTest::newRow("en") << kLangEnglish << QStringLiteral("en");
        QTest::newRow("fr") << kLangFrench << QStringLiteral("fr");
    }

    void frontInEachLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, tag);
        test::ScriptedUi ui;
        CSettings settings;
        CPcxApp app(settings);
        app.SetUserInterface(&ui);
        AddCards(app.Document());
        CMainFrame frame(app);
        app.SetLanguage(language, true);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        CPcxView* view = frame.View();
        view->IndexList()->Reset();

        Save(frame, QStringLiteral("frame-%1-list").arg(tag));

        view->OpenCard(1);
        Save(frame, QStringLiteral("frame-%1-card").arg(tag));

        // Editing with a selection over part of the address line.
        view->RowKey(2);
        QTest::keyClick(view->Display(), Qt::Key_End);
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(view->Display(), Qt::Key_Left, Qt::ShiftModifier);
        Save(frame, QStringLiteral("frame-%1-editing").arg(tag));

        // The page choice, on page 3 with its lines.
        view->Stop();
        view->OpenCard(1);
        view->DoSoftkeyAction(0);
        view->DoSoftkeyAction(9);
        Save(frame, QStringLiteral("frame-%1-pages").arg(tag));

        // A selection in the list, with its panel.
        view->Stop();
        view->SetDialogRunner([](QDialog& d) {
            auto& dialog = dynamic_cast<CSelectionDlg&>(d);
            dialog.SearchEdit()->setText(QStringLiteral("Hotel"));
            return true;
        });
        view->OnSelection();
        Save(frame, QStringLiteral("frame-%1-selection").arg(tag));
        view->OnSelection();

        // The field-name column after naming the fields.
        view->SetDialogRunner([](QDialog& d) {
            auto& dialog = dynamic_cast<CCardStructureDlg&>(d);
            const char* labels[] = { "Strasse", "Ort", "Bemerkung" };
            for (int i = 0; i < 3; ++i) {
                QLineEdit* edit = dialog.Edit(1113 + i);
                edit->setText(QString::fromLatin1(labels[i]));
                edit->setModified(true);
            }
            dialog.Edit(1112)->setText(QStringLiteral("Mobil"));
            dialog.Edit(1112)->setModified(true);
            dialog.accept();
            return true;
        });
        view->OnCardStructure();
        view->OpenCard(0);
        Save(frame, QStringLiteral("frame-%1-fieldnames").arg(tag));

        // The dialogs as they open.
        CSelectionDlg selection("mei", true, &frame);
        selection.show();
        QVERIFY(QTest::qWaitForWindowExposed(&selection));
        Save(selection, QStringLiteral("dialog-%1-selection").arg(tag));
        CCardStructureDlg structure(app.Document().Cards().FieldNames(), true, &frame);
        structure.show();
        QVERIFY(QTest::qWaitForWindowExposed(&structure));
        Save(structure, QStringLiteral("dialog-%1-structure").arg(tag));
        structure.NextButton()->click();
        structure.NextButton()->click();
        Save(structure, QStringLiteral("dialog-%1-structure-page3").arg(tag));
        SetLanguageOffset(kLangGerman);
    }
};

QTEST_MAIN(FrontPictures)
#include "tst_frontpictures.moc"
