#pragma once

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
// This is where link results become operator messages: "Connect Fail!" when
// a LAN link cannot be opened, "Lost Connect!" once per open when a LAN link
// is found gone, and "GPIB driver library not found" once. Serial and GPIB
// links report lost links the same way, but only a LAN link counts as lost
// (LinkLost) and is announced so far.
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
    LinkResult ReadTimed(int record, double seconds);

    // True when the record's link was found gone since it was last opened.
    bool LinkLost(int record) const;

  private:
    struct Link {
        std::unique_ptr<Transport> transport;
        LinkSetup setup;
        bool lost = false;
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
    bool m_missingDriverReported = false;
};
