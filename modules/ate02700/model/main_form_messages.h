#pragma once
// The message tables of the main form, as "key|text" entries in stored order: msgPadrao
// (errors, progress captions, titles) and msgMensagensPadroes (confirmations). The key is the
// part before the first "|"; the text is everything after it, line breaks included.

#include <QStringList>

namespace ate02700 {

// Keys carried by the server's coded error texts have exactly this many characters.
inline constexpr int kServerMessageKeyLength = 10;

QStringList MainFormMsgPadraoEntries();            // 43 entries
QStringList MainFormMsgMensagensPadroesEntries();  // 3 entries

}  // namespace ate02700
