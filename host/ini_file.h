#pragma once
// A settings file in the INI layout, read exactly as written: "[section]" lines, "key = value"
// lines, and comment lines starting with ";" or "#". Keys are compared without letter case;
// values keep every character (no escapes, no lists), with the blanks around them trimmed.
// A line that is none of these, or a key given twice in one section, is refused with a
// message naming the file and the line.

#include <QString>

#include <map>
#include <optional>
#include <vector>

class TIniFile {
public:
    struct Entry {
        QString section;  // lower case
        QString key;      // lower case
        QString value;
        int line = 0;
    };

    // Raises Exception with a Portuguese message naming `source`.
    static TIniFile Parse(const QString& text, const QString& source);
    // Reads and parses a file (UTF-8); raises when it cannot be read.
    static TIniFile Load(const QString& path);

    const QString& Source() const { return source_; }
    const std::vector<Entry>& Entries() const { return entries_; }
    std::optional<QString> Value(const QString& section, const QString& key) const;

private:
    QString source_;
    std::vector<Entry> entries_;
};
