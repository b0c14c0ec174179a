#pragma once
// Writing a new file all at once, next to the others, without ever replacing one.

#include <QString>

#include <functional>

class QIODevice;

// Runs `write` on a temporary file in the target's folder (created when missing); when it
// succeeds, the file is flushed to disk and renamed to `basePath + extension`, or to
// `basePath_2 + extension`, `_3`... when that name is taken. Returns the final path. On any
// failure nothing is left behind and EReportError says why.
QString WriteNewFile(const QString& basePath, const QString& extension,
                     const std::function<bool(QIODevice& out)>& write);
