#pragma once

#include <QtGlobal>
#include <optional>

// Whether this process's connected TCP socket from `localPort` to `peerPort`
// (0: any) sends small writes at once (TCP_NODELAY), as the kernel has it;
// nullopt when no such socket is open. Looks at the descriptors
// themselves, so it sees the option whichever object set it.
std::optional<bool> SendsWithoutDelay(quint16 localPort, quint16 peerPort);
