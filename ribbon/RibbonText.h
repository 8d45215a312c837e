#pragma once

#include <QString>

// Helpers for texts that carry a keyboard mnemonic ("&Scan && PDF").
// Pure functions; any thread.
namespace Ribbon {

// The text as the user reads it: every single '&' dropped, "&&" turned into '&'.
// Used for accessible names, which screen readers speak without mnemonic marks.
QString plainText(const QString &mnemonicText);

// The text as rich text with the mnemonic letter underlined and everything else escaped,
// for labels that show a mnemonic without owning a shortcut.
QString mnemonicToHtml(const QString &mnemonicText);

// The character the mnemonic marks ('S' in "&Scan && PDF"), null when there is none.
QChar mnemonicChar(const QString &mnemonicText);

} // namespace Ribbon
