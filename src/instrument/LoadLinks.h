#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <array>
#include <memory>

#include "ConnectionRecord.h"
#include "LinkResult.h"
#include "TransportFactory.h"

class Operator;
class Transport;

// The links to the loads, one per connection record: open, write, read and
// close by record index. A link is built from its record on first use, and
// built anew at Open when the record names another load.
//
// A link that fails to open, or to answer the connection pass, is not told
// here: the connection pass says in one message why no load answered. Once
// the load has answered on a link (MarkAnswered), a link found gone or whose
// driver reports an error is announced once per open, on every medium:
// "Lost Connect!" and, on a line of its own, the channel, the medium, the
// address and what failed.
class LoadLinks {
  public:
    LoadLinks(Operator& op, const ConnectionTable& records, const TransportFactory& factory);
    ~LoadLinks();
    LoadLinks(const LoadLinks&) = delete;
    LoadLinks& operator=(const LoadLinks&) = delete;

    LinkResult Open(int record);
    void Close(int record);
    bool IsOpen(int record) const;

    LinkResult Write(int record, const QString& command);
    LinkResult Read(int record);
    LinkResult ReadBefore(int record, const QDeadlineTimer& deadline);
    LinkResult ReadTimed(int record, double seconds);

    // True when the record's link was found gone since it was last opened.
    bool LinkLost(int record) const;
    // The load answered on the record's link: from now until the next Open,
    // its loss is announced.
    void MarkAnswered(int record);

    // Where the record's load is, for people, as its record names it now:
    // "127.0.0.1:4001", "/dev/ttyUSB0", "GPIB address 5".
    QString Address(int record) const;
    // The same with the channel and medium: "Channel 1, LAN 127.0.0.1:4001",
    // "Channel 1, serial /dev/ttyUSB0", "Channel 1, GPIB address 5".
    QString Place(int record) const;
    // The run found the record's load gone although its link stays up (no
    // reply, or none that reads as a number): it counts as lost from now on
    // and is announced with `what` as a link that went away is.
    void MarkLost(int record, const QString& what);

  private:
    struct Link {
        std::unique_ptr<Transport> transport;
        LinkSetup setup;
        bool lost = false;
        bool answered = false;
    };

    bool ValidRecord(int record) const { return record >= 0 && record < kConnectionRecordCount; }
    // The record's transport, built when there is none or the medium changed.
    Transport* TransportFor(int record);
    void Rebuild(int record, const LinkSetup& setup);
    LinkResult Noticed(int record, const char* operation, const LinkResult& result);
    void Trace(int record, const char* operation, const LinkResult& result) const;

    Operator& m_operator;
    const ConnectionTable& m_records;
    const TransportFactory& m_factory;
    std::array<Link, kConnectionRecordCount> m_links;
};
