#pragma once

#include "mainwindow/Commands.h"

#include <QMenu>
#include <QStringList>

namespace quibo::test {

// A menu's items as "path>text=id", separators as "path>-": the real menu and its table alike.
inline void flatten(const QList<QAction *> &actions, const QString &path, QStringList &out)
{
    for (const QAction *action : actions) {
        const QString prefix = path.isEmpty() ? QString() : path + u'>';
        if (action->isSeparator())
            out.append(prefix + u'-');
        else if (action->menu())
            flatten(action->menu()->actions(), prefix + action->text(), out);
        else
            out.append(prefix + action->text() + u'=' + QString::number(action->data().toInt()));
    }
}
inline void flatten(const QList<MenuItem> &items, const QString &path, QStringList &out)
{
    for (const MenuItem &item : items) {
        const QString prefix = path.isEmpty() ? QString() : path + u'>';
        if (item.isSeparator())
            out.append(prefix + u'-');
        else if (!item.children.isEmpty())
            flatten(item.children, prefix + item.text, out);
        else
            out.append(prefix + item.text + u'=' + QString::number(item.id));
    }
}
template <typename Items> QStringList flat(const Items &items)
{
    QStringList out;
    flatten(items, {}, out);
    return out;
}

inline QAction *findAction(const QMenu &menu, const QString &text)
{
    for (QAction *action : menu.actions()) {
        if (action->menu()) {
            if (QAction *found = findAction(*action->menu(), text))
                return found;
        } else if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

} // namespace quibo::test
