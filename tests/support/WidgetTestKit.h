#pragma once

#include <QApplication>
#include <QCoro/QCoroTask>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QWidget>

#include <memory>

namespace quibo::test {

// Set once `task` has completed.
inline std::shared_ptr<bool> whenDone(QCoro::Task<> task)
{
    auto done = std::make_shared<bool>(false);
    task.then([done] { *done = true; });
    return done;
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

// The first argument of every signal `spy` caught: the actions or positions reported.
inline QList<int> firstArguments(const QSignalSpy &spy)
{
    QList<int> ids;
    for (const QList<QVariant> &args : spy)
        ids.append(args.at(0).toInt());
    return ids;
}

} // namespace quibo::test
