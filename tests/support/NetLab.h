#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace quibo::test {

// The two-homes lab of scripts/netlab.sh, built for one test and removed after it: two homes
// behind translating routers (with miniupnpd, unless `upnp` is false) and a public host.
// Building and running commands block: call them outside the event loop's work.
class NetLab {
public:
    struct Options {
        bool upnp = true;
        bool ipv6Only = false;
    };
    struct Finished {
        int exitCode = -1; // -1: it did not end normally
        QString output;    // stdout and stderr together
    };

    explicit NetLab(Options options);
    ~NetLab();
    NetLab(const NetLab &) = delete;
    NetLab &operator=(const NetLab &) = delete;

    // Built; else problem() says why, and skipped() whether the machine cannot build it at
    // all (not root, no network namespaces), where a test skips instead of failing.
    [[nodiscard]] bool isUp() const { return m_up; }
    [[nodiscard]] bool skipped() const { return m_skipped; }
    [[nodiscard]] QString problem() const { return m_problem; }

    // What the script printed: "home1", "router1_wan", "public", "ns_home1", ...
    [[nodiscard]] QString value(const QString &key) const { return m_values.value(key); }

    // Runs `command` inside namespace `ns` to its end.
    [[nodiscard]] static Finished run(const QString &ns, const QStringList &command);

private:
    static Finished script(const QStringList &arguments);

    QString m_name;
    bool m_up = false;
    bool m_skipped = false;
    QString m_problem;
    QMap<QString, QString> m_values;
};

// The calling thread, and every thread it starts from now on, in network namespace `ns`
// until destroyed.
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
