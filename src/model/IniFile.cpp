#include "IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArray TrimBlanks(const QByteArray& bytes) {
    int begin = 0;
    int end = bytes.size();
    while (begin < end && IsBlank(bytes[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(bytes[end - 1])) {
        --end;
    }
    return bytes.mid(begin, end - begin);
}

// The first character that is not a blank, or 0 for a blank line. Cheaper
// than trimming for the many lines that only need to be classified.
char FirstNonBlank(const QByteArray& bytes) {
    for (const char c : bytes) {
        if (!IsBlank(c)) {
            return c;
        }
    }
    return '\0';
}

// "[name]" -> name; a header without its closing bracket takes the rest.
QByteArray SectionName(const QByteArray& trimmed) {
    const int close = trimmed.indexOf(']');
    return TrimBlanks(close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1));
}

const QByteArray kUtf8ByteOrderMark("\xEF\xBB\xBF");

QByteArray Encode(const QString& text) {
    return text.toUtf8();
}

// One pair of matching quotes around a stored value is not part of the value,
// as the desktop's own INI functions read it.
QByteArray Unquote(const QByteArray& stored) {
    if (stored.size() >= 2) {
        const char quote = stored.front();
        if ((quote == '"' || quote == '\'') && stored.back() == quote) {
            return stored.mid(1, stored.size() - 2);
        }
    }
    return stored;
}

// The bytes stored for a value. A value is one line of the file: a line break
// in it would end the line and let the rest be read as keys or sections of
// their own. Blanks at either end, or quotes around it, would be lost on
// reading; such a value is stored in double quotes so that it reads back as
// written.
QByteArray EncodeValue(QString value) {
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray bytes = Encode(value);
    if (!bytes.isEmpty() && (IsBlank(bytes.front()) || IsBlank(bytes.back()) ||
                             Unquote(bytes).size() != bytes.size())) {
        return '"' + bytes + '"';
    }
    return bytes;
}
}  // namespace

QString IniFile::DecodeValue(const QByteArray& bytes) {
    const QString utf8 = QString::fromUtf8(bytes);
    // Bytes that are not UTF-8 come from an 8-bit code page; keep each byte.
    if (utf8.contains(QChar::ReplacementCharacter) && !bytes.contains("\xEF\xBF\xBD")) {
        return QString::fromLatin1(bytes);
    }
    return utf8;
}

QString IniFile::StoredValue(const Line& line) {
    return DecodeValue(Unquote(TrimBlanks(line.raw.mid(line.valueStart))));
}

IniFile::Line IniFile::ParseLine(const QByteArray& raw) {
    Line line;
    line.raw = raw;
    if (FirstNonBlank(raw) == ';') {
        return line;
    }
    const int eq = raw.indexOf('=');
    if (eq <= 0) {
        return line;
    }
    const QByteArray key = TrimBlanks(raw.left(eq));
    if (key.isEmpty()) {
        return line;
    }
    line.key = DecodeValue(key).toLower();
    line.valueStart = eq + 1;
    return line;
}

void IniFile::AddSection(const QByteArray& header, const QString& lowerName) {
    Section section;
    section.header = header;
    m_sections.push_back(section);
    if (!m_sectionIndex.contains(lowerName)) {
        m_sectionIndex.insert(lowerName, m_sections.size() - 1);
    }
}

IniFile IniFile::Load(const QString& path) {
    IniFile ini;
    if (!LoadForUpdate(path, &ini)) {
        return FromBytes(QByteArray());
    }
    return ini;
}

bool IniFile::LoadForUpdate(const QString& path, IniFile* ini, QString* error,
                            ReadProblem* problem) {
    const auto fail = [&](ReadProblem kind, const QString& reason) {
        if (error != nullptr) {
            *error = reason;
        }
        if (problem != nullptr) {
            *problem = kind;
        }
        return false;
    };
    if (problem != nullptr) {
        *problem = ReadProblem::None;
    }
    const QFileInfo info(path);
    if (!info.exists()) {
        *ini = FromBytes(QByteArray());
        return true;
    }
    // Checked before opening: a pipe would block the open, a device such as
    // /dev/zero never ends.
    if (!info.isFile()) {
        return fail(ReadProblem::NotRegularFile, QStringLiteral("not a regular file"));
    }
    if (info.size() > kMaxFileBytes) {
        return fail(ReadProblem::TooLarge, QStringLiteral("larger than 16 MB"));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(ReadProblem::CannotRead, file.errorString());
    }
    // The file may have grown since it was looked at.
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        return fail(ReadProblem::CannotRead, file.errorString());
    }
    if (bytes.size() > kMaxFileBytes) {
        return fail(ReadProblem::TooLarge, QStringLiteral("larger than 16 MB"));
    }
    *ini = FromBytes(bytes);
    return true;
}

IniFile IniFile::FromBytes(const QByteArray& bytes) {
    IniFile ini;
    ini.m_sections.push_back(Section{});  // lines before the first section
    qsizetype pos = 0;
    // Editors on the desktop often start a file with a byte order mark; left
    // in place it would hide the first section header.
    if (bytes.startsWith(kUtf8ByteOrderMark)) {
        ini.m_byteOrderMark = true;
        pos = kUtf8ByteOrderMark.size();
    }
    while (pos < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0) {
            end = bytes.size();
        }
        QByteArray raw = bytes.mid(pos, end - pos);
        pos = end + 1;
        if (raw.endsWith('\r')) {
            raw.chop(1);
        }
        if (FirstNonBlank(raw) == '[') {
            ini.AddSection(raw, DecodeValue(SectionName(TrimBlanks(raw))).toLower());
            continue;
        }
        Section& section = ini.m_sections.last();
        Line line = ParseLine(raw);
        if (!line.key.isEmpty() && !section.keyIndex.contains(line.key)) {
            section.keyIndex.insert(line.key, section.lines.size());
        }
        section.lines.push_back(std::move(line));
    }
    return ini;
}

const IniFile::Line* IniFile::FindLine(const QString& section, const QString& key) const {
    const auto s = m_sectionIndex.constFind(section.toLower());
    if (s == m_sectionIndex.constEnd()) {
        return nullptr;
    }
    const Section& sec = m_sections[*s];
    const auto k = sec.keyIndex.constFind(key.toLower());
    return k == sec.keyIndex.constEnd() ? nullptr : &sec.lines[*k];
}

bool IniFile::Contains(const QString& section, const QString& key) const {
    return FindLine(section, key) != nullptr;
}

QString IniFile::Value(const QString& section, const QString& key, const QString& fallback) const {
    const Line* line = FindLine(section, key);
    if (line == nullptr) {
        return fallback;
    }
    return StoredValue(*line).left(kMaxValueLength);
}

void IniFile::SetValue(const QString& section, const QString& key, const QString& value) {
    if (m_sections.isEmpty()) {
        m_sections.push_back(Section{});
    }
    const QString lowerSection = section.toLower();
    auto s = m_sectionIndex.constFind(lowerSection);
    if (s == m_sectionIndex.constEnd()) {
        AddSection("[" + Encode(section) + "]", lowerSection);
        s = m_sectionIndex.constFind(lowerSection);
    }
    Section& sec = m_sections[*s];
    const QString lowerKey = key.toLower();
    const auto k = sec.keyIndex.constFind(lowerKey);
    if (k != sec.keyIndex.constEnd()) {
        Line& line = sec.lines[*k];
        if (StoredValue(line) == value) {
            return;  // unchanged: keep the stored bytes exactly
        }
        line.raw = line.raw.left(line.valueStart) + EncodeValue(value);
        return;
    }
    // New keys go after the section's last non-blank line.
    int insertAt = sec.lines.size();
    while (insertAt > 0 && TrimBlanks(sec.lines[insertAt - 1].raw).isEmpty()) {
        --insertAt;
    }
    Line line;
    line.raw = Encode(key) + "=" + EncodeValue(value);
    line.key = lowerKey;
    line.valueStart = Encode(key).size() + 1;
    sec.lines.insert(insertAt, line);
    if (insertAt != sec.lines.size() - 1) {
        for (auto it = sec.keyIndex.begin(); it != sec.keyIndex.end(); ++it) {
            if (*it >= insertAt) {
                ++*it;
            }
        }
    }
    sec.keyIndex.insert(lowerKey, insertAt);
}

void IniFile::RemoveKey(const QString& section, const QString& key) {
    const QString lowerSection = section.toLower();
    const auto s = m_sectionIndex.constFind(lowerSection);
    if (s == m_sectionIndex.constEnd()) {
        return;
    }
    Section& sec = m_sections[*s];
    const QString lowerKey = key.toLower();
    if (!sec.keyIndex.contains(lowerKey)) {
        return;
    }
    sec.lines.erase(std::remove_if(sec.lines.begin(), sec.lines.end(),
                                   [&](const Line& line) { return line.key == lowerKey; }),
                    sec.lines.end());
    sec.keyIndex.clear();
    bool anyKey = false;
    for (int i = 0; i < sec.lines.size(); ++i) {
        const QString& k = sec.lines[i].key;
        if (!k.isEmpty()) {
            anyKey = true;
            if (!sec.keyIndex.contains(k)) {
                sec.keyIndex.insert(k, i);
            }
        }
    }
    if (anyKey || sec.header.isNull()) {
        return;
    }
    // A section of blank lines only is dropped; one with comments stays.
    for (const Line& line : sec.lines) {
        if (!TrimBlanks(line.raw).isEmpty()) {
            return;
        }
    }
    const int removed = *s;
    m_sections.removeAt(removed);
    m_sectionIndex.clear();
    for (int i = 0; i < m_sections.size(); ++i) {
        if (m_sections[i].header.isNull()) {
            continue;
        }
        const QString name = DecodeValue(SectionName(TrimBlanks(m_sections[i].header))).toLower();
        if (!m_sectionIndex.contains(name)) {
            m_sectionIndex.insert(name, i);
        }
    }
}

QByteArray IniFile::ToBytes() const {
    QByteArray out;
    if (m_byteOrderMark) {
        out += kUtf8ByteOrderMark;
    }
    for (const Section& section : m_sections) {
        if (!section.header.isNull()) {
            out += section.header;
            out += "\r\n";
        }
        for (const Line& line : section.lines) {
            out += line.raw;
            out += "\r\n";
        }
    }
    return out;
}

bool IniFile::Save(const QString& path, QString* error) const {
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    const QByteArray bytes = ToBytes();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        file.cancelWriting();
        return false;
    }
    return true;
}

QString ReadProblemMessage(const QString& path, const QString& kind, IniFile::ReadProblem problem,
                           const QString& reason) {
    switch (problem) {
        case IniFile::ReadProblem::NotRegularFile:
            return QStringLiteral("%1 is not a regular file.").arg(path);
        case IniFile::ReadProblem::TooLarge:
            return QStringLiteral("%1 is too large to be a %2.").arg(path, kind);
        default:
            return QStringLiteral("Cannot read the %1 %2: %3").arg(kind, path, reason);
    }
}

QString ReadSetting(const QString& path, const QString& section, const QString& key,
                    const QString& fallback) {
    return IniFile::Load(path).Value(section, key, fallback);
}

bool WriteSetting(const QString& path, const QString& section, const QString& key,
                  const QString& value, QString* error) {
    IniFile ini;
    if (!IniFile::LoadForUpdate(path, &ini, error)) {
        return false;
    }
    ini.SetValue(section, key, value);
    return ini.Save(path, error);
}
