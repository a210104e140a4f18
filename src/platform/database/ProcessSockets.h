#pragma once

#include <vector>

// The network sockets this process holds, by descriptor, sorted. ODBC
// drivers keep their connection's socket to themselves; comparing the lists
// before and after a connection is made tells which sockets are the
// connection's. Empty where the platform has no such list (Windows).
using SocketList = std::vector<int>;
SocketList OpenSockets();

// Shuts down, both ways, every socket that is open now and was not in
// `before`. A call waiting on such a socket returns at once with an error;
// the descriptors stay open for their owner to close. Nothing is done where
// OpenSockets() gives no list.
void ShutDownSocketsOpenedSince(const SocketList& before);
