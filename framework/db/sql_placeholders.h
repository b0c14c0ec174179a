#pragma once
// The `:NAME` placeholders of an SQL text, found the way Qt's SQL layer binds them: a colon
// followed by letters, digits or underscores, not preceded by another colon (so PostgreSQL's
// `x::text` casts are not placeholders), and not inside '...', "..." or `...` quotes.

#include <QString>
#include <QStringList>

// Names without the colon, each spelling once, in order of first appearance.
QStringList SqlPlaceholderNames(QStringView sql);
