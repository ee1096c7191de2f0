#include "view/Accessibility.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "model/CardList.h"
#include "text/MessageIds.h"
#include "view/DisplayWnd.h"
#include "view/FieldNameWnd.h"
#include "view/MenuItemAccessible.h"
#include "view/IndexWnd.h"
#include "view/SoftkeyBar.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <algorithm>
#include <array>

namespace velkaro {

namespace {

// The interfaces of a widget's painted parts (rows, cells), made when a
// screen reader first asks for one and kept registered with Qt until the
// widget's own interface goes.
template <std::size_t N>
class PartInterfaces {
public:
    PartInterfaces() = default;
    PartInterfaces(const PartInterfaces&) = delete;
    PartInterfaces& operator=(const PartInterfaces&) = delete;
    ~PartInterfaces()
    {
        for (QAccessible::Id id : m_ids)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
    }

    template <typename Make>
    QAccessibleInterface* Get(int index, Make make) const
    {
        auto& id = m_ids[static_cast<std::size_t>(index)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(make());
        return QAccessible::accessibleInterface(id);
    }
    int IndexOf(const QAccessibleInterface* child) const
    {
        for (std::size_t i = 0; i < N; ++i)
            if (m_ids[i] && QAccessible::accessibleInterface(m_ids[i]) == child)
                return static_cast<int>(i);
        return -1;
    }

private:
    mutable std::array<QAccessible::Id, N> m_ids {};
};

QString Say(unsigned id)
{
    return ToQt(Text(id));
}

QString SayNumber(unsigned id, int number)
{
    return ToQt(FormatText(id, number));
}

// --- the display ------------------------------------------------------------

// The eight rows as they stand on the page shown, blanks at the ends left
// out; the offsets of the text interface count over these rows joined by
// line breaks.
std::array<QString, kDisplayRows> DisplayRows(const CDisplayWnd& display)
{
    std::array<QString, kDisplayRows> rows;
    const CLineEditor& editor = display.Editor();
    const CKarte* card = editor.ShownCard();
    if (!card)
        return rows;
    for (int r = 0; r < kDisplayRows; ++r) {
        std::string line(card->GetLine(CLineEditor::LineOfRow(r, editor.Page())));
        line.erase(line.find_last_not_of(' ') + 1);
        rows[static_cast<std::size_t>(r)] = ToQt(line);
    }
    return rows;
}

QString JoinRows(const std::array<QString, kDisplayRows>& rows)
{
    QStringList lines(rows.begin(), rows.end());
    return lines.join(QLatin1Char('\n'));
}

// The offset of a row and column in the joined text, the column held to
// the row's text.
int OffsetOf(const std::array<QString, kDisplayRows>& rows, int row, int column)
{
    int offset = 0;
    for (int r = 0; r < row && r < kDisplayRows; ++r)
        offset += static_cast<int>(rows[static_cast<std::size_t>(r)].size()) + 1;
    if (row >= 0 && row < kDisplayRows)
        offset += std::clamp(column, 0, static_cast<int>(rows[static_cast<std::size_t>(row)].size()));
    return offset;
}

class DisplayAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit DisplayAccessible(CDisplayWnd* display)
        : QAccessibleWidget(display, QAccessible::EditableText)
        , m_told(JoinRows(DisplayRows(*display)))
        , m_toldPage(display->Editor().Page())
    {
    }

    // Tells a listener what changed since it was last told: the text as
    // the smallest insertion, removal or replacement that turns the old
    // text into the new, the page (the description) and the caret.
    void Notify()
    {
        const QString now = JoinRows(DisplayRows(Display()));
        if (now != m_told) {
            NotifyTextChange(m_told, now);
            QAccessibleValueChangeEvent value(widget(), now);
            QAccessible::updateAccessibility(&value);
            m_told = now;
        }
        const int page = Display().Editor().Page();
        if (page != m_toldPage) {
            m_toldPage = page;
            QAccessibleEvent described(widget(), QAccessible::DescriptionChanged);
            QAccessible::updateAccessibility(&described);
        }
        QAccessibleTextCursorEvent cursor(widget(), cursorPosition());
        QAccessible::updateAccessibility(&cursor);
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: return Say(msg::AccDisplay);
        case QAccessible::Description: return SayNumber(msg::AccDisplayPage, Display().Editor().Page());
        case QAccessible::Value: return JoinRows(DisplayRows(Display()));
        default: return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = Display().IsEditing();
        s.readOnly = !Display().IsEditing();
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    // Text interface: the rows, the caret and the selection.
    QString text(int startOffset, int endOffset) const override
    {
        const QString all = JoinRows(DisplayRows(Display()));
        startOffset = std::clamp(startOffset, 0, static_cast<int>(all.size()));
        endOffset = std::clamp(endOffset, startOffset, static_cast<int>(all.size()));
        return all.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(JoinRows(DisplayRows(Display())).size()); }
    int cursorPosition() const override
    {
        const CLineEditor& editor = Display().Editor();
        if (!editor.IsEditing())
            return 0;
        return OffsetOf(DisplayRows(Display()), editor.CaretRow(), editor.CaretColumn());
    }
    void setCursorPosition(int) override {}
    int selectionCount() const override
    {
        const CLineEditor& editor = Display().Editor();
        return editor.IsEditing() && editor.HasSelection() ? 1 : 0;
    }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || selectionCount() == 0)
            return;
        const CLineEditor& editor = Display().Editor();
        const auto rows = DisplayRows(Display());
        const int page = editor.Page();
        const LinePos start = editor.SelectionStart();
        const LinePos end = editor.SelectionEnd();
        // Only what the page shows is selected text for the reader.
        int first = -1;
        int last = -1;
        for (int r = 0; r < kDisplayRows; ++r) {
            if (r < 2 && page > 1)
                continue;
            const int line = CLineEditor::LineOfRow(r, page);
            if (line < start.line || line > end.line)
                continue;
            if (first < 0)
                first = OffsetOf(rows, r, line == start.line ? start.column : 0);
            last = OffsetOf(rows, r, line == end.line ? end.column : kSmallRowChars);
        }
        if (first >= 0) {
            *startOffset = first;
            *endOffset = std::max(first, last);
        }
    }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }
    QRect characterRect(int offset) const override
    {
        const auto rows = DisplayRows(Display());
        int row = 0;
        int column = offset;
        while (row < kDisplayRows - 1 && column > rows[static_cast<std::size_t>(row)].size()) {
            column -= static_cast<int>(rows[static_cast<std::size_t>(row)].size()) + 1;
            ++row;
        }
        const int w = CLineEditor::CharWidth(row);
        const QRect local(Display().Editor().Margin() + column * w, kRowHeight * row, w, kRowHeight);
        return QRect(Display().mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        const QPoint local = Display().mapFromGlobal(point);
        const int row = std::clamp(local.y() / kRowHeight, 0, kDisplayRows - 1);
        const int column = (local.x() - Display().Editor().Margin()) / CLineEditor::CharWidth(row);
        return OffsetOf(DisplayRows(Display()), row, column);
    }
    void scrollToSubstring(int, int) override {}

private:
    const CDisplayWnd& Display() const { return *static_cast<const CDisplayWnd*>(widget()); }

    void NotifyTextChange(const QString& before, const QString& after)
    {
        const qsizetype shorter = std::min(before.size(), after.size());
        qsizetype head = 0;
        while (head < shorter && before[head] == after[head])
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
            ++tail;
        const int at = static_cast<int>(head);
        const QString removed = before.mid(head, before.size() - head - tail);
        const QString inserted = after.mid(head, after.size() - head - tail);
        if (removed.isEmpty()) {
            QAccessibleTextInsertEvent event(widget(), at, inserted);
            QAccessible::updateAccessibility(&event);
        } else if (inserted.isEmpty()) {
            QAccessibleTextRemoveEvent event(widget(), at, removed);
            QAccessible::updateAccessibility(&event);
        } else {
            QAccessibleTextUpdateEvent event(widget(), at, removed, inserted);
            QAccessible::updateAccessibility(&event);
        }
    }

    QString m_told;
    int m_toldPage;
};

// --- the index list ----------------------------------------------------------

// A part a widget paints (a row, a cell): no object of its own, no children,
// a text that is not edited.
class PaintedPartAccessible : public QAccessibleInterface {
public:
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
};

// A painted part of the widget whose interface is Owner: valid, placed and
// parented as its owner is.
template <typename Owner>
class PartOf : public PaintedPartAccessible {
public:
    PartOf(Owner* owner, int index)
        : m_owner(owner)
        , m_index(index)
    {
    }
    bool isValid() const override { return m_owner->isValid(); }
    QWindow* window() const override { return m_owner->window(); }
    QAccessibleInterface* parent() const override { return m_owner; }

protected:
    Owner* m_owner;
    int m_index;
};

// The names a listener was last told of a widget's painted parts. A screen
// reader keeps the name of an object once it has asked for it, so a part
// that shows something new (the row under the caret of the index list
// shows another card) must say so, or the old name is read again.
class PartNames {
public:
    void Notify(const QAccessibleInterface& owner)
    {
        const int count = owner.childCount();
        QStringList names;
        for (int i = 0; i < count; ++i) {
            QAccessibleInterface* part = owner.child(i);
            names << (part ? part->text(QAccessible::Name) : QString());
            if (part && (i >= m_names.size() || m_names[i] != names.back())) {
                QAccessibleEvent renamed(part, QAccessible::NameChanged);
                QAccessible::updateAccessibility(&renamed);
            }
        }
        m_names = names;
    }

private:
    QStringList m_names;
};

class IndexAccessible;

// One row of the index list: the name of the card it shows.
class IndexRowAccessible : public PartOf<IndexAccessible> {
public:
    using PartOf::PartOf;
    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;

private:
    const CKarte* Card() const;
};

class IndexAccessible : public QAccessibleWidget {
public:
    explicit IndexAccessible(CIndexWnd* list)
        : QAccessibleWidget(list, QAccessible::List)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: return Say(msg::AccIndexList);
        case QAccessible::Description: return Say(msg::AccIndexListHelp);
        case QAccessible::Value: {
            const CKarte* card = Card(0);
            return card ? ToQt(card->Name()) : QString();
        }
        default: return QAccessibleWidget::text(t);
        }
    }

    int childCount() const override
    {
        int n = 0;
        while (n < CIndexList::kRows && Card(n))
            ++n;
        return n;
    }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        return m_rows.Get(index, [&] { return new IndexRowAccessible(const_cast<IndexAccessible*>(this), index); });
    }
    int indexOfChild(const QAccessibleInterface* child) const override { return m_rows.IndexOf(child); }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint local = List().mapFromGlobal(QPoint(x, y));
        if (!List().rect().contains(local))
            return nullptr;
        return child(local.y() / kRowHeight);
    }
    QAccessibleInterface* focusChild() const override { return List().hasFocus() ? child(0) : nullptr; }

    const CKarte* Card(int row) const
    {
        const CIndexList& l = List().List();
        const CCardList* cards = l.CardList();
        if (!cards || cards->IsEmpty() || l.Top() < 0 || row < 0 || row >= CIndexList::kRows)
            return nullptr;
        return cards->At(l.ShownCards()[static_cast<std::size_t>(row)]);
    }
    const CIndexWnd& List() const { return *static_cast<const CIndexWnd*>(widget()); }
    void NotifyNames() { m_names.Notify(*this); }

private:
    PartInterfaces<CIndexList::kRows> m_rows;
    PartNames m_names;
};

bool IndexRowAccessible::isValid() const
{
    return m_owner->isValid() && Card();
}
const CKarte* IndexRowAccessible::Card() const
{
    return m_owner->Card(m_index);
}
QString IndexRowAccessible::text(QAccessible::Text t) const
{
    const CKarte* card = Card();
    if (!card)
        return {};
    if (t == QAccessible::Name)
        return ToQt(card->Name());
    if (t == QAccessible::Description) {
        QStringList about;
        if (m_index == 0)
            about << Say(msg::AccSelected);
        if (card->IsMarked())
            about << Say(msg::AccMarked);
        return about.join(QStringLiteral(", "));
    }
    return {};
}
QRect IndexRowAccessible::rect() const
{
    const CIndexWnd& list = m_owner->List();
    return QRect(list.mapToGlobal(QPoint(0, kRowHeight * m_index)), QSize(list.width(), kRowHeight));
}
QAccessible::State IndexRowAccessible::state() const
{
    QAccessible::State s;
    s.selectable = true;
    s.focusable = true;
    s.selected = m_index == 0;
    s.focused = m_index == 0 && m_owner->List().hasFocus();
    s.checkable = true;
    const CKarte* card = Card();
    s.checked = card && card->IsMarked();
    return s;
}

// --- the field-name column ---------------------------------------------------

class FieldNamesAccessible;

// The label beside one display row.
class FieldLabelAccessible : public PartOf<FieldNamesAccessible> {
public:
    using PartOf::PartOf;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        return s;
    }
};

class FieldNamesAccessible : public QAccessibleWidget {
public:
    explicit FieldNamesAccessible(CFieldNameWnd* column)
        : QAccessibleWidget(column, QAccessible::Grouping)
    {
    }
    // A label for every display row while there is a field-names card.
    int childCount() const override { return Column().HasLabels() ? kDisplayRows : 0; }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        return m_labels.Get(index,
                            [&] { return new FieldLabelAccessible(const_cast<FieldNamesAccessible*>(this), index); });
    }
    int indexOfChild(const QAccessibleInterface* child) const override { return m_labels.IndexOf(child); }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint local = Column().mapFromGlobal(QPoint(x, y));
        return Column().rect().contains(local) ? child(local.y() / kRowHeight) : nullptr;
    }
    const CFieldNameWnd& Column() const { return *static_cast<const CFieldNameWnd*>(widget()); }
    void NotifyNames() { m_names.Notify(*this); }

private:
    PartInterfaces<kDisplayRows> m_labels;
    PartNames m_names;
};

QString FieldLabelAccessible::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? ToQt(m_owner->Column().RowLabel(m_index)) : QString();
}
QRect FieldLabelAccessible::rect() const
{
    const CFieldNameWnd& column = m_owner->Column();
    return QRect(column.mapToGlobal(QPoint(0, kRowHeight * m_index)), QSize(column.width(), kRowHeight));
}

// --- the softkey bar ---------------------------------------------------------

class SoftkeyBarAccessible;

// One cell of the softkey bar as a button with its label.
class SoftkeyCellAccessible : public PartOf<SoftkeyBarAccessible>, public QAccessibleActionInterface {
public:
    using PartOf::PartOf;
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override;

    QStringList actionNames() const override { return { pressAction() }; }
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString& name) const override
    {
        if (name != pressAction())
            return {};
        return { QStringLiteral("Ctrl+F%1").arg(m_index + 1) };
    }

private:
    CSoftkeyBar& Bar() const;
};

class SoftkeyBarAccessible : public QAccessibleWidget {
public:
    explicit SoftkeyBarAccessible(CSoftkeyBar* bar)
        : QAccessibleWidget(bar, QAccessible::ToolBar)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return Say(msg::AccSoftkeyBar);
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return kSoftkeyCells; }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= kSoftkeyCells)
            return nullptr;
        return m_cells.Get(index,
                           [&] { return new SoftkeyCellAccessible(const_cast<SoftkeyBarAccessible*>(this), index); });
    }
    int indexOfChild(const QAccessibleInterface* child) const override { return m_cells.IndexOf(child); }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const int cell = Bar().CellAt(Bar().mapFromGlobal(QPoint(x, y)));
        return cell < 0 ? nullptr : child(cell);
    }
    CSoftkeyBar& Bar() const { return *static_cast<CSoftkeyBar*>(widget()); }
    void NotifyNames() { m_names.Notify(*this); }

private:
    PartInterfaces<kSoftkeyCells> m_cells;
    PartNames m_names;
};

CSoftkeyBar& SoftkeyCellAccessible::Bar() const
{
    return m_owner->Bar();
}
QString SoftkeyCellAccessible::text(QAccessible::Text t) const
{
    const int code = Bar().ActionCode(m_index);
    if (t == QAccessible::Name) {
        if (code >= softkey::More && code <= softkey::Mark)
            return CSoftkeyBar::LabelText(code, LanguageRow());
        if (code >= softkey::Page1 && code <= softkey::Page5)
            return SayNumber(msg::AccSoftkeyPage, code - softkey::Page1 + 1);
        return Say(msg::AccEmptyCell);
    }
    if (t == QAccessible::Accelerator)
        return QStringLiteral("Ctrl+F%1").arg(m_index + 1);
    return {};
}
QRect SoftkeyCellAccessible::rect() const
{
    const QRect local = Bar().CellRect(m_index);
    return QRect(Bar().mapToGlobal(local.topLeft()), local.size());
}
QAccessible::State SoftkeyCellAccessible::state() const
{
    QAccessible::State s;
    const int code = Bar().ActionCode(m_index);
    s.disabled = code == softkey::Empty || code == 6;
    s.pressed = Bar().IsHighlighted(m_index);
    return s;
}
void SoftkeyCellAccessible::doAction(const QString& name)
{
    if (name == pressAction() && !state().disabled)
        Bar().PressCell(m_index);
}

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    if (auto* display = qobject_cast<CDisplayWnd*>(object))
        return new DisplayAccessible(display);
    if (auto* list = qobject_cast<CIndexWnd*>(object))
        return new IndexAccessible(list);
    if (auto* bar = qobject_cast<CSoftkeyBar*>(object))
        return new SoftkeyBarAccessible(bar);
    if (auto* column = qobject_cast<CFieldNameWnd*>(object))
        return new FieldNamesAccessible(column);
    if (auto* action = qobject_cast<QAction*>(object))
        return MenuItemAccessible(action);
    return nullptr;
}

// The interface Qt made for a widget of ours, if a listener is there to
// be told anything.
template <typename Interface>
Interface* ListenedInterface(QWidget* widget)
{
    if (!widget || !QAccessible::isActive())
        return nullptr;
    return dynamic_cast<Interface*>(QAccessible::queryAccessibleInterface(widget));
}

}  // namespace

void InstallAccessibleInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

QString DisplayAccessibleText(const QWidget* display)
{
    const auto* d = qobject_cast<const CDisplayWnd*>(display);
    return d ? JoinRows(DisplayRows(*d)) : QString();
}

void NotifyDisplayChanged(QWidget* display)
{
    if (auto* iface = ListenedInterface<DisplayAccessible>(display))
        iface->Notify();
}

void NotifyIndexListChanged(QWidget* list)
{
    auto* iface = ListenedInterface<IndexAccessible>(list);
    if (!iface)
        return;
    iface->NotifyNames();
    if (list->hasFocus() && iface->childCount() > 0) {
        QAccessibleEvent focus(iface->child(0), QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void NotifyFieldNamesChanged(QWidget* column)
{
    if (auto* iface = ListenedInterface<FieldNamesAccessible>(column))
        iface->NotifyNames();
}

void NotifySoftkeysChanged(QWidget* bar)
{
    if (auto* iface = ListenedInterface<SoftkeyBarAccessible>(bar))
        iface->NotifyNames();
}

}  // namespace velkaro
