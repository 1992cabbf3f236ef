#pragma once
// Whether a bus answers at all, asked on a plain socket within a time limit.
// The bus library waits for a bus's first answer without any limit of its
// own, so a bus that takes connections and never answers (a stopped daemon)
// would hold whoever connects to it for good; asking first keeps such a
// connection from being made.
#include <chrono>

// How long a bus may take to answer the opening of a connection before it
// counts as not there. A working bus answers at once.
constexpr std::chrono::milliseconds kBusAnswerTimeout{500};

// Whether the bus at a D-Bus address answers the opening of a connection
// within the limit. The entries (separated by ';') are tried in order, as the
// bus library tries them, and the first one that takes the connection is
// asked. Unix sockets (path= or abstract=), the session bus's own transport,
// are the only ones asked: an entry of another kind, or no address at all,
// counts as no answer.
bool BusAnswers(const char* address, std::chrono::milliseconds limit = kBusAnswerTimeout);
