#pragma once

#include <QString>

#include "ConnectionPanel.h"
#include "ConnectionRecord.h"

// Where channel 1's connection is stored: its medium as "ConnectMode" in the
// settings file (section "TRIO"), every other field in the test file's
// section "Load1 Option", so that a test file carries its connection with its
// steps. Every key is read and written through one table; key names match
// without regard to case, so a file that spells a key differently still
// reads.
class ConnectionSettingsFile {
  public:
    ConnectionSettingsFile(const QString& settingsPath, const QString& testFilePath);

    // Fills `record` from the files. Missing keys take their defaults (a
    // fresh installation reaches 192.168.16.128:4001 over LAN); a medium
    // outside the known ones is LAN. "LoadCheck" is never read. Reading
    // creates no file.
    void ReadInto(ConnectionRecord& record) const;

    // Takes the panel's entries into `record` and writes them: the medium
    // when the panel names one, and the channel keys, each as the panel shows
    // it. Returns false with the reasons in `error` when a file cannot be
    // written; the record is taken over all the same.
    bool Store(const ConnectionPanel& panel, ConnectionRecord& record, QString* error) const;

  private:
    QString m_settingsPath;
    QString m_testFilePath;
};
