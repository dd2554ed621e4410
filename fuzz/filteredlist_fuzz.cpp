// Filtered lists: any file loads without harm; a saved list loads as saved.

#include "core/filteredlist.h"
#include "fuzz/fuzz_support.h"

#include <QFile>

using namespace quorvel;
using namespace quorvel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Begin(data, size);
    const QString raw = Scratch(QStringLiteral("raw.list"));
    {
        QFile file(raw);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(Bytes(data, size));
    }
    if (const Result<QStringList> any = LoadFilteredList(raw); any.ok())
        (void)OfflineListItems(*any, Scratch(QString()));

    QStringList entries = Lines(Text(data, size));
    if (entries.size() == 1 && entries.first().isEmpty())
        entries.clear(); // no text is no entry, not one empty entry
    const QString path = Scratch(QStringLiteral("saved.list"));
    const Status saved = SaveFilteredList(path, entries);
    Check(saved.ok(), "a list can be saved", saved.error());
    const Result<QStringList> loaded = LoadFilteredList(path);
    Check(loaded.ok() && *loaded == entries, "a saved list loads as saved",
          loaded.ok() ? loaded->join(u'|') : loaded.error(), entries.join(u'|'));
    return 0;
}
