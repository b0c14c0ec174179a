#pragma once
// The message table msgPadrao of the emission dialog, as "key|text" entries in stored order.
// Arq_Rel_Err, NovoCaption and NovoPrompt are read by the base report dialog.

#include <QStringList>

namespace ate02700 {

QStringList EmissionMsgPadraoEntries();  // 9 entries

}  // namespace ate02700
