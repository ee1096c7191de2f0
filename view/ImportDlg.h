#pragma once

// The import dialog: which column of the read file goes into which card line
// (the field assignment page) and the import options (the settings page). The rules of both pages live in exchange/ImportConfig.h; the
// widgets here show them and hand the user's choices over.

#include "exchange/ImportConfig.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QIcon>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;

namespace velkaro {

class CImportTable;
class CKarte;
class CSettings;
class IMessageUi;

// The records of the import table as the list shows them, converted once.
class CImportTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    CImportTableModel(const CImportTable& table, IMessageUi& ui, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The column titles are the column numbers with the first record's text.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // "Spalte 3: Ort": column 3 (counted from 1) over the first record's
    // "Ort"; "Spalte 3" alone when that field is empty.
    QString ColumnName(int column) const;

private:
    std::vector<QStringList> m_rows;
    int m_columns = 0;
};

// The small pictures in front of every combo box item: none for "---", a
// mark for a line that some column feeds, an empty slot for a free line.
QIcon AssignPictureIcon(AssignPicture picture);

class CFieldAssignPageWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumnWidth = 120;
    static constexpr int kDropDownWidth = 200;
    static constexpr int kFirstComboId = 1100;
    // The item data role that holds an item's AssignPicture.
    static constexpr int kPictureRole = Qt::UserRole + 1;

    // The list is filled from the table (with a progress window) and the
    // automatic assignment is made over the first record.
    CFieldAssignPageWnd(const CImportTable& table, const CKarte* fieldNames, IMessageUi& ui,
                        QWidget* parent = nullptr);

    CFieldAssignPage& Logic() { return m_logic; }
    // Brings the combo boxes and their pictures up to the logic's state.
    void Refresh();

    int ComboCount() const { return static_cast<int>(m_combos.size()); }
    QComboBox* Combo(int i) const { return m_combos[static_cast<std::size_t>(i)]; }
    QTableView* List() const { return m_list; }
    QWidget* ComboStrip() const { return m_strip; }
    QPushButton* ClearAllButton() const { return m_clearAll; }
    QPushButton* StandardButton() const { return m_standard; }
    QPushButton* LoadButton() const { return m_load; }
    QPushButton* SaveButton() const { return m_save; }

signals:
    void loadRequested();
    void saveRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The steps of the constructor.
    void MakeButtons();
    void MakeList(const CImportTable& table, IMessageUi& ui);
    void MakeCombos(const CKarte* fieldNames);
    void LayOut();
    void Connect();

    void OnComboChosen(int combo, int item);
    void PlaceCombos();
    // Scrolls the list until the column of combo i shows (a combo outside
    // the visible width is hidden and Tab would pass it by) and focuses it.
    void FocusCombo(int i);
    // Tab and Shift+Tab walk the combo boxes one by one, the hidden ones
    // included; true when the key was taken.
    bool WalkCombos(QObject* watched, int key);

    CFieldAssignPage m_logic;
    QLabel* m_intro = nullptr;
    QLabel* m_assignments = nullptr;
    QPushButton* m_clearAll = nullptr;
    QPushButton* m_standard = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_save = nullptr;
    QWidget* m_strip = nullptr;
    QTableView* m_list = nullptr;
    CImportTableModel* m_model = nullptr;
    std::vector<QComboBox*> m_combos;
};

class CImportSettingsPageWnd : public QWidget {
    Q_OBJECT
public:
    explicit CImportSettingsPageWnd(QWidget* parent = nullptr);

    CImportSettingsPage& Logic() { return m_logic; }
    void Refresh();

    QCheckBox* SkipFirstBox() const { return m_skipFirst; }
    QCheckBox* OnlyNumbersBox() const { return m_onlyNumbers; }
    QCheckBox* DialableBox() const { return m_dialable; }
    QRadioButton* WindowsButton() const { return m_windows; }
    QRadioButton* DosButton() const { return m_dos; }

private:
    CImportSettingsPage m_logic;
    QCheckBox* m_skipFirst = nullptr;
    QCheckBox* m_onlyNumbers = nullptr;
    QCheckBox* m_dialable = nullptr;
    QRadioButton* m_windows = nullptr;
    QRadioButton* m_dos = nullptr;
    QButtonGroup* m_charset = nullptr;
};

class CImportDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 105;
    static constexpr int kMinWidth = 520;
    static constexpr int kMinHeight = 270;
    static constexpr int kTemplateWidth = 600;
    static constexpr int kTemplateHeight = 400;

    // config comes in with the options preloaded; on OK it holds the user's
    // assignment and options, on Cancel it is untouched. fieldNames labels
    // the lines when the card structure is active (else nullptr). Messages
    // and file choices go through ui; the placement is kept in settings.
    CImportDlg(const CImportTable& table, CImportConfig& config, const CKarte* fieldNames, IMessageUi& ui,
               CSettings& settings, QWidget* parent = nullptr);
    ~CImportDlg() override;

    QTabWidget* Tabs() const { return m_tabs; }
    CFieldAssignPageWnd* AssignPage() const { return m_assignPage; }
    CImportSettingsPageWnd* SettingsPage() const { return m_settingsPage; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* HelpButton() const { return m_help; }

    // Where the Help button sends its topic; nothing happens without one.
    void SetHelpHandler(std::function<void(int topic)> handler) { m_helpHandler = std::move(handler); }

    // OK: both pages are validated in order; a page that says no keeps the
    // dialog open.
    void accept() override;
    void done(int result) override;

    // "Laden..." and "Speichern..." of an import configuration file.
    void LoadConfig();
    void SaveConfig();

signals:
    // The Help button (topic kHelpTopic), also when no handler is set.
    void helpRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplyPlacement();
    void StorePlacement();
    void LayOut();
    void SetTabOrder();

    CImportConfig& m_config;
    IMessageUi& m_ui;
    CSettings& m_settings;
    QTabWidget* m_tabs = nullptr;
    CFieldAssignPageWnd* m_assignPage = nullptr;
    CImportSettingsPageWnd* m_settingsPage = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_help = nullptr;
    std::function<void(int)> m_helpHandler;
    bool m_placementStored = false;
};

// Runs the import dialog modally; true for OK (config then holds the choices).
// help, when given, opens the help topic of the Help button.
bool RunImportDialog(const CImportTable& table, CImportConfig& config, const CKarte* fieldNames,
                     IMessageUi& ui, CSettings& settings, QWidget* parent = nullptr,
                     std::function<void(int topic)> help = {});

}  // namespace velkaro
