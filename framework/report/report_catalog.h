#pragma once
// The definitions of a report code in a reports folder: "CODE.rpt" (the one shipped) and the
// copies saved under other titles, "CODE - <title>.rpt". Each has its own title, which the
// operator chooses from.

#include <QString>

#include <vector>

struct TReportEntry {
    QString code;
    QString title;  // the definition's title; the file name when the file cannot be read
    QString filePath;
};

// The shipped definition first, then the copies by title. Empty when there is none (or the
// folder does not exist).
std::vector<TReportEntry> ListReportDefinitions(const QString& folder, const QString& code);

// The definition of `code` titled `title` (the first one when the title is empty).
// EReportNotFound (text Arq_Rel_Err) when the code has no definition; EReportError when no
// definition has that title.
TReportEntry FindReportDefinition(const QString& folder, const QString& code, const QString& title);

// Saves a copy of a definition under a new title, next to it, and returns the new entry.
// Refuses (EReportError) an empty title, a title already used by a definition of the code,
// and a source that does not parse. Never overwrites a file.
TReportEntry SaveReportCopy(const TReportEntry& source, const QString& newTitle);
