#include "LoadLinks.h"

#include "InstrumentLogging.h"
#include "Operator.h"
#include "Transport.h"

namespace {
const QString kLostConnect = QStringLiteral("Lost Connect!");

// A link that went away by itself, or whose driver failed it: the run
// cannot trust what it reads there any more.
bool MeansLost(LinkResult::Kind kind) {
    return kind == LinkResult::Kind::Lost || kind == LinkResult::Kind::DriverError;
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

LinkResult LoadLinks::ReadBefore(int record, const QDeadlineTimer& deadline) {
    Transport* transport = TransportFor(record);
    return transport != nullptr ? Noticed(record, "read", transport->ReadBefore(deadline))
                                : NoLink();
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
    // A link on which the load never answered is not lost: the connection
    // pass said why no load answered.
    if (MeansLost(result.kind) && m_links[record].answered) {
        MarkLost(record, result.reason);
    }
    return result;
}

void LoadLinks::MarkLost(int record, const QString& what) {
    if (!ValidRecord(record) || m_links[record].lost) {
        return;
    }
    m_links[record].lost = true;
    m_operator.ShowMessage(QStringLiteral("%1\n%2: %3").arg(kLostConnect, Place(record), what));
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
