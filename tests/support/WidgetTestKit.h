#pragma once

#include "RunTask.h"

#include <QApplication>
#include <QCoro/QCoroTask>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QWidget>

#include <memory>
#include <optional>

namespace quibo::test {

// Set once `task` has completed.
inline std::shared_ptr<bool> whenDone(QCoro::Task<> task)
{
    auto done = std::make_shared<bool>(false);
    task.then([done] { *done = true; });
    return done;
}

// The result of `task` once it has completed.
template <typename T> std::shared_ptr<std::optional<T>> result(QCoro::Task<T> task)
{
    auto value = std::make_shared<std::optional<T>>();
    task.then([value](T v) { *value = std::move(v); });
    return value;
}

// The visible top-level window of type T, or nullptr.
template <typename T> T *openWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
            return t;
    return nullptr;
}

// The child of `parent` named `name` (a label unless told), or nullptr.
template <typename T = QLabel> T *child(QWidget *parent, const char *name)
{
    return parent->findChild<T *>(QString::fromLatin1(name));
}

inline QPushButton *button(QWidget *parent, const char *name)
{
    return child<QPushButton>(parent, name);
}

// The texts of the buttons a user sees on `dialog`.
inline QStringList buttonTexts(QWidget *dialog)
{
    QStringList texts;
    for (const QPushButton *b : dialog->findChildren<QPushButton *>())
        if (b->window() == dialog && b->isVisibleTo(dialog))
            texts.append(b->text());
    return texts;
}

// The first argument of every signal `spy` caught: the actions or positions reported.
inline QList<int> firstArguments(const QSignalSpy &spy)
{
    QList<int> ids;
    for (const QList<QVariant> &args : spy)
        ids.append(args.at(0).toInt());
    return ids;
}

} // namespace quibo::test
