#include "app/IniFile.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <limits>

namespace {

const QByteArray kUtf8Mark("\xEF\xBB\xBF");

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Blanks and tabs only, as the profile functions trim.
QString TrimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t'))
        ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.mid(begin, end - begin).toString();
}

// A value or key may not break the line structure of the file.
QString OneLine(const QString &text)
{
    QString line = text;
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line;
}

// Trimmed, and without one pair of matching quotes around it.
QString ValueOf(QStringView text)
{
    QString value = TrimBlanks(text);
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == u'"' || value.front() == u'\''))
        value = value.mid(1, value.size() - 2);
    return value;
}

bool IsComment(const QString &trimmed)
{
    return trimmed.startsWith(u';');
}

} // namespace

TIniFile::TIniFile(const QString &fileName)
{
    Load(fileName);
}

bool TIniFile::Load(const QString &fileName)
{
    m_fileName = fileName;
    m_error.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = file.errorString();
        SetContent({});
        return false;
    }
    SetContent(file.readAll());
    return true;
}

bool TIniFile::Save(const QString &fileName)
{
    if (!fileName.isEmpty())
        m_fileName = fileName;
    m_error.clear();
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
        return false;
    }
    const QByteArray bytes = Content();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        m_error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

void TIniFile::SetContent(const QByteArray &bytes)
{
    Clear();
    QByteArrayView data(bytes);
    m_byteOrderMark = data.startsWith(kUtf8Mark);
    if (m_byteOrderMark)
        data = data.sliced(kUtf8Mark.size());

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    m_encoding = TEncoding::Utf8;
    if (utf8.hasError()) {
        text = QString::fromLatin1(data);
        m_encoding = TEncoding::Latin1;
    }

    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (i == lines.size() - 1 && line.isEmpty())
            break; // the text after the last line break
        const QString trimmed = TrimBlanks(line);
        if (trimmed.startsWith(u'[')) {
            qsizetype close = trimmed.indexOf(u']');
            if (close < 0)
                close = trimmed.size();
            m_sections.append(TSection{TrimBlanks(QStringView(trimmed).mid(1, close - 1)), line, {}});
            continue;
        }
        TLine entry{line, {}, {}};
        const qsizetype equals = line.indexOf(u'=');
        if (equals >= 0 && !IsComment(trimmed)) {
            entry.key = TrimBlanks(QStringView(line).left(equals));
            entry.value = ValueOf(QStringView(line).mid(equals + 1));
        }
        m_sections.last().lines.append(entry);
    }
}

QByteArray TIniFile::Content() const
{
    QString text;
    for (const TSection &section : m_sections) {
        if (!section.name.isNull())
            text += section.header + QLatin1String("\r\n");
        for (const TLine &line : section.lines)
            text += line.text + QLatin1String("\r\n");
    }
    const bool latin1 = m_encoding == TEncoding::Latin1
        && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
    QByteArray bytes = latin1 ? text.toLatin1() : text.toUtf8();
    if (m_byteOrderMark && !latin1)
        bytes.prepend(kUtf8Mark);
    return bytes;
}

QStringList TIniFile::Sections() const
{
    QStringList names;
    for (const TSection &section : m_sections) {
        if (!section.name.isNull() && !names.contains(section.name, Qt::CaseInsensitive))
            names.append(section.name);
    }
    return names;
}

QStringList TIniFile::Keys(const QString &section) const
{
    QStringList keys;
    if (const TSection *found = FindSection(section)) {
        for (const TLine &line : found->lines) {
            if (!line.key.isNull() && !keys.contains(line.key, Qt::CaseInsensitive))
                keys.append(line.key);
        }
    }
    return keys;
}

QList<QPair<QString, QString>> TIniFile::SectionValues(const QString &section) const
{
    QList<QPair<QString, QString>> values;
    if (const TSection *found = FindSection(section)) {
        for (const TLine &line : found->lines) {
            if (!line.key.isNull())
                values.append({line.key, line.value});
        }
    }
    return values;
}

bool TIniFile::SectionExists(const QString &section) const
{
    return FindSection(section) != nullptr;
}

bool TIniFile::KeyExists(const QString &section, const QString &key) const
{
    const TSection *found = FindSection(section);
    return found && FindLine(*found, key);
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const TSection *found = FindSection(section);
    const TLine *line = found ? FindLine(*found, key) : nullptr;
    return line ? line->value : defaultValue;
}

bool TIniFile::ParseInteger(const QString &text, int &value)
{
    QStringView digits(text);
    bool negative = false;
    if (digits.startsWith(u'+') || digits.startsWith(u'-')) {
        negative = digits.startsWith(u'-');
        digits = digits.mid(1);
    }
    int base = 10;
    if (digits.startsWith(u'$')) {
        base = 16;
        digits = digits.mid(1);
    } else if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        digits = digits.mid(2);
    }
    if (digits.isEmpty())
        return false;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        const bool decimal = u >= u'0' && u <= u'9';
        const bool hex = (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
        if (!decimal && !(base == 16 && hex))
            return false;
    }
    bool ok = false;
    const qulonglong magnitude = digits.toULongLong(&ok, base);
    if (!ok)
        return false;
    if (base == 16 && !negative && magnitude <= std::numeric_limits<quint32>::max()) {
        value = static_cast<int>(static_cast<quint32>(magnitude)); // $FFFFFFFF reads as -1
        return true;
    }
    const qlonglong limit = negative ? qlonglong(std::numeric_limits<int>::max()) + 1 : std::numeric_limits<int>::max();
    if (magnitude > qulonglong(limit))
        return false;
    value = static_cast<int>(negative ? -qlonglong(magnitude) : qlonglong(magnitude));
    return true;
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    int value = 0;
    return ParseInteger(ReadString(section, key), value) ? value : defaultValue;
}

double TIniFile::ReadFloat(const QString &section, const QString &key, double defaultValue) const
{
    QString text = ReadString(section, key);
    if (!text.contains(u'.') && text.count(u',') == 1)
        text.replace(u',', u'.'); // written with a comma as decimal separator
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    return ok ? value : defaultValue;
}

bool TIniFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    const QString name = TrimBlanks(OneLine(key));
    const QString text = OneLine(value);
    TSection *found = FindSection(section);
    if (!found) {
        const QString sectionName = TrimBlanks(OneLine(section));
        m_sections.append(TSection{sectionName, u'[' + sectionName + u']', {}});
        found = &m_sections.last();
    }
    for (TLine &line : found->lines) {
        if (!line.key.isNull() && SameName(line.key, name)) {
            line.value = ValueOf(text);
            line.text = line.key + u'=' + text;
            return;
        }
    }
    AppendLine(*found, TLine{name + u'=' + text, name, ValueOf(text)});
}

void TIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteFloat(const QString &section, const QString &key, double value)
{
    WriteString(section, key, QString::number(value, 'g', QLocale::FloatingPointShortest));
}

void TIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::DeleteKey(const QString &section, const QString &key)
{
    if (TSection *found = FindSection(section)) {
        for (qsizetype i = 0; i < found->lines.size(); ++i) {
            if (!found->lines[i].key.isNull() && SameName(found->lines[i].key, key)) {
                found->lines.removeAt(i);
                return;
            }
        }
    }
}

void TIniFile::EraseSection(const QString &section)
{
    m_sections.removeIf([&](const TSection &s) { return !s.name.isNull() && SameName(s.name, section); });
}

void TIniFile::Clear()
{
    m_sections = {TSection{}};
    m_byteOrderMark = false;
}

const TIniFile::TSection *TIniFile::FindSection(const QString &section) const
{
    const QString name = TrimBlanks(section);
    for (const TSection &s : m_sections) {
        if (!s.name.isNull() && SameName(s.name, name))
            return &s;
    }
    return nullptr;
}

TIniFile::TSection *TIniFile::FindSection(const QString &section)
{
    return const_cast<TSection *>(std::as_const(*this).FindSection(section));
}

const TIniFile::TLine *TIniFile::FindLine(const TSection &section, const QString &key)
{
    const QString name = TrimBlanks(key);
    for (const TLine &line : section.lines) {
        if (!line.key.isNull() && SameName(line.key, name))
            return &line;
    }
    return nullptr;
}

// After the last entry of the section, so that blank lines and comments that
// separate it from the next section stay where they are.
void TIniFile::AppendLine(TSection &section, TLine line)
{
    qsizetype at = section.lines.size();
    while (at > 0 && TrimBlanks(section.lines[at - 1].text).isEmpty())
        --at;
    section.lines.insert(at, std::move(line));
}
