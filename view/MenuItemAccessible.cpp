#include "view/MenuItemAccessible.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QPointer>

namespace velkaro {

namespace {

class MenuItem : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    explicit MenuItem(QAction* action)
        : m_action(action)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    bool isValid() const override { return m_action && Menu(); }
    QObject* object() const override { return m_action; }
    QWindow* window() const override
    {
        QAccessibleInterface* menu = parent();
        return menu ? menu->window() : nullptr;
    }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(Menu()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!m_action)
            return {};
        if (t == QAccessible::Name)
            return MenuItemName(m_action->text());
        if (t == QAccessible::Accelerator)
            return Shortcut();
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        QMenu* menu = Menu();
        if (!menu || !menu->isVisible())
            return {};
        const QRect local = menu->actionGeometry(m_action);
        return QRect(menu->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!m_action)
            return s;
        QMenu* menu = Menu();
        s.focusable = true;
        s.disabled = !m_action->isEnabled();
        s.invisible = !m_action->isVisible();
        s.offscreen = !menu || !menu->isVisible();
        s.focused = s.hotTracked = menu && menu->activeAction() == m_action;
        s.checkable = m_action->isCheckable();
        s.checked = m_action->isChecked();
        return s;
    }

    QStringList actionNames() const override { return { pressAction() }; }
    void doAction(const QString& name) override
    {
        if (m_action && m_action->isEnabled() && name == pressAction())
            m_action->trigger();
    }
    QStringList keyBindingsForAction(const QString& name) const override
    {
        const QString shortcut = Shortcut();
        return name == pressAction() && !shortcut.isEmpty() ? QStringList { shortcut } : QStringList {};
    }

private:
    QMenu* Menu() const
    {
        if (!m_action)
            return nullptr;
        for (QObject* o : m_action->associatedObjects())
            if (auto* menu = qobject_cast<QMenu*>(o))
                return menu;
        return nullptr;
    }
    QString Shortcut() const { return m_action ? m_action->text().section(QLatin1Char('\t'), 1) : QString(); }

    QPointer<QAction> m_action;
};

}  // namespace

QAccessibleInterface* MenuItemAccessible(QAction* action)
{
    if (!action || !action->text().contains(QLatin1Char('\t')))
        return nullptr;
    return new MenuItem(action);
}

QString MenuItemName(const QString& text)
{
    const QString shown = text.section(QLatin1Char('\t'), 0, 0);
    QString name;
    name.reserve(shown.size());
    for (qsizetype i = 0; i < shown.size(); ++i) {
        // "&&" stands for one ampersand; a single one marks the next letter.
        if (shown[i] == QLatin1Char('&') && ++i >= shown.size())
            break;
        name += shown[i];
    }
    return name;
}

}  // namespace velkaro
