#pragma once
// The update check: the running build's version against the one the maker's site publishes.

#include "online/http_client.h"

#include <QString>

#include <optional>

namespace quorvel {

// The version this build embeds (the CMake project version, "1.7.1.1").
QString BuildVersion();
// The version embedded in an executable file; empty when the file holds none or cannot be read.
QString ReadFileVersion(const QString& executablePath);
// The pointer width of this build: 64 here.
int Edition();

QString UpdatePageAddress(const QString& site);                   // site + "/QVLUpdate.html"
QString UpdateLogAddress(const QString& site);                    // site + "/UpdateLogQVL.html"
QString WhatsNewAddress(const QString& site);                     // site + "/QVLWhatIsNewLog.html"
QString DownloadArchiveAddress(const QString& site, int edition); // Quorvel_32bits / _64Bits.zip

// The update page's whole text; empty when the request fails.
QString FetchWebVersion(const QString& site, const HttpSettings& settings = {});
// Characters 4 to 10 of the line after the last "<p>***version***</p>" line; nothing when there
// is no marker, the marker is the last line, or the version line is shorter than 10 characters.
std::optional<QString> ParseWebVersion(const QString& pageText);

// The "ip" member of the service's JSON answer; the whole answer when it is not such an object;
// empty when the request fails.
QString WanIpAddress(const QString& ipInfoAddress, const HttpSettings& settings = {});
// "LAN IP Address: " + the host's first IPv4 address, or "No. IP Address".
QString LanIpAddressText();

} // namespace quorvel
