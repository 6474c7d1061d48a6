#include "LoadLinks.h"

#include "InstrumentLogging.h"
#include "Operator.h"
#include "Transport.h"

namespace {
const QString kLostConnect = QStringLiteral("Lost Connect!");

// Only a LAN link has been watched for loss so far; a serial or GPIB read
// that finds its link gone reads as no reply.
bool WatchedForLoss(Medium medium) {
    return medium == Medium::Lan;
}

const char* MediumName(Medium medium) {
    switch (medium) {
        case Medium::Serial:
            return "serial";
        case Medium::Gpib:
            return "GPIB";
        case Medium::Lan:
            break;
    }
    return "LAN";
}

LinkResult NoLink() {
    return LinkResult::Failure(LinkResult::Kind::Closed, QStringLiteral("no such channel"));
}
}  // namespace

LoadLinks::LoadLinks(Operator& op, const ConnectionTable& records, const TransportFactory& factory)
    : m_operator(op), m_records(records), m_factory(factory) {}

LoadLinks::~LoadLinks() {
    for (Link& link : m_links) {
        if (link.transport) {
            link.transport->Close();
        }
    }
}

void LoadLinks::Rebuild(int record, const LinkSetup& setup) {
    Link& link = m_links[record];
    if (link.transport) {
        link.transport->Close();
    }
    link.transport = m_factory.Build(setup);
    link.setup = setup;
    link.lost = false;
}

Transport* LoadLinks::TransportFor(int record) {
    if (!ValidRecord(record)) {
        return nullptr;
    }
    Link& link = m_links[record];
    if (!link.transport || link.setup.medium != m_records[record].medium) {
        Rebuild(record, m_factory.SetupFor(m_records[record]));
    }
    return link.transport.get();
}

LinkResult LoadLinks::Open(int record) {
    if (!ValidRecord(record)) {
        return NoLink();
    }
    const LinkSetup setup = m_factory.SetupFor(m_records[record]);
    Link& link = m_links[record];
    if (!link.transport || link.setup != setup) {
        Rebuild(record, setup);
    }
    link.lost = false;
    link.answered = false;
    const LinkResult result = link.transport->Open();
    Trace(record, "open", result);
    return result;
}

void LoadLinks::Close(int record) {
    if (ValidRecord(record) && m_links[record].transport) {
        m_links[record].transport->Close();
    }
}

bool LoadLinks::IsOpen(int record) const {
    return ValidRecord(record) && m_links[record].transport && m_links[record].transport->IsOpen();
}

LinkResult LoadLinks::Write(int record, const QString& command) {
    Transport* transport = TransportFor(record);
    return transport != nullptr ? Noticed(record, "write", transport->Write(command)) : NoLink();
}

LinkResult LoadLinks::Read(int record) {
    Transport* transport = TransportFor(record);
    return transport != nullptr ? Noticed(record, "read", transport->Read()) : NoLink();
}

LinkResult LoadLinks::ReadTimed(int record, double seconds) {
    Transport* transport = TransportFor(record);
    return transport != nullptr ? Noticed(record, "timed read", transport->ReadTimed(seconds))
                                : NoLink();
}

void LoadLinks::Trace(int record, const char* operation, const LinkResult& result) const {
    const Transport* transport = m_links[record].transport.get();
    if (!result.Ok() && transport != nullptr) {
        qCDebug(LinkLog) << "record" << record << MediumName(transport->LinkMedium())
                         << transport->Address() << operation << "failed:" << result.reason;
    }
}

LinkResult LoadLinks::Noticed(int record, const char* operation, const LinkResult& result) {
    Trace(record, operation, result);
    Link& link = m_links[record];
    if (result.kind == LinkResult::Kind::Lost && link.answered && !link.lost &&
        WatchedForLoss(link.setup.medium)) {
        link.lost = true;
        m_operator.ShowMessage(kLostConnect);
    }
    return result;
}

bool LoadLinks::LinkLost(int record) const {
    return ValidRecord(record) && m_links[record].lost;
}

void LoadLinks::MarkAnswered(int record) {
    if (ValidRecord(record)) {
        m_links[record].answered = true;
    }
}

QString LoadLinks::Address(int record) const {
    if (!ValidRecord(record)) {
        return QString();
    }
    const LinkSetup setup = m_factory.SetupFor(m_records[record]);
    const QString address = setup.Address();
    if (setup.medium == Medium::Gpib) {
        return QStringLiteral("GPIB address %1").arg(address);
    }
    return address.isEmpty() ? QStringLiteral("(no port chosen)") : address;
}

QString LoadLinks::Place(int record) const {
    if (!ValidRecord(record)) {
        return QStringLiteral("Channel %1").arg(record);
    }
    const Medium medium = m_records[record].medium;
    // Channel n uses record n.
    return QStringLiteral("Channel %1, %2")
        .arg(record)
        .arg(medium == Medium::Gpib
                 ? Address(record)
                 : QStringLiteral("%1 %2").arg(QString::fromLatin1(MediumName(medium)),
                                               Address(record)));
}
