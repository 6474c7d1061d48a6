#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// A private-profile (INI) file held in memory: "[Section]" lines open
// sections, "key=value" lines follow. Section and key names match without
// regard to case; the first of duplicate sections or keys wins. Lines that the
// program does not change (comments, unknown keys, other sections, odd lines)
// are kept byte for byte and in their order. Blanks around a value and one
// pair of quotes around it are not part of it; values that need them are
// written quoted, so every value reads back as it was written. Files end lines with CR LF when
// written and read with CR LF or LF.
class IniFile {
  public:
    // Values longer than this are cut when read, as a 255-byte buffer would.
    static constexpr int kMaxValueLength = 254;
    // A test or settings file is a few hundred kB at most. A larger one is
    // not one of them, and reading it whole would take minutes and gigabytes.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

    // Why a file was not read.
    enum class ReadProblem { None, CannotRead, NotRegularFile, TooLarge };

    IniFile() = default;

    // Reads `path`; a missing or unreadable file gives an empty document.
    static IniFile Load(const QString& path);
    // Reads `path` before changing it: a missing file gives an empty document,
    // but a file that exists and cannot be read fails with the reason in
    // `error`, so that a save cannot drop the keys it never saw. A device, a
    // pipe, a folder or a file larger than kMaxFileBytes is refused unread.
    static bool LoadForUpdate(const QString& path, IniFile* ini, QString* error = nullptr,
                              ReadProblem* problem = nullptr);
    // Parses the bytes of a file.
    static IniFile FromBytes(const QByteArray& bytes);

    // The value of section/key, or `fallback` when the section or key is
    // missing. A key present with an empty value gives "".
    QString Value(const QString& section, const QString& key, const QString& fallback) const;
    bool Contains(const QString& section, const QString& key) const;
    // Names of the sections the file holds, lower-cased.
    QStringList SectionNames() const { return m_sectionIndex.keys(); }

    // Sets section/key, creating the section (at the end of the file) and the
    // key (after the section's last entry) when missing. Line breaks in
    // `value` are stored as blanks: a value is one line.
    void SetValue(const QString& section, const QString& key, const QString& value);
    // Removes every line of section/key; a section left without keys goes
    // with its header.
    void RemoveKey(const QString& section, const QString& key);

    // Replaces the file atomically (temporary file, then rename); on failure
    // the old file is left whole and `error` receives the reason.
    bool Save(const QString& path, QString* error = nullptr) const;

    QByteArray ToBytes() const;

  private:
    struct Line {
        QByteArray raw;       // the line as stored, without its line end
        QString key;          // lower-cased key name; empty for other lines
        int valueStart = -1;  // byte offset of the value in `raw`
    };
    struct Section {
        QByteArray header;  // raw "[name]" line; empty for the lines before any section
        QVector<Line> lines;
        QHash<QString, int> keyIndex;  // lower-cased key -> first line holding it
    };

    static Line ParseLine(const QByteArray& raw);
    static QString DecodeValue(const QByteArray& bytes);
    static QString StoredValue(const Line& line);  // the whole value, not cut
    void AddSection(const QByteArray& header, const QString& lowerName);
    const Line* FindLine(const QString& section, const QString& key) const;

    QVector<Section> m_sections;
    bool m_byteOrderMark = false;        // the file began with a UTF-8 BOM; kept on write
    QHash<QString, int> m_sectionIndex;  // lower-cased name -> first section with it
};

// What the operator is told about a file that was not read: "<path> is not a
// regular file.", "<path> is too large to be a <kind>." or "Cannot read the
// <kind> <path>: <reason>".
QString ReadProblemMessage(const QString& path, const QString& kind, IniFile::ReadProblem problem,
                           const QString& reason);

// One-shot helpers over a file path.
QString ReadSetting(const QString& path, const QString& section, const QString& key,
                    const QString& fallback);
bool WriteSetting(const QString& path, const QString& section, const QString& key,
                  const QString& value, QString* error = nullptr);
