#pragma once
// What every harness shares: the input as text or lines, a scratch folder, and a property check
// that stops the run with the failing values on standard error.

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace quorvel::fuzz {

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Always valid Unicode: invalid UTF-8 becomes U+FFFD, never a lone surrogate.
inline QString Text(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The text cut at line breaks: what a line list can hold (no line holds CR or LF).
inline QStringList Lines(const QString& text) {
    QString copy = text;
    copy.replace(u'\r', u'\n');
    return copy.split(u'\n');
}

// One folder for the whole run, removed at exit.
inline QString Scratch(const QString& name) {
    static QTemporaryDir dir;
    return dir.filePath(name);
}

inline QString Shown(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toPercentEncoding(" "));
}

inline void Check(bool holds, const char* property, const QString& got = {},
                  const QString& wanted = {}) {
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n  got:    %s\n  wanted: %s\n", property,
                 Shown(got).toUtf8().constData(), Shown(wanted).toUtf8().constData());
    std::abort();
}

} // namespace quorvel::fuzz
