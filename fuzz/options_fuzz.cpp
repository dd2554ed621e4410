// Options.ini: any file is read without harm, and a value written reads back exactly, in a
// file that held anything before.

#include "core/options.h"
#include "fuzz/fuzz_support.h"

#include <QFile>

using namespace quorvel;
using namespace quorvel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Begin(data, size);
    // The first line is the value to store, the rest the file it goes into.
    const QByteArray bytes = Bytes(data, size);
    const qsizetype lineEnd = bytes.indexOf('\n');
    const QString value = QString::fromUtf8(lineEnd < 0 ? bytes : bytes.left(lineEnd));
    const QByteArray before = lineEnd < 0 ? QByteArray() : bytes.mid(lineEnd + 1);

    const QString path = Scratch(QStringLiteral("Options.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(before);
    }
    OptionsFile options(path);
    (void)ReadStoredOptions(options, Scratch(QString()));
    (void)ReadServiceSettings(options);

    const Status written = options.writeString(opt::kSettings, opt::kSavingPath, value);
    if (!written.ok())
        return 0; // refused (a line break) or a file it cannot parse: told, not stored
    const Result<QString> read = options.readString(opt::kSettings, opt::kSavingPath, {});
    Check(read.ok() && *read == value, "a written value reads back exactly",
          read.ok() ? *read : read.error(), value);
    return 0;
}
