#pragma once
// Failures of the report engine, each with a text meant for the operator.

#include "framework/core/exceptions.h"

#include <QString>

// A definition that cannot be read or is malformed, a query that fails, an output that
// cannot be written.
class EReportError : public Exception {
public:
    using Exception::Exception;
};

// No definition of a report code in the reports folder. The text is the catalogue's
// Arq_Rel_Err; Code() and Folder() let a dialog word it from its own message table.
class EReportNotFound : public EReportError {
public:
    EReportNotFound(QString code, QString folder);
    const QString& Code() const { return code_; }
    const QString& Folder() const { return folder_; }

    // "O arquivo contendo a definição do relatório de código '%s' não foi encontrado no
    // diretório '%s'."
    static QString DefaultText();
    // The text with its two "%s" filled in order.
    static QString Format(const QString& text, const QString& code, const QString& folder);

private:
    QString code_, folder_;
};
