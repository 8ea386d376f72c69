#include "platform/Environment.h"

#include <cstdlib>
#include <cstring>

extern char **environ;

namespace platform {

namespace {

QList<TUserVariable> &Changed() {
    static QList<TUserVariable> changed;
    return changed;
}

void Remember(const char *name) {
    for (const TUserVariable &v : Changed())
        if (v.Name == name)
            return;
    const char *value = std::getenv(name);
    Changed().append({QByteArray(name), value ? std::optional<QByteArray>(QByteArray(value)) : std::nullopt});
}

} // namespace

void SetOwnVariable(const char *name, const QByteArray &value) {
    Remember(name);
    ::setenv(name, value.constData(), 1);
}

void UnsetOwnVariable(const char *name) {
    Remember(name);
    ::unsetenv(name);
}

QList<TUserVariable> UserVariables() { return Changed(); }

QList<QByteArray> UserEnvironment() {
    QList<QByteArray> out;
    for (char **e = environ; e && *e; ++e) {
        const char *eq = std::strchr(*e, '=');
        const QByteArray name = eq ? QByteArray(*e, eq - *e) : QByteArray(*e);
        bool ours = false;
        for (const TUserVariable &v : Changed())
            ours = ours || v.Name == name;
        if (!ours)
            out.append(QByteArray(*e));
    }
    for (const TUserVariable &v : Changed())
        if (v.Value)
            out.append(v.Name + '=' + *v.Value);
    return out;
}

} // namespace platform
