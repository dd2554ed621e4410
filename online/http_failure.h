#pragma once
// Inside the online library only: why the last request of a client failed, told by libcurl's
// result codes, and that reason in words a user understands.

#include "online/http_client.h"

#include <QString>

namespace quorvel {

struct HttpFailure {
    enum class Kind {
        None,
        NotStarted,      // libcurl could not be set up
        Cancelled,       // the cancel flag was set
        BadAddress,      // empty or malformed address
        RefusedScheme,   // not http or https, also after a redirect
        NoHost,          // the host name could not be resolved
        NoConnection,    // the connection was refused or the network is unreachable
        ConnectTimedOut, // no connection within connectTimeoutMs
        TimedOut,        // connected, but no whole answer within totalTimeoutMs
        TooLarge,        // the answer went over the cap
        BrokenOff,       // the server dropped the connection or sent nothing
        TooManyRedirects,
        Secure, // the TLS handshake or certificate check failed
        Other,
    };
    Kind kind = Kind::None;
    int osError = 0;     // errno of a failed connection, 0 when libcurl has none
    long limitMs = 0;    // the time limit that ran out (ConnectTimedOut, TimedOut)
    qint64 capBytes = 0; // the cap that was exceeded (TooLarge)
    QString detail;      // libcurl's own text, for what has no wording of its own
};

// Valid until the client's next request.
const HttpFailure& LastFailure(const HttpClient& client);

// "could not connect to <service> (connection refused)", "<service> did not answer within 30
// seconds", "the answer of <service> is larger than 8 MiB", ...; kCancelledText when
// cancelled. `service` is how the user knows the other side: "the OMDb service".
QString DescribeFailure(const HttpFailure& failure, const QString& service);

// "30 seconds", "1 second", "0.5 seconds".
QString DurationText(long milliseconds);
// "8 MiB", "256 KiB", "1000 bytes".
QString SizeText(qint64 bytes);

} // namespace quorvel
