#pragma once

// Extra trust anchors for https: the PEM certificates of one file, added to
// the system's anchors (never replacing them) for every TLS connection that
// starts after they are set. Peer and host-name checks stay on. The file is
// named by the environment variable "ZMR_CA_FILE" unless a caller (a test, or
// the program's start-up) sets it here.
//
// A file that cannot be read or holds no certificate fails every https
// exchange with an error that names it; plain http is not affected.
//
// Any thread. Connections that are already open keep the anchors they were
// checked with (a worker may reuse one to the same origin).

#include <optional>
#include <string>

namespace pf {

// Nothing: follow "ZMR_CA_FILE" again. An empty path: no extra anchors.
void setExtraCAFile(std::optional<std::string> path);
// The file in effect, or nothing.
std::optional<std::string> extraCAFile();

// Used by the connection when it sets up TLS: adds the anchors to the
// OpenSSL context's store. False, with the reason, when the file is unusable.
bool addExtraTrustAnchors(void* sslContext, std::string& failure);

}
