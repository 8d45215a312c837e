#include "SaneOptions.h"

#include "SaneStatusText.h"

#include <QLoggingCategory>

#include <sane/sane.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {
Q_LOGGING_CATEGORY(lcSane, "quillary.scan.sane")

const SANE_Option_Descriptor *descriptor(void *handle, int index)
{
    return index > 0 ? sane_get_option_descriptor(handle, index) : nullptr;
}

bool settable(const SANE_Option_Descriptor *option)
{
    return option && SANE_OPTION_IS_ACTIVE(option->cap) && SANE_OPTION_IS_SETTABLE(option->cap);
}

// The allowed value nearest to value, in the option's own units.
double nearestAllowed(const SANE_Option_Descriptor *option, double value)
{
    const bool fixed = option->type == SANE_TYPE_FIXED;
    auto toDouble = [fixed](SANE_Word word) { return fixed ? SANE_UNFIX(word) : double(word); };
    if (option->constraint_type == SANE_CONSTRAINT_RANGE && option->constraint.range) {
        const SANE_Range *range = option->constraint.range;
        const double low = toDouble(range->min);
        const double high = toDouble(range->max);
        double result = std::clamp(value, low, high);
        const double quant = toDouble(range->quant);
        if (quant > 0)
            result = std::min(high, low + std::round((result - low) / quant) * quant);
        return result;
    }
    if (option->constraint_type == SANE_CONSTRAINT_WORD_LIST && option->constraint.word_list) {
        const SANE_Word *list = option->constraint.word_list;
        double best = value;
        double bestDistance = -1;
        for (int i = 1; i <= list[0]; ++i) {
            const double candidate = toDouble(list[i]);
            const double distance = std::abs(candidate - value);
            if (bestDistance < 0 || distance < bestDistance) {
                best = candidate;
                bestDistance = distance;
            }
        }
        return best;
    }
    return value;
}
} // namespace

int SaneOptions::find(const char *name) const
{
    for (int index = 1;; ++index) {
        const SANE_Option_Descriptor *option = sane_get_option_descriptor(m_handle, index);
        if (!option)
            return -1;
        if (option->name && std::strcmp(option->name, name) == 0)
            return index;
    }
}

bool SaneOptions::isSettable(const char *name) const
{
    return settable(descriptor(m_handle, find(name)));
}

QStringList SaneOptions::choices(const char *name) const
{
    QStringList result;
    const SANE_Option_Descriptor *option = descriptor(m_handle, find(name));
    if (!option || option->type != SANE_TYPE_STRING ||
        option->constraint_type != SANE_CONSTRAINT_STRING_LIST || !option->constraint.string_list)
        return result;
    for (const SANE_String_Const *entry = option->constraint.string_list; *entry; ++entry)
        result << QString::fromUtf8(*entry);
    return result;
}

std::optional<double> SaneOptions::number(const char *name) const
{
    const int index = find(name);
    const SANE_Option_Descriptor *option = descriptor(m_handle, index);
    if (!option || !SANE_OPTION_IS_ACTIVE(option->cap) || option->size < int(sizeof(SANE_Word)))
        return std::nullopt;
    if (option->type != SANE_TYPE_INT && option->type != SANE_TYPE_FIXED)
        return std::nullopt;
    std::vector<SANE_Word> words(size_t(option->size) / sizeof(SANE_Word));
    if (sane_control_option(m_handle, index, SANE_ACTION_GET_VALUE, words.data(), nullptr) !=
        SANE_STATUS_GOOD)
        return std::nullopt;
    return option->type == SANE_TYPE_FIXED ? SANE_UNFIX(words[0]) : double(words[0]);
}

bool SaneOptions::setString(const char *name, const QString &value)
{
    const int index = find(name);
    const SANE_Option_Descriptor *option = descriptor(m_handle, index);
    if (!settable(option) || option->type != SANE_TYPE_STRING)
        return false;
    QByteArray buffer = value.toUtf8();
    if (buffer.size() >= option->size)
        return false;
    buffer.append(QByteArray(option->size - buffer.size(), '\0'));
    const SANE_Status status =
        sane_control_option(m_handle, index, SANE_ACTION_SET_VALUE, buffer.data(), nullptr);
    if (status != SANE_STATUS_GOOD)
        qCDebug(lcSane) << "option" << name << "not set to" << value << saneStatusText(status);
    return status == SANE_STATUS_GOOD;
}

bool SaneOptions::setNumber(const char *name, double value)
{
    const int index = find(name);
    const SANE_Option_Descriptor *option = descriptor(m_handle, index);
    if (!settable(option) || (option->type != SANE_TYPE_INT && option->type != SANE_TYPE_FIXED) ||
        option->size < int(sizeof(SANE_Word)))
        return false;
    const double allowed = nearestAllowed(option, value);
    const SANE_Word word =
        option->type == SANE_TYPE_FIXED ? SANE_FIX(allowed) : SANE_Word(std::lround(allowed));
    // Array options (a resolution per axis, for instance) take the value in every element.
    std::vector<SANE_Word> words(size_t(option->size) / sizeof(SANE_Word), word);
    const SANE_Status status =
        sane_control_option(m_handle, index, SANE_ACTION_SET_VALUE, words.data(), nullptr);
    if (status != SANE_STATUS_GOOD)
        qCDebug(lcSane) << "option" << name << "not set to" << allowed << saneStatusText(status);
    return status == SANE_STATUS_GOOD;
}

bool SaneOptions::setBool(const char *name, bool value)
{
    const int index = find(name);
    const SANE_Option_Descriptor *option = descriptor(m_handle, index);
    if (!settable(option) || option->type != SANE_TYPE_BOOL)
        return false;
    SANE_Bool word = value ? SANE_TRUE : SANE_FALSE;
    const SANE_Status status =
        sane_control_option(m_handle, index, SANE_ACTION_SET_VALUE, &word, nullptr);
    return status == SANE_STATUS_GOOD;
}

bool SaneOptions::setValue(const QByteArray &name, const QVariant &value)
{
    const SANE_Option_Descriptor *option = descriptor(m_handle, find(name.constData()));
    if (!option)
        return false;
    switch (option->type) {
    case SANE_TYPE_BOOL:
        return setBool(name.constData(), value.toBool());
    case SANE_TYPE_INT:
    case SANE_TYPE_FIXED:
        return setNumber(name.constData(), value.toDouble());
    case SANE_TYPE_STRING:
        return setString(name.constData(), value.toString());
    default:
        return false;
    }
}
