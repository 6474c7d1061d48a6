#include "CsvRecord.h"

qsizetype CsvRecordEnd(const QByteArray& bytes, qsizetype from) {
    bool fieldStart = true;
    bool quoted = false;
    for (qsizetype i = from; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 == bytes.size()) {
                    return -1;  // a doubled quote or the closing one: the next byte tells
                }
                if (bytes[i + 1] == '"') {
                    ++i;
                } else {
                    quoted = false;
                }
            }
            continue;
        }
        if (c == '\n') {
            return i;
        }
        if (c == '"' && fieldStart) {
            quoted = true;
        }
        fieldStart = c == ',';
    }
    return -1;
}

QList<QByteArray> CsvFields(const QByteArray& record) {
    QList<QByteArray> fields;
    QByteArray field;
    bool fieldStart = true;
    bool quoted = false;
    for (qsizetype i = 0; i < record.size(); ++i) {
        const char c = record[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < record.size() && record[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        if (c == ',') {
            fields << field;
            field.clear();
            fieldStart = true;
            continue;
        }
        if (c == '"' && fieldStart) {
            quoted = true;
        } else {
            field += c;
        }
        fieldStart = false;
    }
    fields << field;
    return fields;
}
