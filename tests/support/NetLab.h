#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace quibo::test {

// The two-homes lab of scripts/netlab.sh, built for one test and removed after it. Building it
// and running commands in it block: do it between the parts of a test that run the event loop.
class NetLab {
public:
    struct Finished {
        int exitCode = -1; // -1: it did not end normally
        QString output;    // stdout and stderr together
    };

    // `options`: what the script's "up" takes besides the name ("--no-upnp", "--ipv6-only").
    explicit NetLab(const QStringList &options = {});
    ~NetLab();
    NetLab(const NetLab &) = delete;
    NetLab &operator=(const NetLab &) = delete;
    // Not up: problem() says why. skipped(): this machine cannot build one at all (not root,
    // no network namespaces), where a test skips instead of failing.
    [[nodiscard]] bool isUp() const { return m_built.exitCode == 0; }
    [[nodiscard]] bool skipped() const { return m_built.exitCode == 77; }
    [[nodiscard]] QString problem() const { return m_built.output.trimmed(); }
    // What the script printed: "home1", "router1_wan", "ns_home1", ...
    [[nodiscard]] QString value(const QString &key) const { return m_values.value(key); }

    // Runs `command` inside namespace `ns` to its end.
    static Finished run(const QString &ns, const QStringList &command);
private:
    QString m_name;
    Finished m_built;
    QMap<QString, QString> m_values;
};

// The calling thread, and the threads it starts from now on, in network namespace `ns` until
// destroyed.
class InNamespace {
public:
    explicit InNamespace(const QString &ns);
    ~InNamespace();
    InNamespace(const InNamespace &) = delete;
    InNamespace &operator=(const InNamespace &) = delete;
    [[nodiscard]] bool entered() const { return m_entered; }
private:
    int m_home = -1; // the namespace to go back to
    bool m_entered = false;
};

} // namespace quibo::test
