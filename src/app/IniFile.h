#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// An INI file with the semantics of the Windows profile functions:
// - section and key names compare case-insensitively, the first match wins;
// - names and values are trimmed of blanks and tabs, and a value loses one
//   pair of matching quotes around it;
// - a number that does not parse reads as the caller's default;
// - writing changes only the line concerned: comments, unknown sections and
//   keys and their order stay as they were; a new key goes after the last
//   entry of its section, a new section at the end of the file;
// - lines end with CR LF when written.
// The file is read whole by Load() and written whole by Save() through a
// temporary file and rename, so a crash never leaves a half-written file.
class TIniFile
{
public:
    enum class TEncoding { Utf8, Latin1 };

    TIniFile() = default;
    // Loads fileName at once; a missing or unreadable file gives an empty file.
    explicit TIniFile(const QString &fileName);

    // Reads the file; false (and an empty content) when it cannot be read.
    bool Load(const QString &fileName);
    // Writes to the file given, or the one loaded; false on any error, in which
    // case the old file is left untouched.
    bool Save(const QString &fileName = {});
    QString FileName() const { return m_fileName; }
    QString ErrorString() const { return m_error; }

    // Parses / produces the file's bytes. Text that is not valid UTF-8 is
    // taken as Latin-1 and written back as Latin-1 (as UTF-8 once it holds a
    // character Latin-1 cannot hold); a UTF-8 byte-order mark is kept.
    void SetContent(const QByteArray &bytes);
    QByteArray Content() const;
    TEncoding Encoding() const { return m_encoding; }
    void SetEncoding(TEncoding encoding) { m_encoding = encoding; }

    // Section and key lists in file order, with their spelling in the file;
    // repeated names are listed once.
    QStringList Sections() const;
    QStringList Keys(const QString &section) const;
    // Every key=value entry of a section in file order, repeats included.
    QList<QPair<QString, QString>> SectionValues(const QString &section) const;
    bool SectionExists(const QString &section) const;
    bool KeyExists(const QString &section, const QString &key) const;

    QString ReadString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    // Decimal with optional sign, or hexadecimal with "$" or "0x"; anything
    // else (including an empty value) gives defaultValue.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    // A number with "." as decimal point; anything else gives defaultValue.
    double ReadFloat(const QString &section, const QString &key, double defaultValue) const;
    // Any non-zero integer is true.
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;

    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    // Shortest text that reads back to the same double, "." as decimal point.
    void WriteFloat(const QString &section, const QString &key, double value);
    // Written as 1 or 0.
    void WriteBool(const QString &section, const QString &key, bool value);

    void DeleteKey(const QString &section, const QString &key);
    void EraseSection(const QString &section);
    void Clear();

    // Integer parsing with the rules of ReadInteger; false when text is no number.
    static bool ParseInteger(const QString &text, int &value);

private:
    struct TLine
    {
        QString text;   // the line as it stands in the file
        QString key;    // trimmed key of a key=value line; null for other lines
        QString value;  // trimmed value
    };
    struct TSection
    {
        QString name;   // trimmed name; null for the lines before the first section
        QString header; // the header line as it stands in the file
        QList<TLine> lines;
    };

    const TSection *FindSection(const QString &section) const;
    TSection *FindSection(const QString &section);
    static const TLine *FindLine(const TSection &section, const QString &key);
    static void AppendLine(TSection &section, TLine line);

    QList<TSection> m_sections;
    QString m_fileName;
    QString m_error;
    TEncoding m_encoding = TEncoding::Utf8;
    bool m_byteOrderMark = false;
};
