#pragma once

#include <QStringList>
#include <QVariant>

#include <optional>

// The options of one open SANE device, looked up by their SANE names. Options can move
// when another option changes, so every call looks the name up again. Values outside an
// option's range or list are brought to the nearest allowed one. GUI thread only; the
// handle stays owned by the caller.
class SaneOptions
{
public:
    explicit SaneOptions(void *handle) : m_handle(handle) {}

    // True when the device offers the option now (present, active and settable).
    bool isSettable(const char *name) const;
    // The allowed values of a string-list option; empty when it has none.
    QStringList choices(const char *name) const;
    std::optional<double> number(const char *name) const;

    bool setString(const char *name, const QString &value);
    bool setNumber(const char *name, double value);
    bool setBool(const char *name, bool value);
    // By the option's own type; for settings that come from outside (scan area, tests).
    bool setValue(const QByteArray &name, const QVariant &value);

private:
    int find(const char *name) const;

    void *m_handle;
};
