#pragma once
// Whether the machine has a usable network, and what time it is: both scripted in tests.

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace quorvel {

class Connection {
public:
    virtual ~Connection() = default;
    virtual bool IsOnline() = 0;
};

// Online when an interface other than loopback is up and running with an address.
class NetworkConnection final : public Connection {
public:
    bool IsOnline() override;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime Now() = 0; // local time
    // The user's short date and long time formats, in Qt's format letters.
    virtual QString ShortDateFormat() { return QLocale::system().dateFormat(QLocale::ShortFormat); }
    virtual QString LongTimeFormat() { return QLocale::system().timeFormat(QLocale::LongFormat); }
};

class SystemClock final : public Clock {
public:
    QDateTime Now() override { return QDateTime::currentDateTime(); }
};

} // namespace quorvel
