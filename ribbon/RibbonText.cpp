#include "RibbonText.h"

namespace Ribbon {

namespace {

// Walks mnemonicText once, calling plain(c) for ordinary characters and mnemonic(c) for the
// character marked by the first single '&'. Later single '&' marks are dropped, as Qt does.
template <typename Plain, typename Mnemonic>
void walkMnemonic(const QString &mnemonicText, Plain plain, Mnemonic mnemonic)
{
    bool mnemonicSeen = false;
    for (qsizetype i = 0; i < mnemonicText.size(); ++i) {
        const QChar c = mnemonicText.at(i);
        if (c != QLatin1Char('&')) {
            plain(c);
            continue;
        }
        if (i + 1 >= mnemonicText.size())
            break; // a trailing '&' marks nothing
        const QChar next = mnemonicText.at(++i);
        if (next == QLatin1Char('&')) {
            plain(next);
        } else if (!mnemonicSeen) {
            mnemonicSeen = true;
            mnemonic(next);
        } else {
            plain(next);
        }
    }
}

} // namespace

QString plainText(const QString &mnemonicText)
{
    QString result;
    result.reserve(mnemonicText.size());
    const auto append = [&result](QChar c) { result.append(c); };
    walkMnemonic(mnemonicText, append, append);
    return result;
}

QString mnemonicToHtml(const QString &mnemonicText)
{
    QString result;
    const auto escaped = [](QChar c) { return QString(c).toHtmlEscaped(); };
    walkMnemonic(
        mnemonicText, [&](QChar c) { result += escaped(c); },
        [&](QChar c) { result += QLatin1String("<u>") + escaped(c) + QLatin1String("</u>"); });
    return result;
}

QChar mnemonicChar(const QString &mnemonicText)
{
    QChar result;
    walkMnemonic(
        mnemonicText, [](QChar) {}, [&result](QChar c) { result = c; });
    return result;
}

} // namespace Ribbon
