#pragma once
// What every harness shares: the input as text or lines, a scratch folder, and a property
// check. A broken property is told on standard error and its first input is kept under
// findings/ (FUZZ_FINDINGS), once per property, and the run goes on: one known fault must not
// end the search for others. Sanitizer reports still stop the input at once.

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace quorvel::fuzz {

// The input being run, for Check to keep.
inline QByteArray& CurrentInput() {
    static QByteArray input;
    return input;
}

// Call first in LLVMFuzzerTestOneInput.
inline void Begin(const uint8_t* data, size_t size) {
    CurrentInput() = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

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
    static QSet<QString> told;
    if (told.contains(QString::fromLatin1(property)))
        return;
    told.insert(QString::fromLatin1(property));
    std::fprintf(stderr, "property broken: %s\n  got:    %s\n  wanted: %s\n", property,
                 Shown(got).toUtf8().constData(), Shown(wanted).toUtf8().constData());
    const QByteArray folder =
        qgetenv("FUZZ_FINDINGS").isEmpty() ? "findings" : qgetenv("FUZZ_FINDINGS");
    QString name = QString::fromLatin1(property);
    name.replace(u' ', u'_');
    QFile file(QStringLiteral("%1/%2-%3")
                   .arg(QString::fromLocal8Bit(folder),
                        QString::fromLocal8Bit(program_invocation_short_name).mid(5), name));
    if (!file.exists() && file.open(QIODevice::WriteOnly))
        file.write(CurrentInput());
}

} // namespace quorvel::fuzz
