#pragma once

#include <QByteArray>
#include <QList>

// Records of a data log as its writer quotes them: a field is quoted only
// when it holds a comma, a double quote or a line break, and then its double
// quotes are doubled. A quote opens a quoted field only at the field's start;
// one anywhere else is an ordinary character.

// The position of the '\n' that ends the record starting at `from`, passing
// over line breaks inside quoted fields; -1 while `bytes` does not hold its end.
qsizetype CsvRecordEnd(const QByteArray& bytes, qsizetype from);

// The fields of one record (without its line end), quotes taken off.
QList<QByteArray> CsvFields(const QByteArray& record);
